#include "editor/key_table.h"

#include "model/insertion_point.h"

#include <array>
#include <cctype>

namespace vexmar {
namespace {

using namespace KeyModifier;
constexpr int ControlShift = Control | Shift;
constexpr int ShiftAlt = Shift | Alt;

// Special characters are found by name in their table at start-up, so this table is not constexpr.
// clang-format off
const std::array<KeyTableRow, 37> kKeyTable = {{
    {'p', ShiftAlt, specialCharacterCommand("pi")},
    {16, kAnyModifiers, specialCharacterCommand("pi")},     // Control+P
    {20, kAnyModifiers, specialCharacterCommand("theta")},  // Control+T
    {6, kAnyModifiers, specialCharacterCommand("phi")},     // Control+F
    {4, kAnyModifiers, specialCharacterCommand("degree")},  // Control+D
    {KeyCharacter::Left, None, Command::Left},
    {KeyCharacter::Right, None, Command::Right},
    {KeyCharacter::Up, None, Command::Up},
    {KeyCharacter::Down, None, Command::Down},
    {KeyCharacter::Left, Shift, Command::ExtendLeft},
    {KeyCharacter::Right, Shift, Command::ExtendRight},
    {KeyCharacter::Up, Shift, Command::ExtendUp},
    {KeyCharacter::Down, Shift, Command::ExtendDown},
    {KeyCharacter::Left, Control, Command::MoveTermLeft},
    {KeyCharacter::Right, Control, Command::MoveTermRight},
    {KeyCharacter::Left, ControlShift, Command::MoveTermLeftCombining},
    {KeyCharacter::Right, ControlShift, Command::MoveTermRightCombining},
    {KeyCharacter::Backspace, kAnyModifiers, Command::DeleteBackward},
    {'<', kAnyModifiers, Command::OpenLessThan},
    {'>', kAnyModifiers, Command::OpenGreaterThan},
    {'@', kAnyModifiers, Command::SquareSelection},
    {',', None, Command::OpenComma},
    {'+', kAnyModifiers, insertKindCommand(ObjectKind::plus)},
    {'*', kAnyModifiers, insertKindCommand(ObjectKind::times)},
    {'^', kAnyModifiers, insertKindCommand(ObjectKind::power)},
    {'!', kAnyModifiers, insertKindCommand(ObjectKind::fact)},
    {'|', kAnyModifiers, insertKindCommand(ObjectKind::abs)},
    {'(', kAnyModifiers, insertKindCommand(ObjectKind::id)},
    {')', kAnyModifiers, Command::LeaveParentheses},
    {'[', kAnyModifiers, insertKindCommand(ObjectKind::id)},
    {'/', kAnyModifiers, insertKindCommand(ObjectKind::over)},
    {'=', kAnyModifiers, Command::OpenEqual},
    {'-', Control, Command::WrapMinus},
    {'-', kAnyModifiers, insertKindCommand(ObjectKind::minus)},
    {KeyCharacter::Tab, None, Command::NextSlot},
    {KeyCharacter::Tab, Shift, Command::PreviousSlot},
    {KeyCharacter::Tab, Alt, Command::NextPrompt},
}};
// clang-format on

} // namespace

bool inTextEntry(const InsertionPoint* ip) {
  if (!ip || !ip->current) return false;
  if (ip->mode == SelectionMode::Text) return true;
  return ip->mode == SelectionMode::After && ip->current->kind == ObjectKind::string;
}

std::span<const KeyTableRow> keyTable() { return kKeyTable; }

EditorCommand translateKey(int character, int modifiers, const InsertionPoint* ip, char decimalSeparator) {
  if (character <= 0 || character > 255) return 0;
  const unsigned char c = static_cast<unsigned char>(character);
  if (modifiers == None || modifiers == Shift) {
    if (std::isalnum(c) || c == '.' || c == '\\' || c == ' ' ||
        c == static_cast<unsigned char>(decimalSeparator))
      return character;
  }
  // Text entry takes printable characters as they are; control characters (Backspace among
  // them) keep their editing meaning rather than ending up inside the text.
  if (inTextEntry(ip) && character > ' ' && character < 127) return character;
  if (character == KeyCharacter::Backspace) return Command::DeleteBackward;
  for (const KeyTableRow& row : kKeyTable)
    if (row.character == character && (row.modifiers == kAnyModifiers || row.modifiers == modifiers))
      return row.code;
  return 0;
}

} // namespace vexmar
