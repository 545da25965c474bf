#include "editor/dispatcher.h"

#include "editor/key_table.h"
#include "editor/view_keys.h"
#include "editor_fixture.h"
#include "model/memory_reserve.h"

namespace vexmar {
namespace {

using test::EditorFixture;
using Dispatcher = EditorFixture;

TEST_F(Dispatcher, TypingAfterACaretMoveIsOneUndoStepAndRedoRestoresIt) {
  start(R"(string["ab"])");
  caret({}, SelectionMode::After);
  run({Command::Right, 'c', 'd', 'e'});
  EXPECT_EQ(text(), R"(string["abcde"])");
  ASSERT_TRUE(undo());
  EXPECT_EQ(text(), R"(string["ab"])");
  ASSERT_TRUE(redo());
  EXPECT_EQ(text(), R"(string["abcde"])");
  EXPECT_EQ(line->mode, SelectionMode::After);
}

TEST_F(Dispatcher, AnEditAfterUndoStartsANewStep) {
  start(R"(string["a"])");
  caret({}, SelectionMode::After);
  run({'b'});
  undo();
  run({'c', 'd'});
  EXPECT_EQ(text(), R"(string["acd"])");
  undo();
  EXPECT_EQ(text(), R"(string["a"])");
}

TEST_F(Dispatcher, DeletionsInARowAreOneUndoStep) {
  start(R"(string["abcd"])");
  caret({}, SelectionMode::After);
  run({Command::DeleteBackward, Command::DeleteBackward, Command::DeleteBackward});
  EXPECT_EQ(text(), R"(string["a"])");
  undo();
  EXPECT_EQ(text(), R"(string["abcd"])");
  // A deletion after typing snapshots again.
  start(R"(string["ab"])");
  caret({}, SelectionMode::After);
  run({'c', Command::DeleteBackward});
  EXPECT_EQ(text(), R"(string["ab"])");
  undo();
  EXPECT_EQ(text(), R"(string["abc"])");
}

TEST_F(Dispatcher, ClipboardLayoutAndRuleCommandsEachSnapshotBeforeThem) {
  start("char[x]");
  run({Command::NudgeDown, Command::NudgeDown});
  EXPECT_EQ(line->root->shiftY, 2 << 16);
  undo();
  EXPECT_EQ(line->root->shiftY, 1 << 16);
  // Layout adjustments survive an Undo of a later edit.
  run({Command::Right, Command::AddPrime});
  undo();
  EXPECT_EQ(line->root->shiftY, 1 << 16);
  EXPECT_EQ(line->root->decoration, 0u);
}

// Each letter typed after caret moves is a step; the history walks them back and forth, keeping
// the newest kDepth of them.
TEST_F(Dispatcher, TheHistoryUndoesAndRedoesStepByStepAsDeepAsItKeeps) {
  std::vector<std::string> states{text()};
  const int steps = static_cast<int>(UndoHistory::kDepth) + 5;
  for (int i = 0; i < steps; ++i) {
    run({Command::Left, Command::Right, 'a' + i % 26});
    states.push_back(text());
  }
  for (int i = steps - 1; i >= steps - static_cast<int>(UndoHistory::kDepth); --i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(undo());
    EXPECT_EQ(text(), states[static_cast<std::size_t>(i)]);
  }
  EXPECT_FALSE(undo());
  while (redo()) {
  }
  EXPECT_EQ(text(), states.back());
  // A new edit after an Undo drops what Redo had.
  ASSERT_TRUE(undo());
  run({'z'});
  EXPECT_FALSE(redo());
}

TEST_F(Dispatcher, UndoPassesOverStepsThatChangedNothing) {
  start("char[x]");
  caret({}, SelectionMode::After);
  run({'+', 'y', Command::Left, Command::Copy, Command::Right, Command::Copy});
  ASSERT_TRUE(undo());
  EXPECT_EQ(text(), "char[x]");
}

TEST_F(Dispatcher, TheHistoryGoesAcrossLinesAndNamesTheLineOfEachStep) {
  run({'a'});
  auto other = createLineState();
  modelState().activeInsertionPoint = other.get();
  run({'b'});
  EXPECT_EQ(editorState().undo.undoLine(), other->serial);
  ASSERT_TRUE(undo());
  EXPECT_EQ(writeObjectText(*other->root), "prompt[]");
  // The next step is the first line's: it must be made active first.
  EXPECT_EQ(editorState().undo.undoLine(), line->serial);
  EXPECT_FALSE(undo());
  modelState().activeInsertionPoint = line.get();
  ASSERT_TRUE(undo());
  EXPECT_EQ(text(), "prompt[]");
  ASSERT_TRUE(redo());
  EXPECT_EQ(text(), "char[a]");
  EXPECT_EQ(editorState().undo.redoLine(), other->serial);
  // A line that is gone takes its steps with it.
  editorState().undo.forgetLine(other->serial);
  EXPECT_EQ(editorState().undo.redoLine(), 0u);
  modelState().activeInsertionPoint = line.get();
}

TEST_F(Dispatcher, UndoBelongsToTheLineItWasTakenFrom) {
  start(R"(string["a"])");
  caret({}, SelectionMode::After);
  run({'b'});
  auto other = createLineState();
  modelState().activeInsertionPoint = other.get();
  EXPECT_FALSE(undo());
  EXPECT_EQ(writeObjectText(*other->root), "prompt[]");
  modelState().activeInsertionPoint = line.get();
  EXPECT_TRUE(undo());
  EXPECT_EQ(text(), R"(string["a"])");
}

TEST_F(Dispatcher, UndoWithoutASnapshotOnlyClearsTheMemory) {
  run({Command::AddPrime});
  editorState().undo.clear();
  EXPECT_FALSE(undo());
  EXPECT_EQ(editorState().currentCommand, 0);
  EXPECT_EQ(editorState().previousCommand, 0);
}

TEST_F(Dispatcher, CommandMemoryKeepsTwoAndCaretMovesClearIt) {
  run({'a', 'b'});
  EXPECT_EQ(editorState().previousCommand, 'a');
  EXPECT_EQ(editorState().currentCommand, 'b');
  run({Command::Left});
  EXPECT_EQ(editorState().previousCommand, 0);
  EXPECT_EQ(editorState().currentCommand, 0);
}

TEST_F(Dispatcher, LowMemoryStopsBuildingButNotClipboardOrDeletion) {
  start(R"(plus[char[a],char[b]])");
  memoryReserve().release();
  ASSERT_TRUE(memoryReserve().isLow());
  caret({0}, SelectionMode::Object);
  EXPECT_EQ(dispatch(Command::AddPrime), 0);
  EXPECT_EQ(line->root->child(0)->decoration, 0u);
  EXPECT_EQ(dispatch(Command::Copy), 1);
  EXPECT_TRUE(editorState().clipboard.tree);
  memoryReserve().rearm();
  EXPECT_EQ(dispatch(Command::AddPrime), 1);
  EXPECT_NE(line->root->child(0)->decoration, 0u);
}

TEST_F(Dispatcher, AlgebraActionsGoToTheInstalledHandlerAndTermMovesShareASnapshot) {
  std::vector<EditorCommand> seen;
  editorState().algebraAction = [&](InsertionPoint&, EditorCommand c) { seen.push_back(c); };
  start("char[x]");
  run({Command::Simplify, Command::LastAlgebraAction, Command::LastAlgebraAction + 1});
  EXPECT_EQ(seen, (std::vector<EditorCommand>{Command::Simplify, Command::LastAlgebraAction}));
  editorState().algebraAction = nullptr;

  run({Command::MoveTermRight});
  line->root->payloadA = 'y';
  run({Command::MoveTermRightCombining});
  EXPECT_EQ(editorState().undo.newest()->root->characterCode(), 'x');
}

TEST_F(Dispatcher, DefinedRulesRewriteTheSelection) {
  start("rightarrow[plus[dummy[x],dummy[x]],times[num[2,\"2\"],dummy[x]]]");
  run({Command::DefineRule});
  ASSERT_TRUE(editorState().activeRules);
  EXPECT_TRUE(editorState().clipboard.empty());
  start("equal[char[y],plus[char[t],char[t]]]");
  run({Command::ApplyRules});
  EXPECT_EQ(text(), R"(equal[char[y],times[num[2,"2"],char[t]]])");
  EXPECT_EQ(line->current, line->root.get());
}

TEST_F(Dispatcher, ABackslashRuleStoresANamedDefinition) {
  start(R"(rightarrow[string["\area"],times[char[l],char[w]]])");
  run({Command::DefineRule});
  EXPECT_FALSE(editorState().activeRules);
  auto found = editorState().definitions.find("\\area");
  ASSERT_NE(found, editorState().definitions.end());
  EXPECT_EQ(writeObjectText(*found->second), "times[char[l],char[w]]");
}

TEST_F(Dispatcher, TextIsTypedAtTheCaretAndReplacesASelection) {
  start(R"(string["abcd"])");
  caret({}, SelectionMode::Text, 1, 3);
  run({'X'});
  EXPECT_EQ(text(), R"(string["aXd"])");
  EXPECT_EQ(line->selFirst, 2);
  EXPECT_EQ(line->selLast, 2);
  caret({}, SelectionMode::Text, 0, 0);
  run({'"'});
  EXPECT_EQ(text(), R"(string["""aXd"])");
}

TEST_F(Dispatcher, TextStopsGrowingPastSixtyCharacters) {
  start(R"(string[""])");
  caret({}, SelectionMode::After);
  for (int i = 0; i < 80; ++i) dispatch('a');
  EXPECT_EQ(line->root->text.size(), 61u);
  caret({}, SelectionMode::Text, 3, 3);
  dispatch('b');
  EXPECT_EQ(line->root->text.size(), 61u);
}

TEST_F(Dispatcher, ViewKeysSelectTheWholeEquationAndCommitOnEnter) {
  start(R"(plus[char[a],char[b]])");
  caret({1}, SelectionMode::After);
  EXPECT_EQ(handleViewKeyDown(ViewKey::Home, 0), ViewKeyResult::Handled);
  EXPECT_EQ(currentPath(), std::vector<int>{0});
  EXPECT_EQ(line->mode, SelectionMode::Before);
  EXPECT_EQ(handleViewKeyDown(ViewKey::End, 0), ViewKeyResult::Handled);
  EXPECT_EQ(currentPath(), std::vector<int>{1});
  EXPECT_EQ(line->mode, SelectionMode::After);
  EXPECT_EQ(handleViewKeyDown(ViewKey::Home, KeyModifier::Control), ViewKeyResult::FirstLine);
  EXPECT_EQ(handleViewKeyDown(ViewKey::Down, KeyModifier::Control), ViewKeyResult::NextLine);
  EXPECT_EQ(handleViewKeyDown(ViewKey::Enter, 0), ViewKeyResult::CommitEquation);
  EXPECT_EQ(handleViewKeyDown(ViewKey::Minus, 0), ViewKeyResult::NotHandled);
  EXPECT_EQ(handleViewKeyDown(ViewKey::Minus, KeyModifier::Control), ViewKeyResult::Handled);
  EXPECT_EQ(editorState().currentCommand, Command::WrapMinus);
}

TEST_F(Dispatcher, TypedKeysHideThePromptsQuestionMarkExceptMovesAndTimes) {
  EXPECT_EQ(handleViewCharacter(28, 0), Command::Left);
  EXPECT_FALSE(editorState().promptWithoutMark);
  EXPECT_EQ(handleViewCharacter('*', 0), insertKindCommand(ObjectKind::times));
  EXPECT_FALSE(editorState().promptWithoutMark);
  EXPECT_EQ(handleViewCharacter('x', 0), 'x');
  EXPECT_TRUE(editorState().promptWithoutMark);
  EXPECT_EQ(handleViewCharacter('~', 0), 0);
}

TEST_F(Dispatcher, AltDotAddsADotAbove) {
  start("char[x]");
  EXPECT_EQ(handleViewCharacter('.', KeyModifier::Alt), '.');
  EXPECT_EQ(line->root->decoration, 1u << Decoration::kDotsShift);
  EXPECT_FALSE(editorState().characterEntryModifier);
}

} // namespace
} // namespace vexmar
