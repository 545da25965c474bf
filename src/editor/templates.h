#pragma once

#include "editor/editor_command.h"
#include "model/insertion_point.h"

namespace vexmar {

/// Templates and container growth (0x18A0..0x18B4) and the derivative wraps (0x1809, 0x180A).
void applyTemplate(InsertionPoint& ip, EditorCommand code);
/// Operator keys: wrap in minus, open an `equal`, `lessthan`, `greaterthan` or `comma` slot,
/// the next template slot, and parenthesis adjustment (0x1900..0x1907).
void applyOperatorKey(InsertionPoint& ip, EditorCommand code);

} // namespace vexmar
