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
      {"Shift+Alt+p is pi", 'p', Shift | Alt, 0x1312},
      {"Control+P is pi", 16, Control, 0x1312},
      {"Control+Alt+P is pi too", 16, Control | Alt, 0x1312},
      {"Control+Shift with a plain p is nothing", 'P', Control | Shift, 0},
      {"Control+T theta", 20, Control, 0x1314},
      {"Control+F phi", 6, Control, 0x1306},
      {"Control+D degree", 4, Control, 0x1332},
      {"left", 28, None, 0x1604},
      {"shift right extends", 29, Shift, 0x160C},
      {"control left moves a term", 28, Control, 0x2103},
      {"control shift right combines", 29, Control | Shift, 0x2101},
      {"alt left is nothing", 28, Alt, 0},
      {"backspace", 8, None, 0x1609},
      {"backspace with modifiers", 8, Control | Alt, 0x1609},
      {"control minus wraps", '-', Control, 0x1900},
      {"minus", '-', None, 0x103A},
      {"shifted plus", '+', Shift, 0x100D},
      {"comma", ',', None, 0x1907},
      {"comma with shift is nothing", ',', Shift, 0},
      {"equals", '=', None, 0x1901},
      {"parenthesis", '(', Shift, 0x1075},
      {"closing parenthesis leaves", ')', Shift, 0x1610},
      {"bracket", '[', None, 0x1075},
      {"slash", '/', None, 0x107C},
      {"at squares", '@', Shift, 0x18AA},
      {"tab", 9, None, 0x1600},
      {"shift tab", 9, Shift, 0x160E},
      {"alt tab", 9, Alt, 0x160F},
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
  EXPECT_EQ(translateKey(',', None, nullptr, '.'), 0x1907);
}

TEST(KeyTable, TextEntryTakesPrintableCharacters) {
  auto ip = createLineState();
  ip->setRoot(makeString("ab"));
  for (SelectionMode mode : {SelectionMode::After, SelectionMode::Text}) {
    ip->mode = mode;
    const Row rows[] = {
        {"plus is a character", '+', Shift, '+'}, {"equals is a character", '=', None, '='},
        {"comma is a character", ',', None, ','}, {"space still itself", ' ', None, ' '},
        {"tab keeps moving", 9, None, 0x1600},    {"backspace keeps deleting", 8, None, 0x1609},
        {"arrows keep moving", 28, None, 0x1604},
    };
    for (const Row& r : rows) {
      SCOPED_TRACE(r.name);
      EXPECT_EQ(translateKey(r.character, r.modifiers, ip.get(), '.'), r.expected);
    }
  }
  ip->mode = SelectionMode::Before;
  EXPECT_EQ(translateKey('+', None, ip.get(), '.'), 0x100D);
}

} // namespace
} // namespace vexmar
