#pragma once

#include "editor/edit_clipboard.h"
#include "editor/editor_command.h"
#include "editor/keyboard_selection.h"
#include "editor/typing_habits.h"
#include "editor/undo_history.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace vexmar {

/// Performs an algebra action (FirstAlgebraAction..LastAlgebraAction) on the line; installed by
/// the algebra layer, which sits above the editor.
using AlgebraActionHandler = std::function<void(InsertionPoint&, EditorCommand)>;

/// The editor's process-wide state: command memory, undo, the edit clipboard, the rules.
struct EditorState {
  EditorCommand currentCommand = 0;
  EditorCommand previousCommand = 0;
  bool snapshotDue = true;
  /// The line the last command acted on: a command on another line starts a new undo step.
  std::uint64_t lastLine = 0;
  UndoHistory undo;
  EditClipboard clipboard;
  /// Rules applied by Apply Rules; made by Define Rule.
  ObjectPtr activeRules;
  /// Named definitions: a backslash name typed later inserts a copy of the body.
  std::map<std::string, ObjectPtr, std::less<>> definitions;
  /// Held while a key with the character-entry modifier is routed: space, backslash and "."
  /// then mean the alternative caret move, a text object and a dot above.
  bool characterEntryModifier = false;
  /// The prompt under edit is drawn without its question mark once the user started typing.
  bool promptWithoutMark = false;
  /// Set while a command from a menu or the keypad is dispatched (wrapping then selects).
  bool commandMessage = false;
  /// What typed keys do beyond the key table; the window sets them from its preferences.
  TypingHabits habits;
  /// The typesetter keyboard selection lays lines out with (installed by the view or a headless
  /// subcommand; not owned).
  Typesetter* typesetter = nullptr;
  /// Where a keyboard selection started and where its moving end stands.
  SelectionAnchor selection;
  AlgebraActionHandler algebraAction;
  /// Term moves are performed by the term-move module when it is installed.
  AlgebraActionHandler termMove;
  /// Why the last refused command was refused (empty when none was); see takeRefusal.
  std::string_view refusal;
};

[[nodiscard]] EditorState& editorState();
/// Back to the start-up state, keeping the installed handlers and typesetter.
void resetEditorState();

} // namespace vexmar
