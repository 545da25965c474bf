#include "model/work_budget.h"

#include "model/clock.h"
#include "model/model_state.h"

#include <algorithm>

namespace vexmar {
namespace {

// Reading the clock at every object would cost more than the objects; every so many is enough.
constexpr std::int64_t kObjectsPerClockReading = 4096;

WorkBudget& budget() { return modelState().workBudget; }

// A start-up choice of the program, like installing the memory reserve's handler: no reset.
bool timeLimitsOn = true;

[[noreturn]] void spend(WorkBudget& b) {
  b.objectsLeft = 0;
  b.deadlineMs = INT64_MIN;
  throw WorkBudgetSpent();
}

} // namespace

WorkBudgetScope::WorkBudgetScope(std::int64_t objects, std::int64_t milliseconds, Clock& clock)
    : outer_(budget()) {
  WorkBudget& b = budget();
  granted_ = std::min(objects, outer_.objectsLeft);
  b.objectsLeft = granted_;
  if (!timeLimitsOn) milliseconds = WorkBudget::kUnlimited;
  const std::int64_t now = clock.nowMs();
  const std::int64_t deadline =
      milliseconds >= WorkBudget::kUnlimited - now ? WorkBudget::kUnlimited : now + milliseconds;
  // An inner scope keeps the outer one's clock and deadline when they come first.
  if (!outer_.clock || deadline <= outer_.deadlineMs) {
    b.deadlineMs = deadline;
    b.clock = &clock;
  }
  b.objectsUntilClockCheck = kObjectsPerClockReading;
}

WorkBudgetScope::WorkBudgetScope(std::int64_t objects, std::int64_t milliseconds)
    : WorkBudgetScope(objects, milliseconds, steadyClock()) {}

WorkBudgetScope::~WorkBudgetScope() {
  WorkBudget& b = budget();
  const std::int64_t spent = granted_ - std::max<std::int64_t>(b.objectsLeft, 0);
  b = outer_;
  if (b.objectsLeft != WorkBudget::kUnlimited) b.objectsLeft -= std::min(spent, b.objectsLeft);
}

void setWorkTimeLimits(bool on) { timeLimitsOn = on; }

void chargeNewObject() {
  WorkBudget& b = budget();
  if (b.objectsLeft == WorkBudget::kUnlimited) return;
  if (--b.objectsLeft < 0) spend(b);
  if (--b.objectsUntilClockCheck <= 0) {
    b.objectsUntilClockCheck = kObjectsPerClockReading;
    checkWorkTime();
  }
}

void checkWorkTime() {
  WorkBudget& b = budget();
  if (b.clock && b.clock->nowMs() > b.deadlineMs) spend(b);
}

} // namespace vexmar
