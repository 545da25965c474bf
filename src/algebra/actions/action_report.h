#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexmar {

/// Why an algebra action did less than it was asked to, for the status bar.
enum class ActionOutcome : std::uint8_t {
  Done,            ///< nothing to tell
  FreeLetters,     ///< Evaluate: letters without a value keep the selection from having one
  NotInEquation,   ///< Isolate: no equation of two sides holds the selection
  NoInverse,       ///< Isolate: the operation now selected cannot be undone
  AlreadyIsolated, ///< Isolate: the selection is alone on the left already
  TooManyTerms,    ///< Expand: a product left whole, its expansion too long for one sum
  PowerTooHigh,    ///< Expand: a power of a sum left whole, its exponent too large
  TooMuchWork,     ///< any action: stopped by its work budget, the line put back as it was
  OutOfMemory,     ///< any action: memory ran out, the line put back as it was
  TooManyItems,    ///< any action: an object would hold more than kMaxChildren, the line put back
};

/// What an algebra action reports: the outcome and its particulars (the free letters' names).
struct ActionReport {
  ActionOutcome outcome = ActionOutcome::Done;
  std::string detail;
  /// The action's own work changed nothing, though it wrote something around it (Evaluate into
  /// the equation copies the expression whatever its value): the outcome stands.
  bool workChangedNothing = false;
};

/// The report as the user gets it: outcomes that only explain why nothing happened are dropped
/// when the equation changed after all, unless the report says the action's work did not.
[[nodiscard]] ActionReport settledReport(ActionReport report, bool changed);

/// The status-bar message for a report; empty for Done.
[[nodiscard]] std::string actionMessage(const ActionReport& report);

/// Letter codes as the user reads them, separated by commas (Greek letters in UTF-8).
[[nodiscard]] std::string letterNames(const std::vector<std::uint16_t>& codes);

} // namespace vexmar
