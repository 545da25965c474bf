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
      {Command::NudgeUp, 1, &MathObject::shiftY, -px},
      {Command::NudgeDown, 2, &MathObject::shiftY, 2 * px},
      {Command::NudgeLeft, 1, &MathObject::shiftX, -px},
      {Command::NudgeRight, 1, &MathObject::shiftX, px},
      {Command::NudgeUpFar, 1, &MathObject::shiftY, -6 * px},
      {Command::NudgeRightFar, 2, &MathObject::shiftX, 12 * px},
      {Command::IncreaseAscentPadding, 1, &MathObject::padAscent, px},
      {Command::IncreaseTopPadding, 1, &MathObject::padTop, px},
      {Command::IncreaseLeftPadding, 1, &MathObject::padLeft, px},
      {Command::IncreaseRightPadding, 3, &MathObject::padRight, 3 * px},
      {Command::DecreaseAscentPadding, 1, &MathObject::padAscent, -px},
      {Command::DecreaseRightPadding, 1, &MathObject::padRight, -px},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(commandName(r.code));
    start("char[x]");
    for (int i = 0; i < r.times; ++i) dispatch(r.code);
    EXPECT_EQ(line->root.get()->*r.field, r.expected);
  }
}

TEST_F(LayoutAdjustment, ResetsAlignmentsAndFlags) {
  start("matrix[1,1,char[x]]");
  run({Command::NudgeRight, Command::NudgeDown, Command::IncreaseLeftPadding, Command::IncreaseAscentPadding,
       Command::ResetNudges});
  EXPECT_EQ(line->root->shiftX, 0);
  EXPECT_EQ(line->root->shiftY, 0);
  EXPECT_NE(line->root->padLeft, 0);
  run({Command::ResetPaddings});
  EXPECT_EQ(line->root->padLeft, 0);
  EXPECT_EQ(line->root->padAscent, 0);

  const std::pair<EditorCommand, int> horizontal[] = {{Command::AlignLeft, 1},
                                                      {Command::AlignRight, 2},
                                                      {Command::AlignCentre, 0},
                                                      {Command::HorizontalAlignmentThree, 3},
                                                      {Command::HorizontalAlignmentFour, 4}};
  for (auto [code, value] : horizontal) {
    dispatch(code);
    EXPECT_EQ(line->root->horizontalAlignment, value);
  }
  const std::pair<EditorCommand, int> vertical[] = {
      {Command::AlignTop, 1}, {Command::AlignBottom, 2}, {Command::AlignBaseline, 0}};
  for (auto [code, value] : vertical) {
    dispatch(code);
    EXPECT_EQ(line->root->verticalAlignment, value);
  }
  run({Command::SetUniformRows});
  EXPECT_EQ(line->root->uniformRows, 1);
  run({Command::ToggleUniformRows});
  EXPECT_EQ(line->root->uniformRows, 0);
  run({Command::ToggleUniformColumns, Command::ToggleUniformColumns, Command::SetUniformColumns});
  EXPECT_EQ(line->root->uniformColumns, 1);
  run({Command::ClearUniformColumns});
  EXPECT_EQ(line->root->uniformColumns, 0);
}

TEST_F(LayoutAdjustment, OnlyASelectedObjectIsAdjustedButAlignmentsTakeARangesContainer) {
  start("plus[char[a],char[b],char[c]]");
  caret({1}, SelectionMode::After);
  dispatch(Command::NudgeDown);
  EXPECT_EQ(line->root->child(1)->shiftY, 0);
  caret({}, SelectionMode::Range, 0, 1);
  dispatch(Command::NudgeDown);
  EXPECT_EQ(line->root->shiftY, 0);
  dispatch(Command::AlignRight);
  EXPECT_EQ(line->mode, SelectionMode::Object);
  EXPECT_EQ(line->root->horizontalAlignment, 2);
}

TEST_F(LayoutAdjustment, FifthOptionFollowsTheCaretSide) {
  start("plus[char[a],char[b]]");
  caret({0}, SelectionMode::Object);
  dispatch(Command::SetFifthOptionBefore);
  EXPECT_EQ(line->root->child(0)->fifthOption, 2);
  caret({0}, SelectionMode::After);
  dispatch(Command::SetFifthOptionBefore);
  EXPECT_EQ(line->root->child(0)->fifthOption, 1);
  caret({1}, SelectionMode::Before);
  dispatch(Command::SetFifthOptionAfter);
  EXPECT_EQ(line->root->child(1)->fifthOption, 2);
}

TEST_F(LayoutAdjustment, SpacingConstantsStayWithinTheirBounds) {
  for (int i = 0; i < 10; ++i) dispatch(Command::IncreaseSpacingA);
  EXPECT_EQ(typesettingState().spacingA, 100);
  for (int i = 0; i < 30; ++i) dispatch(Command::DecreaseSpacingB);
  EXPECT_EQ(typesettingState().spacingB, 0);
  EXPECT_EQ(typesettingState().spacingA, 100);
}

TEST_F(LayoutAdjustment, ShiftsSaturateInsteadOfOverflowing) {
  start("char[x]");
  line->root->shiftX = INT32_MAX - 10;
  dispatch(Command::NudgeRightFar);
  EXPECT_EQ(line->root->shiftX, INT32_MAX);
}

} // namespace
} // namespace vexmar
