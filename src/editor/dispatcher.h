#pragma once

#include "editor/editor_command.h"

#include <string_view>

namespace vexmar {

/// Performs one editor command on the active insertion point: records it in the command memory,
/// takes the undo snapshot when due and routes it. Returns 1 when the command was routed to an
/// operation, 0 when it was ignored.
int dispatch(EditorCommand code);

/// The message of a command refused since the last call (empty when none was), which the window
/// shows in the status bar and the command line on its error stream; cleared by the call.
[[nodiscard]] std::string_view takeRefusal();

/// Undo: the active line goes back to its state before the newest edit step of the history, and
/// Redo can bring the present state back. Does nothing when that step belongs to another line (the
/// caller makes the history's undoLine() active first) or memory is too short for the copy.
/// Returns true when the line changed.
bool undo();
/// Redo: the active line returns to the state the newest Undo left, as undo() does otherwise.
bool redo();

} // namespace vexmar
