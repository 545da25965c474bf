#include "cli/key_routing.h"

#include "editor/dispatcher.h"
#include "editor/editor_state.h"
#include "editor/key_table.h"
#include "model/insertion_point.h"
#include "model/model_state.h"

#include <array>
#include <cctype>

namespace vexmar {
namespace {

constexpr int Control = KeyModifier::Control;
constexpr int ControlShift = KeyModifier::Control | KeyModifier::Shift;

// clang-format off
constexpr std::array<Accelerator, 17> kAccelerators = {{
    {'Z', Control, AcceleratorAction::Undo, 0},
    {'Z', ControlShift, AcceleratorAction::Redo, 0},
    {'X', Control, AcceleratorAction::EditorCommand, Command::Cut},
    {'C', Control, AcceleratorAction::EditorCommand, Command::Copy},
    {'V', Control, AcceleratorAction::EditorCommand, Command::Paste},
    {'Q', Control, AcceleratorAction::EditorCommand, insertKindCommand(ObjectKind::sqrt)},   // Square Root
    {'H', Control, AcceleratorAction::EditorCommand, insertKindCommand(ObjectKind::power)},  // Exponent
    {'2', Control, AcceleratorAction::EditorCommand, Command::TwoVector},
    {'3', Control, AcceleratorAction::EditorCommand, Command::ThreeVector},
    {'=', Control, AcceleratorAction::EditorCommand, Command::Evaluate},
    {'Y', Control, AcceleratorAction::EditorCommand, Command::Simplify},
    {'E', Control, AcceleratorAction::EditorCommand, Command::Expand},
    {'I', Control, AcceleratorAction::EditorCommand, Command::IsolateTerm},
    {'N', Control, AcceleratorAction::NewEquation, 0},
    {'A', Control, AcceleratorAction::SelectAll, 0},
    {'R', Control, AcceleratorAction::ResetGraph, 0},
    {0, 0, AcceleratorAction::DrawGraph, 0},                    // Enter
}};
// clang-format on

// Commands from menus, accelerators and the keypad arrive as command messages: wrapping then
// selects the new object rather than placing a caret inside it.
int dispatchAsCommandMessage(EditorCommand code) {
  EditorState& state = editorState();
  state.commandMessage = true;
  const int result = dispatch(code);
  state.commandMessage = false;
  return result;
}

RoutedKey perform(const Accelerator& a) {
  switch (a.action) {
  case AcceleratorAction::Undo:
    undo();
    return RoutedKey::Undone;
  case AcceleratorAction::Redo:
    redo();
    return RoutedKey::Redone;
  case AcceleratorAction::EditorCommand:
    dispatchAsCommandMessage(a.code);
    return RoutedKey::Edited;
  case AcceleratorAction::SelectAll:
    if (InsertionPoint* ip = modelState().activeInsertionPoint) selectWholeEquation(*ip);
    return RoutedKey::Edited;
  case AcceleratorAction::NewEquation:
    return RoutedKey::NewEquation;
  case AcceleratorAction::ResetGraph:
    return RoutedKey::ResetGraph;
  case AcceleratorAction::DrawGraph:
    // The graphed equation closes the typing run: Undo goes back to it first.
    editorState().snapshotDue = true;
    return RoutedKey::DrawGraph;
  }
  return RoutedKey::Ignored;
}

RoutedKey fromViewResult(ViewKeyResult r) {
  switch (r) {
  case ViewKeyResult::NotHandled:
    return RoutedKey::Ignored;
  case ViewKeyResult::Handled:
    return RoutedKey::Edited;
  case ViewKeyResult::CommitEquation:
    return RoutedKey::DrawGraph;
  default:
    return RoutedKey::LineMove;
  }
}

// The character the view receives for a key: Control turns a letter into its control code
// (Control+P is 16) unless Shift is held too.
int deliveredCharacter(int character, int modifiers) {
  const bool controlOnly = (modifiers & Control) && !(modifiers & KeyModifier::Shift);
  if (controlOnly && character < 128 && std::isalpha(character)) return std::toupper(character) - 'A' + 1;
  return character;
}

} // namespace

std::optional<Accelerator> findAccelerator(const KeyStroke& stroke) {
  int key = -1;
  if (const auto* c = std::get_if<CharacterKey>(&stroke.key)) {
    key = c->character < 128 ? std::toupper(c->character) : c->character;
  } else if (const auto* n = std::get_if<NamedKey>(&stroke.key); n && n->key == ViewKey::Enter) {
    key = 0;
  }
  if (key < 0) return std::nullopt;
  for (const Accelerator& a : kAccelerators)
    if (a.key == key && a.modifiers == stroke.modifiers) return a;
  return std::nullopt;
}

RoutedKey routeKeyStroke(const KeyStroke& stroke) {
  if (const auto* command = std::get_if<CommandKey>(&stroke.key))
    return dispatchAsCommandMessage(command->code) ? RoutedKey::Edited : RoutedKey::Ignored;
  if (auto accelerator = findAccelerator(stroke)) return perform(*accelerator);
  if (const auto* named = std::get_if<NamedKey>(&stroke.key))
    return fromViewResult(handleViewKeyDown(named->key, stroke.modifiers));
  const int character = std::get<CharacterKey>(stroke.key).character;
  if (stroke.modifiers & Control) {
    const ViewKey key = character == '-' ? ViewKey::Minus : ViewKey::Equals;
    if (character == '-' || character == '=') {
      const ViewKeyResult r = handleViewKeyDown(key, stroke.modifiers);
      if (r != ViewKeyResult::NotHandled) return fromViewResult(r);
    }
  }
  return handleViewCharacter(deliveredCharacter(character, stroke.modifiers), stroke.modifiers)
             ? RoutedKey::Edited
             : RoutedKey::Ignored;
}

} // namespace vexmar
