#include "model/insertion_point.h"

#include "tree_builders.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

using namespace test;

std::unique_ptr<InsertionPoint> lineWith(ObjectPtr root) {
  auto ip = createLineState();
  ip->setRoot(std::move(root));
  return ip;
}

// Sets a box in whole pixels: left, width, and the vertical span [top, bottom).
void box(MathObject& o, int left, int width, int top = 0, int bottom = 20) {
  o.left = left << 16;
  o.width = width << 16;
  o.bottom = bottom << 16;
  o.descent = 5 << 16;
  o.ascent = (bottom - top - 5) << 16;
}

TEST(InsertionPoint, NewLineIsASelectedPrompt) {
  auto ip = createLineState();
  EXPECT_EQ(ip->root->kind, ObjectKind::prompt);
  EXPECT_EQ(ip->root->indexInParent, -1);
  EXPECT_EQ(ip->current, ip->root.get());
  EXPECT_EQ(ip->dirtyObject, ip->root.get());
  EXPECT_EQ(ip->mode, SelectionMode::Object);
  EXPECT_EQ(ip->lineCount, 1);
  EXPECT_EQ(ip->wrapWidth, 10000 << 16);
  EXPECT_FALSE(hasSelection(*ip));
  EXPECT_FALSE(selectionCanBeActedOn(ip.get()));
  EXPECT_FALSE(selectionCanBeActedOn(nullptr));
  auto other = createLineState();
  EXPECT_NE(ip->serial, other->serial);
}

TEST(InsertionPoint, SetInsertionPointNormalises) {
  // y = a*b*c + sin(x) - !n ; each row names the object by path and the request
  auto ip = lineWith(node(ObjectKind::equal, ch('y'),
                          node(ObjectKind::plus, node(ObjectKind::times, ch('a'), ch('b'), ch('c')),
                               node(ObjectKind::sin, ch('x')), node(ObjectKind::fact, ch('n')))));
  struct Row {
    const char* name;
    std::vector<int> object;
    SelectionMode requested;
    std::vector<int> current;
    SelectionMode mode;
  };
  using M = SelectionMode;
  const Row rows[] = {
      {"after a sum is after its last term's operand", {1}, M::After, {1, 2}, M::After},
      {"after sin(x) is after x", {1, 1}, M::After, {1, 1, 0}, M::After},
      {"before a factorial is before its operand", {1, 2}, M::Before, {1, 2, 0}, M::Before},
      {"before a sum is before its first factor", {1}, M::Before, {1, 0, 0}, M::Before},
      {"before the second factor is between factors", {1, 0, 1}, M::Before, {1, 0, 0}, M::BetweenFactors},
      {"before the first factor stays before", {1, 0, 0}, M::Before, {1, 0, 0}, M::Before},
      {"after a middle factor is between factors", {1, 0, 1}, M::After, {1, 0, 1}, M::BetweenFactors},
      {"between after the last factor is after", {1, 0, 2}, M::BetweenFactors, {1, 0, 2}, M::After},
      {"between outside a product is after", {0}, M::BetweenFactors, {0}, M::After},
      {"whole equation after", {}, M::After, {1, 2}, M::After},
      {"selection is unchanged", {1, 1}, M::Object, {1, 1}, M::Object},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    setInsertionPoint(*ip, *followPath(*ip->root, r.object), r.requested);
    EXPECT_EQ(pathTo(*ip->current), r.current);
    EXPECT_EQ(ip->mode, r.mode);
  }
}

TEST(InsertionPoint, APromptIsAlwaysSelectedAndASquareRootKeepsTheCaret) {
  auto ip = lineWith(node(ObjectKind::plus, ch('a'), makePrompt()));
  setInsertionPoint(*ip, *ip->root->child(1), SelectionMode::After);
  EXPECT_EQ(ip->mode, SelectionMode::Object);
  auto root = lineWith(node(ObjectKind::sqrt, ch('x')));
  setInsertionPoint(*root, *root->root, SelectionMode::After);
  EXPECT_EQ(root->current, root->root.get());
  EXPECT_EQ(root->mode, SelectionMode::After);
}

