#pragma once

#include "model/clock.h"
#include "model/memory_reserve.h"
#include "model/work_budget.h"

namespace vexmar {

struct InsertionPoint;

/// The model's process-wide state: the line being edited, the number settings every subsystem
/// shares, the memory reserve, the clock graphs are timed by and the running command's work budget.
struct ModelState {
  /// The insertion point of the line being edited; set by whoever issues a command.
  InsertionPoint* activeInsertionPoint = nullptr;
  /// The user's decimal separator; numbers are stored with it and written to text with ".".
  char decimalSeparator = '.';
  MemoryReserve memoryReserve;
  SteadyClock clock;
  WorkBudget workBudget;
};

[[nodiscard]] ModelState& modelState();
/// Back to the start-up state (tests call this between cases).
void resetModelState();

} // namespace vexmar
