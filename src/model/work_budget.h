#pragma once

#include <cstdint>
#include <new>

namespace vexmar {

class Clock;

/// Thrown when a command has built as many objects, or run as long, as its budget allows. It is
/// a kind of `std::bad_alloc` because it is raised where objects are allocated; whoever set the
/// budget catches it, puts back what was there before and says so.
class WorkBudgetSpent : public std::bad_alloc {
public:
  [[nodiscard]] const char* what() const noexcept override { return "work budget spent"; }
};

/// What the running command may still spend; unlimited outside every `WorkBudgetScope`.
struct WorkBudget {
  static constexpr std::int64_t kUnlimited = INT64_MAX;
  std::int64_t objectsLeft = kUnlimited;
  std::int64_t deadlineMs = kUnlimited; ///< on `clock`
  Clock* clock = nullptr;
  std::int64_t objectsUntilClockCheck = 0;
};

/// Sets a budget for the work done while it lives: at most `objects` new math objects and
/// `milliseconds` of the clock. A scope inside another gets no more than the outer one has left,
/// and what it spends is spent by the outer one too.
class WorkBudgetScope {
public:
  WorkBudgetScope(std::int64_t objects, std::int64_t milliseconds, Clock& clock);
  WorkBudgetScope(std::int64_t objects, std::int64_t milliseconds);
  ~WorkBudgetScope();
  WorkBudgetScope(const WorkBudgetScope&) = delete;
  WorkBudgetScope& operator=(const WorkBudgetScope&) = delete;

private:
  WorkBudget outer_;
  std::int64_t granted_;
};

/// Whether budgets also stop on time (the default). The test programs switch it off at start-up,
/// so that only object counts, which every machine counts alike, decide where a command stops.
void setWorkTimeLimits(bool on);

/// Counts one new object against the budget; throws `WorkBudgetSpent` once it is spent.
void chargeNewObject();
/// Throws `WorkBudgetSpent` when the budget's time is up: for loops that build nothing.
void checkWorkTime();

/// The budgets of the commands that can do more work than their input suggests.
struct CommandBudget {
  std::int64_t objects;
  std::int64_t milliseconds;
};
/// An algebra action on a selection (Simplify, Expand, Evaluate, derivatives...).
inline constexpr CommandBudget kAlgebraBudget{1'500'000, 1'500};
/// Building a curve's symbolic derivative for its evaluator.
inline constexpr CommandBudget kDerivativeEvaluatorBudget{400'000, 500};

} // namespace vexmar