TEST(InsertionPoint, NextPromptSearchesOnThenWraps) {
  auto ip = lineWith(node(ObjectKind::plus, makePrompt(), ch('a'), makePrompt()));
  MathObject* first = ip->root->child(0);
  MathObject* last = ip->root->child(2);
  ip->current = ip->root->child(1);
  ASSERT_TRUE(selectNextPrompt(*ip));
  EXPECT_EQ(ip->current, last);
  ASSERT_TRUE(selectNextPrompt(*ip));
  EXPECT_EQ(ip->current, first);
  auto none = lineWith(ch('x'));
  EXPECT_FALSE(selectNextPrompt(*none));
  EXPECT_EQ(none->current, none->root.get());
}

TEST(InsertionPoint, GroupSelectionMakesARangeOneObject) {
  auto ip = lineWith(node(ObjectKind::plus, ch('a'), ch('b'), ch('c'), ch('d')));
  ip->current = ip->root.get();
  ip->mode = SelectionMode::Range;
  ip->selFirst = 1;
  ip->selLast = 2;
  groupSelection(*ip);
  ASSERT_EQ(ip->root->childCount(), 3);
  EXPECT_EQ(ip->current, ip->root->child(1));
  EXPECT_EQ(ip->current->kind, ObjectKind::plus);
  EXPECT_EQ(ip->current->childCount(), 2);
  EXPECT_EQ(ip->mode, SelectionMode::Object);
  EXPECT_TRUE(linksAreSound(*ip->root));
}

