#include "editor/key_table.h"

#include "model/insertion_point.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

using namespace KeyModifier;

struct Row {
  const char* name;
  int character;
  int modifiers;
  EditorCommand expected;
};

TEST(KeyTable, TranslatesOutsideText) {
  const Row rows[] = {
      {"letter", 'x', None, 'x'},
      {"shifted letter", 'X', Shift, 'X'},
      {"digit", '7', None, '7'},
      {"point", '.', None, '.'},
      {"space", ' ', None, ' '},
      {"backslash", '\\', None, '\\'},
      {"Shift+Alt+p is pi", 'p', Shift | Alt, specialCharacterCommand("pi")},
      {"Control+P is pi", 16, Control, specialCharacterCommand("pi")},
      {"Control+Alt+P is pi too", 16, Control | Alt, specialCharacterCommand("pi")},
      {"Control+Shift with a plain p is nothing", 'P', Control | Shift, 0},
      {"Control+T theta", 20, Control, specialCharacterCommand("theta")},
      {"Control+F phi", 6, Control, specialCharacterCommand("phi")},
      {"Control+D degree", 4, Control, specialCharacterCommand("degree")},
      {"left", 28, None, Command::Left},
      {"shift right extends", 29, Shift, Command::ExtendRight},
      {"control left moves a term", 28, Control, Command::MoveTermLeft},
      {"control shift right combines", 29, Control | Shift, Command::MoveTermRightCombining},
      {"alt left is nothing", 28, Alt, 0},
      {"backspace", 8, None, Command::DeleteBackward},
      {"backspace with modifiers", 8, Control | Alt, Command::DeleteBackward},
      {"control minus wraps", '-', Control, Command::WrapMinus},
      {"minus", '-', None, insertKindCommand(ObjectKind::minus)},
      {"shifted plus", '+', Shift, insertKindCommand(ObjectKind::plus)},
      {"comma", ',', None, Command::OpenComma},
      {"comma with shift is nothing", ',', Shift, 0},
      {"equals", '=', None, Command::OpenEqual},
      {"parenthesis", '(', Shift, insertKindCommand(ObjectKind::id)},
      {"closing parenthesis leaves", ')', Shift, Command::LeaveParentheses},
      {"bracket", '[', None, insertKindCommand(ObjectKind::id)},
      {"slash", '/', None, insertKindCommand(ObjectKind::over)},
      {"at squares", '@', Shift, Command::SquareSelection},
      {"tab", 9, None, Command::NextSlot},
      {"shift tab", 9, Shift, Command::PreviousSlot},
      {"alt tab", 9, Alt, Command::NextPrompt},
      {"control tab is nothing", 9, Control, 0},
      {"unknown punctuation", '~', None, 0},
      {"out of range", 300, None, 0},
      {"zero", 0, None, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(translateKey(r.character, r.modifiers, nullptr, '.'), r.expected);
  }
}

TEST(KeyTable, DecimalSeparatorTranslatesToItself) {
  EXPECT_EQ(translateKey(',', None, nullptr, ','), ',');
  EXPECT_EQ(translateKey(',', None, nullptr, '.'), Command::OpenComma);
}

TEST(KeyTable, TextEntryTakesPrintableCharacters) {
  auto ip = createLineState();
  ip->setRoot(makeString("ab"));
  for (SelectionMode mode : {SelectionMode::After, SelectionMode::Text}) {
    ip->mode = mode;
    const Row rows[] = {
        {"plus is a character", '+', Shift, '+'},
        {"equals is a character", '=', None, '='},
        {"comma is a character", ',', None, ','},
        {"space still itself", ' ', None, ' '},
        {"tab keeps moving", 9, None, Command::NextSlot},
        {"backspace keeps deleting", 8, None, Command::DeleteBackward},
        {"arrows keep moving", 28, None, Command::Left},
    };
    for (const Row& r : rows) {
      SCOPED_TRACE(r.name);
      EXPECT_EQ(translateKey(r.character, r.modifiers, ip.get(), '.'), r.expected);
    }
  }
  ip->mode = SelectionMode::Before;
  EXPECT_EQ(translateKey('+', None, ip.get(), '.'), insertKindCommand(ObjectKind::plus));
}

} // namespace
} // namespace vexmar
