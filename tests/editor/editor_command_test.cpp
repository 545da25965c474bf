#include "editor/editor_command.h"

#include "editor_fixture.h"

#include <set>
#include <string>

namespace vexmar {
namespace {

using test::EditorFixture;
using EditorCommandTable = EditorFixture;

TEST(EditorCommand, TableIsInCodeOrderWithOneNamePerCode) {
  std::set<std::string_view> names;
  EditorCommand previous = 0;
  for (const CommandInfo& row : commandTable()) {
    SCOPED_TRACE(row.name);
    EXPECT_GT(row.code, previous);
    EXPECT_TRUE(names.insert(row.name).second);
    EXPECT_FALSE(row.description.empty());
    EXPECT_EQ(commandName(row.code), row.name);
    previous = row.code;
  }
}

TEST(EditorCommand, GroupsAreOrderedAndDisjoint) {
  struct Group {
    const char* name;
    EditorCommand first, last;
  };
  const Group groups[] = {
      {"decorations", Command::FirstDecoration, Command::LastDecoration},
      {"caret moves", Command::FirstCaretMove, Command::LastCaretMove},
      {"layout adjustments", Command::FirstLayoutAdjustment, Command::LastLayoutAdjustment},
      {"templates", Command::FirstTemplate, Command::LastTemplate},
      {"operator keys", Command::FirstOperatorKey, Command::LastOperatorKey},
      {"algebra actions", Command::FirstAlgebraAction, Command::LastAlgebraAction},
      {"term moves", Command::FirstTermMove, Command::LastTermMove},
      {"clipboard", Command::FirstClipboardCommand, Command::LastClipboardCommand},
  };
  EditorCommand previousLast = kLastSpecialCode;
  for (const Group& g : groups) {
    SCOPED_TRACE(g.name);
    EXPECT_LE(g.first, g.last);
    EXPECT_GT(g.first, previousLast);
    previousLast = g.last;
  }
  EXPECT_TRUE(Command::FirstIndexSlot >= Command::FirstTemplate &&
              Command::LastIndexSlot <= Command::LastTemplate);
}

TEST(EditorCommand, CodesWithoutANameHaveNoName) {
  for (EditorCommand code : {0, int{'a'}, 0x1903, Command::LastLayoutAdjustment, Command::LastAlgebraAction,
                             insertKindCommand(ObjectKind::plus), int{kFirstSpecialCode}})
    EXPECT_TRUE(commandName(code).empty()) << code;
}

// A command named in the table but not routed by the dispatcher would be ignored silently.
TEST_F(EditorCommandTable, EveryNamedCommandReachesAnOperation) {
  for (const CommandInfo& row : commandTable()) {
    SCOPED_TRACE(row.name);
    resetEditorState();
    start("plus[char[x],char[y]]");
    caret({0}, SelectionMode::Object);
    EXPECT_EQ(dispatch(row.code), 1);
  }
}

TEST_F(EditorCommandTable, SpecialCharacterCommandsTypeTheCharacterOfThatName) {
  for (int i = 0; i < kSpecialCharacterCount; ++i) {
    const std::string name(specialCharacter(i).name);
    SCOPED_TRACE(name);
    start("prompt[]");
    dispatch(specialCharacterCommand(name));
    EXPECT_EQ(text(), "char[" + name + "]");
  }
}

} // namespace
} // namespace vexmar
