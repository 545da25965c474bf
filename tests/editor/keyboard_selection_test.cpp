#include "editor/keyboard_selection.h"

#include "../typeset/typesetting_fixture.h"
#include "editor/dispatcher.h"
#include "editor/editor_state.h"

namespace vexmar::test {
namespace {

using Mode = SelectionMode;

/// Keyboard selection lays lines out with the fixture's typesetter, which goes before the editor.
struct KeyboardSelection : TypesettingFixture {
  KeyboardSelection() { resetEditorState(); }
  ~KeyboardSelection() override {
    editorState().typesetter = nullptr;
    resetEditorState();
  }
};

TEST_F(KeyboardSelection, ShiftArrowsSelectAsADragWould) {
  editorState().typesetter = &typesetter;
  constexpr EditorCommand R = Command::ExtendRight, L = Command::ExtendLeft;
  struct Row {
    CaretRow start;
    std::vector<EditorCommand> keys;
    std::vector<int> path;
    Mode mode;
    int first = 0, last = 0;
  };
  const char* sum = "plus[char[a],char[b],char[c]]";
  const Row rows[] = {
      {{"right from after a term", sum, {0}, Mode::After, 0, 0}, {R}, {1}, Mode::Object},
      {{"right twice", sum, {0}, Mode::After, 0, 0}, {R, R}, {}, Mode::Range, 1, 2},
      {{"right past the end stops", sum, {0}, Mode::After, 0, 0}, {R, R, R}, {}, Mode::Range, 1, 2},
      {{"right then left is the caret again", sum, {0}, Mode::After, 0, 0}, {R, L}, {1}, Mode::Before},
      {{"left from the end", sum, {2}, Mode::After, 0, 0}, {L}, {2}, Mode::Object},
      {{"left twice", sum, {2}, Mode::After, 0, 0}, {L, L}, {}, Mode::Range, 1, 2},
      {{"left to the start selects all", sum, {2}, Mode::After, 0, 0}, {L, L, L}, {}, Mode::Object},
      {{"from a selected term", sum, {1}, Mode::Object, 0, 0}, {R}, {}, Mode::Range, 1, 2},
      {{"between factors", "times[char[a],char[b],char[c]]", {0}, Mode::BetweenFactors, 0, 0},
       {R},
       {1},
       Mode::Object},
      {{"numerator into denominator", "over[char[a],char[b]]", {0}, Mode::After, 0, 0},
       {R},
       {1},
       Mode::Object},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start.name);
    layout(row.start.tree);
    putCaret(*line, row.start);
    for (EditorCommand key : row.keys) dispatch(key);
    EXPECT_EQ(pathTo(*line->current), row.path);
    EXPECT_EQ(line->mode, row.mode);
    if (row.mode == Mode::Range) {
      EXPECT_EQ(line->selFirst, row.first);
      EXPECT_EQ(line->selLast, row.last);
    }
  }
}

TEST_F(KeyboardSelection, ShiftArrowsStartAfreshAfterOtherMoves) {
  editorState().typesetter = &typesetter;
  layout("plus[char[a],char[b],char[c],char[d]]");
  putCaret(*line, {"", "", {0}, Mode::After, 0, 0});
  dispatch(Command::ExtendRight); // b
  dispatch(Command::Right);       // caret after b
  dispatch(Command::ExtendRight); // c alone: the anchor moved with the caret
  EXPECT_EQ(pathTo(*line->current), std::vector<int>{2});
  EXPECT_EQ(line->mode, Mode::Object);
}

TEST_F(KeyboardSelection, ShiftArrowsAmidEditsKeepTheCaretSound) {
  // Edits between extensions free the nodes an anchor was made on; the anchor must never reach
  // them, and every selection must lie inside the tree.
  editorState().typesetter = &typesetter;
  layout("equal[char[y],plus[over[char[a],char[b]],times[num[2,\"2\"],char[x]],sqrt[char[z]]]]");
  const EditorCommand commands[] = {Command::ExtendRight,
                                    Command::ExtendLeft,
                                    Command::ExtendRight,
                                    Command::ExtendLeft,
                                    Command::Right,
                                    Command::Left,
                                    Command::Up,
                                    Command::Down,
                                    'q',
                                    '+',
                                    '/',
                                    Command::DeleteBackward,
                                    insertKindCommand(ObjectKind::power),
                                    insertKindCommand(ObjectKind::id)};
  std::uint32_t seed = 12345;
  int ranges = 0;
  for (int step = 0; step < 3000; ++step) {
    seed = seed * 1664525u + 1013904223u;
    const EditorCommand c = commands[(seed >> 16) % std::size(commands)];
    dispatch(c);
    if (step % 7 == 0) typesetter.layoutLine(*line);
    ASSERT_TRUE(line->current);
    ASSERT_TRUE(isAncestorOrSelf(*line->root, *line->current)) << step;
    if (line->mode == Mode::Range) {
      ++ranges;
      ASSERT_LE(0, line->selFirst);
      ASSERT_LE(line->selFirst, line->selLast);
      ASSERT_LT(line->selLast, line->current->childCount());
    }
  }
  EXPECT_GT(ranges, 20); // the extensions did select ranges
}

} // namespace
} // namespace vexmar::test
