#include "editor/view_keys.h"

#include "editor/caret_movement.h"
#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "editor/key_table.h"
#include "editor/typing_habits.h"
#include "editor/unicode_input.h"
#include "model/model_state.h"

#include <vector>

namespace vexmar {

ViewKeyResult handleViewKeyDown(ViewKey key, int modifiers) {
  const bool control = (modifiers & KeyModifier::Control) != 0;
  InsertionPoint* ip = modelState().activeInsertionPoint;
  switch (key) {
  case ViewKey::Home:
  case ViewKey::End:
    if (control) return key == ViewKey::Home ? ViewKeyResult::FirstLine : ViewKeyResult::LastLine;
    if (!ip || !ip->root) return ViewKeyResult::Handled;
    selectWholeEquation(*ip);
    dispatch(key == ViewKey::Home ? Command::Left : Command::Right);
    return ViewKeyResult::Handled;
  case ViewKey::Up:
  case ViewKey::Down:
    if (control) return key == ViewKey::Up ? ViewKeyResult::PreviousLine : ViewKeyResult::NextLine;
    handleViewCharacter(key == ViewKey::Up ? KeyCharacter::Up : KeyCharacter::Down, modifiers);
    return ViewKeyResult::Handled;
  case ViewKey::Left:
  case ViewKey::Right:
    handleViewCharacter(key == ViewKey::Left ? KeyCharacter::Left : KeyCharacter::Right, modifiers);
    return ViewKeyResult::Handled;
  case ViewKey::Delete:
    handleViewCharacter(KeyCharacter::Backspace, modifiers);
    return ViewKeyResult::Handled;
  case ViewKey::Enter:
    return ViewKeyResult::CommitEquation;
  case ViewKey::Minus:
    if (!control) return ViewKeyResult::NotHandled;
    dispatch(Command::WrapMinus);
    return ViewKeyResult::Handled;
  case ViewKey::Equals:
    if (!control) return ViewKeyResult::NotHandled;
    dispatch(Command::Evaluate);
    return ViewKeyResult::Handled;
  }
  return ViewKeyResult::NotHandled;
}

EditorCommand handleViewCharacter(int character, int modifiers) {
  EditorState& s = editorState();
  InsertionPoint* ip = modelState().activeInsertionPoint;
  EditorCommand code = translateKey(character, modifiers, ip, modelState().decimalSeparator);
  // Alt is the character-entry modifier: space, backslash and "." then keep their alternative
  // meanings (the alternative space move, a text object, a dot above).
  const bool entry =
      (modifiers & KeyModifier::Alt) != 0 && (character == ' ' || character == '\\' || character == '.');
  if (code == 0 && entry) code = character;
  const bool plain = (modifiers & (KeyModifier::Control | KeyModifier::Alt)) == 0;
  if (code == 0 && plain) code = habitKeyCommand(character, s.habits);
  std::vector<EditorCommand> codes;
  if (code != 0)
    codes.push_back(code);
  else if (plain && character >= 128 && !inTextEntry(ip))
    codes = unicodeCommands(static_cast<char32_t>(character));
  if (codes.empty()) return 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    EditorCommand c = codes[i];
    ip = modelState().activeInsertionPoint;
    if (!ip || !ip->current) break;
    if (!isCaretMove(c) && c != insertKindCommand(ObjectKind::times)) s.promptWithoutMark = true;
    // A caret move that is part of a character (leaving the exponent of a typed ²) keeps the
    // typing run going, as the arrow key would not.
    if (i > 0 && isCaretMove(c)) {
      moveCaret(*ip, c);
      continue;
    }
    if (i == 0) c = applyTypingHabits(*ip, c, s.habits);
    if (c == 0) continue;
    s.characterEntryModifier = entry;
    dispatch(c);
    s.characterEntryModifier = false;
  }
  return codes.front();
}

} // namespace vexmar
