#include "editor/edit_clipboard.h"

#include "editor_fixture.h"
#include "model/memory_reserve.h"

namespace vexmar {
namespace {

using test::EditorFixture;
using Clipboard = EditorFixture;

std::string held() {
  const EditClipboard& c = editorState().clipboard;
  return c.tree ? writeObjectText(*c.tree) : std::string("(none)");
}

TEST_F(Clipboard, CopyTakesTheSelectionByMode) {
  struct Row {
    const char* name;
    const char* tree;
    std::vector<int> path;
    SelectionMode mode;
    int first, last;
    const char* expected;
  };
  const char* matrix = "matrix[2,3,char[a],char[b],char[c],char[d],char[e],char[f]]";
  const Row rows[] = {
      {"object",
       "plus[char[a],over[char[b],char[c]]]",
       {1},
       SelectionMode::Object,
       0,
       0,
       "over[char[b],char[c]]"},
      {"range", "plus[char[a],char[b],char[c]]", {}, SelectionMode::Range, 1, 2, "plus[char[b],char[c]]"},
      // Corners (0,1) and (1,1): one column of two rows.
      {"cells 1..4 of 2x3", matrix, {}, SelectionMode::Cells, 1, 4, "matrix[2,1,char[b],char[e]]"},
      {"cells 1..5 of 2x3",
       matrix,
       {},
       SelectionMode::Cells,
       1,
       5,
       "matrix[2,2,char[b],char[c],char[e],char[f]]"},
      {"cells as a rectangle from any corners",
       matrix,
       {},
       SelectionMode::Cells,
       5,
       0,
       "matrix[2,3,char[a],char[b],char[c],char[d],char[e],char[f]]"},
      {"one cell", matrix, {}, SelectionMode::Cells, 3, 3, "matrix[1,1,char[d]]"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    start(r.tree);
    caret(r.path, r.mode, r.first, r.last);
    const std::string before = text();
    dispatch(Command::Copy);
    EXPECT_EQ(held(), r.expected);
    EXPECT_EQ(text(), before);
  }
}

TEST_F(Clipboard, CopyKeepsUserAdjustments) {
  start("plus[char[a],char[(*x3x*)b]]");
  caret({1}, SelectionMode::Object);
  dispatch(Command::Copy);
  EXPECT_EQ(held(), "char[(*x3x*)b]");
}

TEST_F(Clipboard, CopyOfAnOperatorHoldsItsKind) {
  start("plus[char[a],char[b]]");
  caret({}, SelectionMode::Operator, 0, 0);
  dispatch(Command::Copy);
  EXPECT_EQ(editorState().clipboard.operatorKind, ObjectKind::plus);
  EXPECT_FALSE(editorState().clipboard.tree);
}

TEST_F(Clipboard, CutRemovesTheSelectionAndCollapsesItsParent) {
  struct Row {
    const char* name;
    const char* tree;
    std::vector<int> path;
    SelectionMode mode;
    int first, last;
    const char* heldText;
    const char* remaining;
  };
  const Row rows[] = {
      {"term of three",
       "plus[char[a],char[b],char[c]]",
       {1},
       SelectionMode::Object,
       0,
       0,
       "char[b]",
       "plus[char[a],char[c]]"},
      {"term of two collapses",
       "equal[char[y],plus[char[a],char[b]]]",
       {1, 0},
       SelectionMode::Object,
       0,
       0,
       "char[a]",
       "equal[char[y],char[b]]"},
      {"range is grouped",
       "plus[char[a],char[b],char[c]]",
       {},
       SelectionMode::Range,
       0,
       1,
       "plus[char[a],char[b]]",
       "char[c]"},
      {"fraction collapses to its numerator",
       "over[char[a],char[b]]",
       {1},
       SelectionMode::Object,
       0,
       0,
       "char[b]",
       "char[a]"},
      {"sole argument becomes a prompt",
       "sin[char[x]]",
       {0},
       SelectionMode::Object,
       0,
       0,
       "char[x]",
       "sin[prompt[]]"},
      {"whole equation",
       "plus[char[a],char[b]]",
       {},
       SelectionMode::Object,
       0,
       0,
       "plus[char[a],char[b]]",
       "prompt[]"},
      {"a prompt stays",
       "over[char[a],prompt[]]",
       {1},
       SelectionMode::Object,
       0,
       0,
       "prompt[]",
       "over[char[a],prompt[]]"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    start(r.tree);
    caret(r.path, r.mode, r.first, r.last);
    dispatch(Command::Cut);
    EXPECT_EQ(held(), r.heldText);
    EXPECT_EQ(text(), r.remaining);
  }
}

TEST_F(Clipboard, CutOperatorJoinsTheOperandsIntoAProduct) {
  start("plus[char[a],char[b],char[c]]");
  caret({}, SelectionMode::Operator, 1, 1);
  dispatch(Command::Cut);
  EXPECT_EQ(editorState().clipboard.operatorKind, ObjectKind::plus);
  EXPECT_EQ(text(), "plus[char[a],times[char[b],char[c]]]");
  EXPECT_EQ(currentPath(), (std::vector<int>{1, 0}));
  EXPECT_EQ(line->mode, SelectionMode::BetweenFactors);
}

TEST_F(Clipboard, CutSignOperatorJoinsItsTermToThePreviousOne) {
  start("plus[char[a],minus[char[b]]]");
  caret({1}, SelectionMode::Operator, 0, 0);
  dispatch(Command::Cut);
  EXPECT_EQ(text(), "times[char[a],char[b]]");
}

TEST_F(Clipboard, PasteReplacesASelectionAndMergesLikeOperands) {
  start("plus[char[x],char[y]]");
  caret({}, SelectionMode::Range, 0, 0);
  dispatch(Command::Copy); // plus[x]
  editorState().clipboard.hold(readObjectText("plus[char[a],char[b]]"));
  caret({1}, SelectionMode::Object);
  dispatch(Command::Paste);
  EXPECT_EQ(text(), "plus[char[x],char[a],char[b]]");
  EXPECT_EQ(line->mode, SelectionMode::Range);
  EXPECT_EQ(line->selFirst, 1);
  EXPECT_EQ(line->selLast, 2);

  caret({}, SelectionMode::Object);
  dispatch(Command::Paste);
  EXPECT_EQ(text(), "plus[char[a],char[b]]");
  EXPECT_EQ(line->mode, SelectionMode::Object);
}

TEST_F(Clipboard, PasteNextToACaretOpensAFactorSlot) {
  editorState().clipboard.hold(readObjectText("over[char[a],char[b]]"));
  start("plus[char[x],char[y]]");
  caret({1}, SelectionMode::After);
  dispatch(Command::Paste);
  EXPECT_EQ(text(), "plus[char[x],times[char[y],over[char[a],char[b]]]]");
  EXPECT_EQ(line->mode, SelectionMode::After);
  caret({0}, SelectionMode::Before);
  dispatch(Command::Paste);
  EXPECT_EQ(text(), "plus[times[over[char[a],char[b]],char[x]],times[char[y],over[char[a],char[b]]]]");
  // The clipboard keeps its tree for further pastes.
  EXPECT_EQ(held(), "over[char[a],char[b]]");
}

TEST_F(Clipboard, PastedProductsMergeIntoAProductAndPlaceTheCaretAfterThem) {
  editorState().clipboard.hold(readObjectText("times[char[a],char[b]]"));
  start("times[char[x],char[y]]");
  caret({0}, SelectionMode::BetweenFactors);
  dispatch(Command::Paste);
  EXPECT_EQ(text(), "times[char[x],char[a],char[b],char[y]]");
  EXPECT_EQ(currentPath(), (std::vector<int>{2}));
  EXPECT_EQ(line->mode, SelectionMode::BetweenFactors);
}

TEST_F(Clipboard, ClearByMode) {
  struct Row {
    const char* name;
    const char* tree;
    std::vector<int> path;
    SelectionMode mode;
    int first, last;
    const char* remaining;
    SelectionMode modeAfter;
  };
  const Row rows[] = {
      {"cells become prompts",
       "matrix[2,2,char[a],char[b],char[c],char[d]]",
       {},
       SelectionMode::Cells,
       1,
       3,
       "matrix[2,2,char[a],prompt[],char[c],prompt[]]",
       SelectionMode::Cells},
      {"inner text range",
       R"(string["abcd"])",
       {},
       SelectionMode::Text,
       1,
       3,
       R"(string["ad"])",
       SelectionMode::Text},
      {"text from the start",
       R"(string["abcd"])",
       {},
       SelectionMode::Text,
       0,
       2,
       R"(string["cd"])",
       SelectionMode::Before},
      {"text to the end",
       R"(string["abcd"])",
       {},
       SelectionMode::Text,
       2,
       4,
       R"(string["ab"])",
       SelectionMode::After},
      {"operand of a sum goes",
       "plus[char[a],char[b],char[c]]",
       {2},
       SelectionMode::Object,
       0,
       0,
       "plus[char[a],char[b]]",
       SelectionMode::After},
      {"argument becomes a prompt",
       "sin[char[x]]",
       {0},
       SelectionMode::Object,
       0,
       0,
       "sin[prompt[]]",
       SelectionMode::Object},
      {"caret modes do nothing",
       "plus[char[a],char[b]]",
       {1},
       SelectionMode::After,
       0,
       0,
       "plus[char[a],char[b]]",
       SelectionMode::After},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    start(r.tree);
    caret(r.path, r.mode, r.first, r.last);
    dispatch(Command::Clear);
    EXPECT_EQ(text(), r.remaining);
    EXPECT_EQ(line->mode, r.modeAfter);
  }
}

TEST_F(Clipboard, LowMemoryRefusesCopiesLargerThanThePoolHolds) {
  ObjectPtr big = makeObject(ObjectKind::plus);
  for (std::size_t i = 0; i < objectsFree() + 10; ++i) appendChild(*big, makeChar('a'));
  line->setRoot(std::move(big));
  memoryReserve().release();
  EXPECT_FALSE(copySelection(*line, editorState().clipboard));
  EXPECT_TRUE(editorState().clipboard.empty());
}

} // namespace
} // namespace vexmar
