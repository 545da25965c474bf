#pragma once

#include "model/clock.h"
#include "model/memory_reserve.h"

namespace vexmar {

struct InsertionPoint;

/// The model's process-wide state: the line being edited, the number settings every subsystem
/// shares, the memory reserve and the clock graphs are timed by.
struct ModelState {
  /// The insertion point of the line being edited; set by whoever issues a command.
  InsertionPoint* activeInsertionPoint = nullptr;
  /// The user's decimal separator; numbers are stored with it and written to text with ".".
  char decimalSeparator = '.';
  MemoryReserve memoryReserve;
  SteadyClock clock;
};

[[nodiscard]] ModelState& modelState();
/// Back to the start-up state (tests call this between cases).
void resetModelState();

} // namespace vexmar
