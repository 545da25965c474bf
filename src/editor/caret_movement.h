#pragma once

#include "editor/editor_command.h"
#include "model/insertion_point.h"

namespace vexmar {

/// Moves the caret for a caret-movement command (0x1600..0x1610 other than 0x1609).
/// Until caret navigation is built this entry point leaves the caret where it is.
void moveCaret(InsertionPoint& ip, EditorCommand code);

} // namespace vexmar
