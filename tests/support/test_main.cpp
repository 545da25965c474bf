// The main of every test executable: each case starts from the process's start-up state, so no
// case sees what an earlier one left in a library's process-wide state.
#include "model/process_state.h"
#include "model/work_budget.h"

#include <gtest/gtest.h>

namespace {

class FreshProcessState : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { vexmar::resetProcessState(); }
};

} // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Where a command stops for its budget must not depend on the machine or the sanitizers.
  vexmar::setWorkTimeLimits(false);
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProcessState);
  return RUN_ALL_TESTS();
}
