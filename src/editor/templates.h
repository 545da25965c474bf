#pragma once

#include "editor/editor_command.h"
#include "model/insertion_point.h"

namespace vexmar {

/// Templates and container growth (FirstTemplate..LastTemplate) and the derivative wraps.
void applyTemplate(InsertionPoint& ip, EditorCommand code);
/// Operator keys: wrap in minus, open an `equal`, `lessthan`, `greaterthan` or `comma` slot,
/// the next template slot, and parenthesis adjustment (FirstOperatorKey..LastOperatorKey).
void applyOperatorKey(InsertionPoint& ip, EditorCommand code);

} // namespace vexmar
