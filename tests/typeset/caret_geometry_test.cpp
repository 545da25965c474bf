#include "typeset/caret_geometry.h"

#include "typesetting_fixture.h"

namespace vexmar::test {
namespace {

using Mode = SelectionMode;
using CaretGeometry = TypesettingFixture;

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
    placeCaretAt(typesetter, *line, {px(row.x), px(12)});
    EXPECT_EQ(pathTo(*line->current), row.path);
    EXPECT_EQ(line->mode, row.mode);
    if (row.mode == Mode::Text) {
      EXPECT_EQ(line->selFirst, row.sel);
    }
  }
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
