#pragma once

#include "editor/editor_command.h"

namespace vexmar {

/// Performs one editor command on the active insertion point: records it in the command memory,
/// takes the undo snapshot when due and routes it. Returns 1 when the command was routed to an
/// operation, 0 when it was ignored.
int dispatch(EditorCommand code);

/// Swaps the active line with the undo snapshot (so a second Undo redoes). Does nothing when the
/// snapshot belongs to another line or memory is too short for the copy. Returns true on a swap.
bool undo();

} // namespace vexmar
