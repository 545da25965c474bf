#pragma once

#include "editor/editor_command.h"

namespace vexmar {

/// Keys the equation view handles on key-down, before any character arrives.
enum class ViewKey { Home, End, Up, Down, Left, Right, Delete, Enter, Minus, Equals };

/// What the view must do after its key-down handling.
enum class ViewKeyResult {
  NotHandled,    ///< let the key produce its character
  Handled,       ///< the editor acted on it
  PreviousLine,  ///< move to the previous equation line
  NextLine,      ///< move to the next equation line
  FirstLine,     ///< move to the first equation line
  LastLine,      ///< move to the last equation line
  CommitEquation ///< Enter: graph the equation
};

/// The view's key-down handling: Home and End select the whole equation and move to its start
/// or end, arrows and Delete go through key translation, Control moves between lines, and
/// Control with minus or "=" issues its command.
ViewKeyResult handleViewKeyDown(ViewKey key, int modifiers);

/// The view's character handling: translates the character with its modifiers and dispatches
/// the command to the active line. Returns the command dispatched, or 0 when the key was ignored.
EditorCommand handleViewCharacter(int character, int modifiers);

} // namespace vexmar
