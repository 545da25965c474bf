#include "editor/caret_geometry.h"

#include "editor/dispatcher.h"
#include "typesetting_fixture.h"

namespace vexmar::test {
namespace {

using Mode = SelectionMode;
using CaretGeometry = TypesettingFixture;

struct CaretRow {
  const char* name;
  const char* tree;
  std::vector<int> path;
  Mode mode;
  int first, last;
};

void putCaret(InsertionPoint& ip, const CaretRow& row) {
  ip.current = followPath(*ip.root, row.path);
  ASSERT_TRUE(ip.current);
  ip.mode = row.mode;
  ip.selFirst = row.first;
  ip.selLast = row.last;
}

TEST_F(CaretGeometry, CaretBarStandsBesideItsObject) {
  // In a + b + c the operands start at 0, 36 and 72 pixels; in xy the second factor at 12 + g.
  const Fixed g = units(59);
  struct Row {
    CaretRow caret;
    Fixed x;
  };
  const Row rows[] = {
      {{"after", "plus[char[a],char[b],char[c]]", {1}, Mode::After, 0, 0}, px(48)},
      {{"before", "plus[char[a],char[b],char[c]]", {1}, Mode::Before, 0, 0}, px(36)},
      {{"between factors", "times[char[x],char[y]]", {0}, Mode::BetweenFactors, 0, 0}, px(12) + g / 2},
      {{"inside text", "string[\"abc\"]", {}, Mode::Text, 1, 1}, px(12)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.caret.name);
    layout(row.caret.tree);
    putCaret(*line, row.caret);
    const CaretShape shape = caretShape(typesetter, *line);
    ASSERT_TRUE(shape.bar);
    EXPECT_TRUE(shape.highlight.empty());
    EXPECT_EQ(shape.barX + shape.barWidth / 2, row.x);
    EXPECT_EQ(shape.barBottom - shape.barTop, line->current->ascent + line->current->descent);
  }
}

TEST_F(CaretGeometry, SelectionHighlightCoversTheSelection) {
  struct Row {
    CaretRow caret;
    Fixed x0, x1;
  };
  const Row rows[] = {
      {{"object", "plus[char[a],char[b],char[c]]", {2}, Mode::Object, 0, 0}, px(72), px(84)},
      {{"range", "plus[char[a],char[b],char[c]]", {}, Mode::Range, 1, 2}, px(36), px(84)},
      {{"operator", "plus[char[a],char[b],char[c]]", {}, Mode::Operator, 0, 0}, px(12), px(36)},
      {{"characters", "string[\"abcd\"]", {}, Mode::Text, 3, 1}, px(12), px(36)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.caret.name);
    layout(row.caret.tree);
    putCaret(*line, row.caret);
    const CaretShape shape = caretShape(typesetter, *line);
    EXPECT_FALSE(shape.bar);
    ASSERT_EQ(shape.highlight.size(), 1u);
    EXPECT_EQ(shape.highlight[0].x, row.x0);
    EXPECT_EQ(shape.highlight[0].x + shape.highlight[0].width, row.x1);
  }
  // Cells: the rectangle spanned by two corner cells.
  layout("matrix[2,2,char[a],char[b],char[c],char[d]]");
  putCaret(*line, {"cells", "", {}, Mode::Cells, 3, 0});
  const CaretShape cells = caretShape(typesetter, *line);
  ASSERT_EQ(cells.highlight.size(), 1u);
  const MathObject &a = at({0}), &d = at({3});
  EXPECT_EQ(cells.highlight[0].x, a.left);
  EXPECT_EQ(cells.highlight[0].x + cells.highlight[0].width, d.left + d.width);
  EXPECT_EQ(cells.highlight[0].y + cells.highlight[0].height, d.bottom);
}

TEST_F(CaretGeometry, DrawingShowsTheCaretWhenAsked) {
  layout("plus[char[a],char[b]]");
  putCaret(*line, {"", "", {1}, Mode::After, 0, 0});
  EXPECT_TRUE(draw().carets.empty());
  const RecordingSurface drawn = draw({true});
  ASSERT_EQ(drawn.carets.size(), 1u);
  EXPECT_EQ((drawn.carets[0].x + drawn.carets[0].x1) / 2, px(48));
}

TEST_F(CaretGeometry, ClickPlacesTheCaretByHalves) {
  struct Row {
    const char* name;
    const char* tree;
    double x;
    std::vector<int> path;
    Mode mode;
    int sel;
  };
  const Row rows[] = {
      {"left half of a term", "plus[char[a],char[b],char[c]]", 38, {1}, Mode::Before, 0},
      {"right half of a term", "plus[char[a],char[b],char[c]]", 46, {1}, Mode::After, 0},
      {"on a prompt", "plus[char[a],prompt[]]", 40, {1}, Mode::Object, 0},
      {"inside text", "string[\"hello\"]", 25, {}, Mode::Text, 2},
      {"beyond the end", "plus[char[a],char[b]]", 300, {1}, Mode::After, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    layout(row.tree);
    clickAt(typesetter, *line, {px(row.x), px(12)});
    EXPECT_EQ(pathTo(*line->current), row.path);
    EXPECT_EQ(line->mode, row.mode);
    if (row.mode == Mode::Text) {
      EXPECT_EQ(line->selFirst, row.sel);
    }
  }
}

TEST_F(CaretGeometry, ShiftArrowsSelectAsADragWould) {
  typesettingState().typesetter = &typesetter;
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

TEST_F(CaretGeometry, ShiftArrowsStartAfreshAfterOtherMoves) {
  typesettingState().typesetter = &typesetter;
  layout("plus[char[a],char[b],char[c],char[d]]");
  putCaret(*line, {"", "", {0}, Mode::After, 0, 0});
  dispatch(Command::ExtendRight); // b
  dispatch(Command::Right);       // caret after b
  dispatch(Command::ExtendRight); // c alone: the anchor moved with the caret
  EXPECT_EQ(pathTo(*line->current), std::vector<int>{2});
  EXPECT_EQ(line->mode, Mode::Object);
}

TEST_F(CaretGeometry, ShiftArrowsAmidEditsKeepTheCaretSound) {
  // Edits between extensions free the nodes an anchor was made on; the anchor must never reach
  // them, and every selection must lie inside the tree.
  typesettingState().typesetter = &typesetter;
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
                                    0x107D,
                                    0x1075};
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

TEST_F(CaretGeometry, BrokenLinesMapPointsBothWays) {
  std::string text = "plus[char[a]";
  for (char c = 'b'; c <= 'p'; ++c) text += std::string(",char[") + c + "]";
  line->wrapWidth = px(100);
  layout(text + "]");
  ASSERT_GT(line->lineCount, 1);
  for (const ObjectPtr& term : line->root->children) {
    const LinePoint p{term->left + term->width / 2, px(12)};
    const LinePoint shown = lineToDisplay(*line, p);
    EXPECT_LE(shown.x, line->wrapWidth);
    const LinePoint back = displayToLine(*line, shown);
    EXPECT_EQ(back.x, p.x);
    EXPECT_EQ(back.y, p.y);
  }
}

} // namespace
} // namespace vexmar::test
