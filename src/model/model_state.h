#pragma once

namespace vexmar {

struct InsertionPoint;

/// The model's process-wide state: the line being edited and the number settings every
/// subsystem shares.
struct ModelState {
  /// The insertion point of the line being edited; set by whoever issues a command.
  InsertionPoint* activeInsertionPoint = nullptr;
  /// The user's decimal separator; numbers are stored with it and written to text with ".".
  char decimalSeparator = '.';
};

[[nodiscard]] ModelState& modelState();
/// Back to the start-up state (tests call this between cases).
void resetModelState();

} // namespace vexmar
