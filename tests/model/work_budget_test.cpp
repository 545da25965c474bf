#include "model/work_budget.h"

#include "model/clock.h"
#include "model/math_object.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexmar {
namespace {

// Makes objects until the budget stops it; returns how many were made.
int makeUntilStopped(int most) {
  std::vector<ObjectPtr> made;
  try {
    for (int i = 0; i < most; ++i) made.push_back(makeObject(ObjectKind::prompt));
  } catch (const WorkBudgetSpent&) {
  }
  return static_cast<int>(made.size());
}

TEST(WorkBudget, CountsObjectsAndStopsAtTheLimit) {
  ManualClock clock;
  {
    const WorkBudgetScope budget(10, 1000, clock);
    EXPECT_EQ(makeUntilStopped(100), 10);
    // Spent stays spent within the scope.
    EXPECT_THROW((void)makeObject(ObjectKind::prompt), WorkBudgetSpent);
  }
  EXPECT_EQ(makeUntilStopped(100), 100) << "outside every scope there is no limit";
}

TEST(WorkBudget, AnInnerScopeGetsNoMoreThanTheOuterHasLeftAndSpendsItToo) {
  ManualClock clock;
  const WorkBudgetScope outer(30, 1000, clock);
  {
    const WorkBudgetScope inner(1000, 1000, clock);
    EXPECT_EQ(makeUntilStopped(20), 20);
  }
  {
    const WorkBudgetScope inner(1000, 1000, clock);
    EXPECT_EQ(makeUntilStopped(100), 10);
  }
  EXPECT_THROW((void)makeObject(ObjectKind::prompt), WorkBudgetSpent);
}

TEST(WorkBudget, StopsWhenTimeIsUp) {
  setWorkTimeLimits(true);
  struct Off {
    ~Off() { setWorkTimeLimits(false); }
  } off;
  ManualClock clock;
  {
    const WorkBudgetScope budget(WorkBudget::kUnlimited - 1, 50, clock);
    EXPECT_NO_THROW(checkWorkTime());
    clock.advance(51);
    EXPECT_THROW(checkWorkTime(), WorkBudgetSpent);
  }
  const WorkBudgetScope budget(WorkBudget::kUnlimited - 1, 50, clock);
  clock.advance(51);
  // Objects read the clock now and then, not at each one; they stop soon after.
  const int made = makeUntilStopped(100000);
  EXPECT_GT(made, 0);
  EXPECT_LT(made, 10000);
}

TEST(WorkBudget, TestsCountOnlyObjects) {
  ManualClock clock;
  const WorkBudgetScope budget(100, 50, clock);
  clock.advance(1000);
  EXPECT_NO_THROW(checkWorkTime());
  EXPECT_EQ(makeUntilStopped(1000), 100);
}

TEST(WorkBudget, IsCaughtAsAnAllocationFailure) {
  ManualClock clock;
  const WorkBudgetScope budget(0, 1000, clock);
  EXPECT_THROW((void)makeObject(ObjectKind::prompt), std::bad_alloc);
}

} // namespace
} // namespace vexmar
