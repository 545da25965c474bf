#include "editor/key_table.h"

#include "model/insertion_point.h"

#include <array>
#include <cctype>

namespace vexmar {
namespace {

using namespace KeyModifier;
constexpr int ControlShift = Control | Shift;
constexpr int ShiftAlt = Shift | Alt;

// clang-format off
constexpr std::array<KeyTableRow, 37> kKeyTable = {{
    {'p', ShiftAlt, 0x1312},                 // pi
    {16, kAnyModifiers, 0x1312},             // Control+P: pi
    {20, kAnyModifiers, 0x1314},             // Control+T: theta
    {6, kAnyModifiers, 0x1306},              // Control+F: phi
    {4, kAnyModifiers, 0x1332},              // Control+D: degree
    {KeyCharacter::Left, None, Command::Left},
    {KeyCharacter::Right, None, Command::Right},
    {KeyCharacter::Up, None, Command::Up},
    {KeyCharacter::Down, None, Command::Down},
    {KeyCharacter::Left, Shift, Command::ExtendLeft},
    {KeyCharacter::Right, Shift, Command::ExtendRight},
    {KeyCharacter::Up, Shift, Command::ExtendUp},
    {KeyCharacter::Down, Shift, Command::ExtendDown},
    {KeyCharacter::Left, Control, 0x2103},   // move term left
    {KeyCharacter::Right, Control, 0x2100},  // move term right
    {KeyCharacter::Left, ControlShift, 0x2104},  // move term left, combining
    {KeyCharacter::Right, ControlShift, 0x2101}, // move term right, combining
    {KeyCharacter::Backspace, kAnyModifiers, Command::DeleteBackward},
    {'<', kAnyModifiers, Command::OpenLessThan},
    {'>', kAnyModifiers, Command::OpenGreaterThan},
    {'@', kAnyModifiers, Command::SquareSelection},
    {',', None, Command::OpenComma},
    {'+', kAnyModifiers, 0x100D},            // plus
    {'*', kAnyModifiers, 0x100B},            // times
    {'^', kAnyModifiers, 0x107D},            // power
    {'!', kAnyModifiers, 0x1035},            // fact
    {'|', kAnyModifiers, 0x1076},            // abs
    {'(', kAnyModifiers, 0x1075},            // id
    {')', kAnyModifiers, Command::LeaveParentheses},
    {'[', kAnyModifiers, 0x1075},            // id
    {'/', kAnyModifiers, 0x107C},            // over
    {'=', kAnyModifiers, Command::OpenEqual},
    {'-', Control, Command::WrapMinus},
    {'-', kAnyModifiers, 0x103A},            // minus
    {KeyCharacter::Tab, None, Command::NextSlot},
    {KeyCharacter::Tab, Shift, Command::PreviousSlot},
    {KeyCharacter::Tab, Alt, Command::NextPrompt},
}};
// clang-format on

bool inTextEntry(const InsertionPoint* ip) {
  if (!ip || !ip->current) return false;
  if (ip->mode == SelectionMode::Text) return true;
  return ip->mode == SelectionMode::After && ip->current->kind == ObjectKind::string;
}

} // namespace

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
