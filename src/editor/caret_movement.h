#pragma once

#include "editor/editor_command.h"
#include "model/insertion_point.h"

namespace vexmar {

/// Moves the caret for a caret-movement command (isCaretMove) and leaves it normalised by
/// setInsertionPoint. Only Space after a `string` (which commits the text) may change the tree.
/// Other codes do nothing.
void moveCaret(InsertionPoint& ip, EditorCommand code);

} // namespace vexmar
