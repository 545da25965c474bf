#include "editor/layout_adjustment.h"

#include "editor_fixture.h"
#include "typeset/typesetting_state.h"

namespace vexmar {
namespace {

using test::EditorFixture;
using LayoutAdjustment = EditorFixture;

TEST_F(LayoutAdjustment, CodesChangeTheirFields) {
  struct Row {
    EditorCommand code;
    int times;
    Fixed MathObject::*field;
    Fixed expected;
  };
  constexpr Fixed px = 1 << 16;
  const Row rows[] = {
      {0x1700, 1, &MathObject::shiftY, -px},     {0x1701, 2, &MathObject::shiftY, 2 * px},
      {0x1702, 1, &MathObject::shiftX, -px},     {0x1703, 1, &MathObject::shiftX, px},
      {0x1704, 1, &MathObject::shiftY, -6 * px}, {0x1707, 2, &MathObject::shiftX, 12 * px},
      {0x170A, 1, &MathObject::padAscent, px},   {0x170B, 1, &MathObject::padTop, px},
      {0x170C, 1, &MathObject::padLeft, px},     {0x170D, 3, &MathObject::padRight, 3 * px},
      {0x170E, 1, &MathObject::padAscent, -px},  {0x1711, 1, &MathObject::padRight, -px},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.code);
    start("char[x]");
    for (int i = 0; i < r.times; ++i) dispatch(r.code);
    EXPECT_EQ(line->root.get()->*r.field, r.expected);
  }
}

TEST_F(LayoutAdjustment, ResetsAlignmentsAndFlags) {
  start("matrix[1,1,char[x]]");
  run({0x1703, 0x1701, 0x170C, 0x170A, 0x1708});
  EXPECT_EQ(line->root->shiftX, 0);
  EXPECT_EQ(line->root->shiftY, 0);
  EXPECT_NE(line->root->padLeft, 0);
  run({0x1712});
  EXPECT_EQ(line->root->padLeft, 0);
  EXPECT_EQ(line->root->padAscent, 0);

  const std::pair<EditorCommand, int> horizontal[] = {
      {0x1740, 1}, {0x1741, 2}, {0x1742, 0}, {0x1746, 3}, {0x1747, 4}};
  for (auto [code, value] : horizontal) {
    dispatch(code);
    EXPECT_EQ(line->root->horizontalAlignment, value);
  }
  const std::pair<EditorCommand, int> vertical[] = {{0x1743, 1}, {0x1744, 2}, {0x1745, 0}};
  for (auto [code, value] : vertical) {
    dispatch(code);
    EXPECT_EQ(line->root->verticalAlignment, value);
  }
  run({0x174B});
  EXPECT_EQ(line->root->uniformRows, 1);
  run({0x174D});
  EXPECT_EQ(line->root->uniformRows, 0);
  run({0x1750, 0x1750, 0x174E});
  EXPECT_EQ(line->root->uniformColumns, 1);
  run({0x174F});
  EXPECT_EQ(line->root->uniformColumns, 0);
}

TEST_F(LayoutAdjustment, OnlyASelectedObjectIsAdjustedButAlignmentsTakeARangesContainer) {
  start("plus[char[a],char[b],char[c]]");
  caret({1}, SelectionMode::After);
  dispatch(0x1701);
  EXPECT_EQ(line->root->child(1)->shiftY, 0);
  caret({}, SelectionMode::Range, 0, 1);
  dispatch(0x1701);
  EXPECT_EQ(line->root->shiftY, 0);
  dispatch(0x1741);
  EXPECT_EQ(line->mode, SelectionMode::Object);
  EXPECT_EQ(line->root->horizontalAlignment, 2);
}

TEST_F(LayoutAdjustment, FifthOptionFollowsTheCaretSide) {
  start("plus[char[a],char[b]]");
  caret({0}, SelectionMode::Object);
  dispatch(0x1784);
  EXPECT_EQ(line->root->child(0)->fifthOption, 2);
  caret({0}, SelectionMode::After);
  dispatch(0x1784);
  EXPECT_EQ(line->root->child(0)->fifthOption, 1);
  caret({1}, SelectionMode::Before);
  dispatch(0x1783);
  EXPECT_EQ(line->root->child(1)->fifthOption, 2);
}

TEST_F(LayoutAdjustment, SpacingConstantsStayWithinTheirBounds) {
  for (int i = 0; i < 10; ++i) dispatch(0x17C0);
  EXPECT_EQ(typesettingState().spacingA, 100);
  for (int i = 0; i < 30; ++i) dispatch(0x17C3);
  EXPECT_EQ(typesettingState().spacingB, 0);
  EXPECT_EQ(typesettingState().spacingA, 100);
}

TEST_F(LayoutAdjustment, ShiftsSaturateInsteadOfOverflowing) {
  start("char[x]");
  line->root->shiftX = INT32_MAX - 10;
  dispatch(0x1707);
  EXPECT_EQ(line->root->shiftX, INT32_MAX);
}

} // namespace
} // namespace vexmar
