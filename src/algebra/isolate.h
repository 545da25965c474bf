#pragma once

namespace vexmar {

struct InsertionPoint;
struct MathObject;
struct SimplifyOptions;

/// What Isolate did.
enum class IsolateOutcome {
  Isolated,      ///< the selection stands alone on the left
  NotInEquation, ///< no equation of two sides holds the selection; nothing changed
  NoInverse,     ///< an operation around it cannot be undone: that operation is selected instead
};

/// Isolate: the selection ends alone on the left of its two-sided equation, each operation
/// around it undone on the other side (simplified when automatic simplification is on). The
/// selection on a right side only swaps the sides. An operation that cannot be undone becomes
/// the selection instead; outside a two-sided equation nothing changes.
IsolateOutcome isolateSelection(InsertionPoint& ip, MathObject& selection, const SimplifyOptions& options);

} // namespace vexmar