TEST(InsertionPoint, GroupingOneOperandOrAllMakesNoNewNode) {
  // y = a + b: a group of one side, or of both, would leave an equation of a single operand.
  struct Row {
    const char* name;
    int first, last;
    std::vector<int> selected;
  };
  const Row rows[] = {
      {"one operand is that operand", 1, 1, {1}},
      {"a reversed index pair is clamped to one operand", 0, -3, {0}},
      {"every operand is the object itself", 0, 1, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto ip = lineWith(node(ObjectKind::equal, ch('y'), node(ObjectKind::plus, ch('a'), ch('b'))));
    ip->mode = SelectionMode::Range;
    ip->selFirst = row.first;
    ip->selLast = row.last;
    groupSelection(*ip);
    EXPECT_EQ(ip->mode, SelectionMode::Object);
    EXPECT_EQ(pathTo(*ip->current), row.selected);
    ASSERT_EQ(ip->root->childCount(), 2);
    EXPECT_EQ(ip->root->child(0)->kind, ObjectKind::char_);
    EXPECT_EQ(ip->root->child(1)->kind, ObjectKind::plus);
    EXPECT_TRUE(linksAreSound(*ip->root));
  }
}

TEST(InsertionPoint, MarkChangedClearsTheRootsMeasure) {
  auto ip = lineWith(node(ObjectKind::plus, ch('a'), ch('b')));
  ip->layoutValid = 1;
  ip->root->width = 5;
  ip->partialLayout = 1;
  markChanged(*ip, *ip->root->child(1));
  EXPECT_EQ(ip->dirtyObject, ip->root->child(1));
  EXPECT_EQ(ip->layoutValid, 0);
  EXPECT_EQ(ip->root->width, 0);
  ip->partialLayout = 0;
  markChanged(*ip, *ip->root->child(1));
  EXPECT_EQ(ip->dirtyObject, ip->root.get());
}

TEST(InsertionPoint, WrapAndReplaceWorkAtTheRoot) {
  auto ip = lineWith(ch('x'));
  MathObject* x = ip->root.get();
  MathObject* wrapper = wrapObject(*ip, *x, ObjectKind::abs);
  EXPECT_EQ(ip->root.get(), wrapper);
  EXPECT_EQ(wrapper->child(0), x);
  EXPECT_EQ(wrapper->indexInParent, -1);
  MathObject* replaced = replaceSubtree(*ip, *wrapper, makePrompt());
  EXPECT_EQ(ip->root.get(), replaced);
  EXPECT_EQ(replaced->parent, nullptr);
}

// a + sin x, laid out by hand: a [0,10) '+' [10,20) sin [20,50) with x at [35,50)
struct ClickLine : ::testing::Test {
  std::unique_ptr<InsertionPoint> ip =
      lineWith(node(ObjectKind::plus, ch('a'), node(ObjectKind::sin, ch('x'))));
  MathObject& a = *ip->root->child(0);
  MathObject& sine = *ip->root->child(1);
  MathObject& x = *sine.child(0);
  void SetUp() override {
    box(*ip->root, 0, 50);
    box(a, 0, 10);
    box(sine, 20, 30);
    box(x, 35, 15);
  }
};

TEST_F(ClickLine, ObjectUnderThePointIsTheDeepest) {
  EXPECT_EQ(objectAt(*ip->root, 40 << 16, 10 << 16), &x);
  EXPECT_EQ(objectAt(*ip->root, 25 << 16, 10 << 16), &sine);
  EXPECT_EQ(objectAt(*ip->root, 15 << 16, 10 << 16), ip->root.get());
  EXPECT_EQ(objectAt(*ip->root, 60 << 16, 10 << 16), nullptr);
  EXPECT_EQ(objectAt(*ip->root, 5 << 16, 30 << 16), nullptr);
}

TEST_F(ClickLine, ClickPlacesTheCaretByHalves) {
  placeByClick(*ip, a, 5 << 16, 0); // exactly the middle
  EXPECT_EQ(ip->current, &a);
  EXPECT_EQ(ip->mode, SelectionMode::Before);
  placeByClick(*ip, a, (5 << 16) + 1, 0);
  EXPECT_EQ(ip->mode, SelectionMode::After);
  // Right half of sin, over its argument: after the argument.
  placeByClick(*ip, sine, 36 << 16, 0);
  EXPECT_EQ(ip->mode, SelectionMode::After);
  EXPECT_EQ(ip->current, &x);
  sine.width = 10 << 16; // right half of sin, but left of its argument: before the function
  x.left = 40 << 16;
  placeByClick(*ip, sine, 29 << 16, 0);
  EXPECT_EQ(ip->current, &sine);
  EXPECT_EQ(ip->mode, SelectionMode::Before);
}

TEST(InsertionPointClick, StringsTakeACharacterIndex) {
  auto ip = lineWith(makeString("abcd"));
  MathObject& s = *ip->root;
  box(s, 0, 40);
  const auto at = [](const MathObject&, Fixed x) { return static_cast<int>(x >> 16) / 10; };
  placeByClick(*ip, s, 25 << 16, 0, at);
  EXPECT_EQ(ip->mode, SelectionMode::Text);
  EXPECT_EQ(ip->selFirst, 2);
  EXPECT_EQ(ip->selLast, 2);
  placeByClick(*ip, s, 1 << 16, 0, at);
  EXPECT_EQ(ip->mode, SelectionMode::Before);
  placeByClick(*ip, s, 40 << 16, 0, at);
  EXPECT_EQ(ip->mode, SelectionMode::After);

  auto single = lineWith(makeString("a"));
  box(*single->root, 0, 10);
  placeByClick(*single, *single->root, 7 << 16, 0, at);
  EXPECT_EQ(single->mode, SelectionMode::After);
  placeByClick(*single, *single->root, 2 << 16, 0, at);
  EXPECT_EQ(single->mode, SelectionMode::Before);
}

// a + b + c - d laid out 10 pixels an operand with 10-pixel operator gaps.
struct DragLine : ::testing::Test {
  std::unique_ptr<InsertionPoint> ip =
      lineWith(node(ObjectKind::plus, ch('a'), ch('b'), ch('c'), node(ObjectKind::minus, ch('d'))));
  void SetUp() override {
    box(*ip->root, 0, 70);
    for (int i = 0; i < 4; ++i) box(*ip->root->child(i), i * 20, 10);
    box(*ip->root->child(3)->child(0), 65, 5);
  }
  void drag(int from, int to) { placeByDrag(*ip, from << 16, 10 << 16, to << 16, 10 << 16); }
};

TEST_F(DragLine, RangesOperatorsAndWholeObjects) {
  drag(5, 25);
  EXPECT_EQ(ip->mode, SelectionMode::Range);
  EXPECT_EQ(ip->selFirst, 0);
  EXPECT_EQ(ip->selLast, 1);
  drag(45, 25);
  EXPECT_EQ(ip->selFirst, 1);
  EXPECT_EQ(ip->selLast, 2);
  drag(12, 18); // both in the gap after a: the operator
  EXPECT_EQ(ip->mode, SelectionMode::Operator);
  EXPECT_EQ(ip->selFirst, 0);
  drag(52, 58); // the gap before a signed term is not an operator
  EXPECT_NE(ip->mode, SelectionMode::Operator);
  drag(5, 66);
  EXPECT_EQ(ip->mode, SelectionMode::Object);
  EXPECT_EQ(ip->current, ip->root.get());
  drag(15, 5); // from the gap after a back into a: a alone
  EXPECT_EQ(ip->mode, SelectionMode::Range);
  EXPECT_EQ(ip->selFirst, 0);
  EXPECT_EQ(ip->selLast, 0);
  drag(15, 25); // from the gap after a into b: b alone
  EXPECT_EQ(ip->selFirst, 1);
  EXPECT_EQ(ip->selLast, 1);
  drag(3, 7); // inside one operand
  EXPECT_EQ(ip->mode, SelectionMode::Object);
  EXPECT_EQ(ip->current, ip->root->child(0));
}

// y + b = c laid out 10 pixels an operand with 10-pixel operator gaps: the sum y + b from 0 to
// 30, c from 50 to 60.
struct NestedDragLine : ::testing::Test {
  std::unique_ptr<InsertionPoint> ip =
      lineWith(node(ObjectKind::equal, node(ObjectKind::plus, ch('y'), ch('b')), ch('c')));
  void SetUp() override {
    box(*ip->root, 0, 60);
    box(*ip->root->child(0), 0, 30);
    box(*ip->root->child(0)->child(0), 0, 10);
    box(*ip->root->child(0)->child(1), 20, 10);
    box(*ip->root->child(1), 50, 10);
  }
};

// The objects a selection covers, by path: a range as its operands.
std::vector<std::vector<int>> selectedPaths(const InsertionPoint& ip) {
  if (ip.mode == SelectionMode::Object) return {pathTo(*ip.current)};
  std::vector<std::vector<int>> paths;
  if (ip.mode == SelectionMode::Range)
    for (int i = ip.selFirst; i <= ip.selLast; ++i) paths.push_back(pathTo(*ip.current->child(i)));
  return paths;
}

TEST_F(NestedDragLine, ADragSelectsWhatItCoversAtTheDepthOfItsPoints) {
  using Paths = std::vector<std::vector<int>>;
  struct Row {
    const char* name;
    int from, to;
    Paths selected;
  };
  const Row rows[] = {
      // The press lies in the sum's gap, the release in the equation's: b alone, not the side.
      {"from the gap before b to the gap after the sum", 15, 40, {{0, 1}}},
      {"back from the gap after the sum to the gap before b", 40, 15, {{0, 1}}},
      {"from inside b to the gap after the sum", 25, 40, {{0, 1}}},
      {"from before the line to past the side", -20, 40, {{0}}},
      {"from inside b to past the line", 25, 90, {{}}},
      {"from before the line to past the line", -20, 90, {{}}},
      {"from the gap after the sum into c", 40, 55, {{1}}},
      {"from past the line back into c", 90, 55, {{1}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    placeByDrag(*ip, row.from << 16, 10 << 16, row.to << 16, 10 << 16);
    EXPECT_EQ(selectedPaths(*ip), row.selected);
  }
  placeByDrag(*ip, 35 << 16, 10 << 16, 45 << 16, 10 << 16); // both in the gap after the sum
  EXPECT_EQ(ip->mode, SelectionMode::Operator);
  EXPECT_EQ(ip->current, ip->root.get());
}

TEST(InsertionPointDrag, MatrixCellsFormARectangle) {
  auto ip = lineWith(makeObject(ObjectKind::matrix));
  MathObject& m = *ip->root;
  m.setMatrixSize(2, 3);
  for (int i = 0; i < 6; ++i) appendChild(m, ch(static_cast<char>('a' + i)));
  box(m, 0, 60, 0, 40);
  for (int i = 0; i < 6; ++i) box(*m.child(i), (i % 3) * 20, 10, (i / 3) * 20, (i / 3) * 20 + 15);
  placeByDrag(*ip, 45 << 16, 5 << 16, 25 << 16, 25 << 16);
  EXPECT_EQ(ip->mode, SelectionMode::Cells);
  EXPECT_EQ(ip->current, &m);
  EXPECT_EQ(ip->selFirst, 1);
  EXPECT_EQ(ip->selLast, 5);
}

TEST(InsertionPointDrag, PrefixOperatorIsSelectedFromItsGap) {
  auto ip = lineWith(node(ObjectKind::neg, ch('p')));
  box(*ip->root, 0, 20);
  box(*ip->root->child(0), 10, 10);
  placeByDrag(*ip, 2 << 16, 10 << 16, 8 << 16, 10 << 16);
  EXPECT_EQ(ip->mode, SelectionMode::Operator);
  EXPECT_EQ(ip->current, ip->root.get());
}

} // namespace
} // namespace vexmar
