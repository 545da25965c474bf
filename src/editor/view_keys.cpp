#include "editor/view_keys.h"

#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "editor/key_table.h"
#include "model/model_state.h"

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
  const InsertionPoint* ip = modelState().activeInsertionPoint;
  EditorCommand code = translateKey(character, modifiers, ip, modelState().decimalSeparator);
  // Alt is the character-entry modifier: space, backslash and "." then keep their alternative
  // meanings (the alternative space move, a text object, a dot above).
  const bool entry =
      (modifiers & KeyModifier::Alt) != 0 && (character == ' ' || character == '\\' || character == '.');
  if (code == 0 && entry) code = character;
  if (code == 0) return 0;
  if (!isCaretMove(code) && code != insertKindCommand(ObjectKind::times)) s.promptWithoutMark = true;
  s.characterEntryModifier = entry;
  dispatch(code);
  s.characterEntryModifier = false;
  return code;
}

} // namespace vexmar
