#include "editor/layout_adjustment.h"

#include "model/insertion_point.h"
#include "typeset/typesetting_state.h"

#include <algorithm>
#include <array>

namespace vexmar {
namespace {

enum class Field : std::uint8_t {
  ShiftX,
  ShiftY,
  Shifts,
  PadAscent,
  PadTop,
  PadLeft,
  PadRight,
  Pads,
  HorizontalAlignment,
  VerticalAlignment,
  UniformRows,
  UniformColumns,
  FifthOption,
  SpacingA,
  SpacingB,
};
enum class Op : std::uint8_t { Add, Reset, Set, Toggle };

struct Adjustment {
  EditorCommand code;
  Field field;
  Op op;
  int value; // steps for Add, the value for Set
};

constexpr Fixed kStep = 1 << 16; // one device pixel

// clang-format off
constexpr std::array<Adjustment, 36> kAdjustments = {{
    {Command::NudgeUp, Field::ShiftY, Op::Add, -1},
    {Command::NudgeDown, Field::ShiftY, Op::Add, +1},
    {Command::NudgeLeft, Field::ShiftX, Op::Add, -1},
    {Command::NudgeRight, Field::ShiftX, Op::Add, +1},
    {Command::NudgeUpFar, Field::ShiftY, Op::Add, -6},
    {Command::NudgeDownFar, Field::ShiftY, Op::Add, +6},
    {Command::NudgeLeftFar, Field::ShiftX, Op::Add, -6},
    {Command::NudgeRightFar, Field::ShiftX, Op::Add, +6},
    {Command::ResetNudges, Field::Shifts, Op::Reset, 0},
    {Command::IncreaseAscentPadding, Field::PadAscent, Op::Add, +1},
    {Command::IncreaseTopPadding, Field::PadTop, Op::Add, +1},
    {Command::IncreaseLeftPadding, Field::PadLeft, Op::Add, +1},
    {Command::IncreaseRightPadding, Field::PadRight, Op::Add, +1},
    {Command::DecreaseAscentPadding, Field::PadAscent, Op::Add, -1},
    {Command::DecreaseTopPadding, Field::PadTop, Op::Add, -1},
    {Command::DecreaseLeftPadding, Field::PadLeft, Op::Add, -1},
    {Command::DecreaseRightPadding, Field::PadRight, Op::Add, -1},
    {Command::ResetPaddings, Field::Pads, Op::Reset, 0},
    {Command::AlignLeft, Field::HorizontalAlignment, Op::Set, 1},
    {Command::AlignRight, Field::HorizontalAlignment, Op::Set, 2},
    {Command::AlignCentre, Field::HorizontalAlignment, Op::Set, 0},
    {Command::HorizontalAlignmentThree, Field::HorizontalAlignment, Op::Set, 3},
    {Command::HorizontalAlignmentFour, Field::HorizontalAlignment, Op::Set, 4},
    {Command::AlignTop, Field::VerticalAlignment, Op::Set, 1},
    {Command::AlignBottom, Field::VerticalAlignment, Op::Set, 2},
    {Command::AlignBaseline, Field::VerticalAlignment, Op::Set, 0},
    {Command::SetUniformRows, Field::UniformRows, Op::Set, 1},
    {Command::ClearUniformRows, Field::UniformRows, Op::Set, 0},
    {Command::ToggleUniformRows, Field::UniformRows, Op::Toggle, 0},
    {Command::SetUniformColumns, Field::UniformColumns, Op::Set, 1},
    {Command::ClearUniformColumns, Field::UniformColumns, Op::Set, 0},
    {Command::ToggleUniformColumns, Field::UniformColumns, Op::Toggle, 0},
    {Command::IncreaseSpacingA, Field::SpacingA, Op::Add, +5},
    {Command::DecreaseSpacingA, Field::SpacingA, Op::Add, -5},
    {Command::IncreaseSpacingB, Field::SpacingB, Op::Add, +5},
    {Command::DecreaseSpacingB, Field::SpacingB, Op::Add, -5},
}};
// clang-format on

Fixed addSteps(Fixed v, int steps) {
  const std::int64_t sum = static_cast<std::int64_t>(v) + static_cast<std::int64_t>(steps) * kStep;
  return static_cast<Fixed>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
}

Fixed* fixedField(MathObject& o, Field f) {
  switch (f) {
  case Field::ShiftX:
    return &o.shiftX;
  case Field::ShiftY:
    return &o.shiftY;
  case Field::PadAscent:
    return &o.padAscent;
  case Field::PadTop:
    return &o.padTop;
  case Field::PadLeft:
    return &o.padLeft;
  case Field::PadRight:
    return &o.padRight;
  default:
    return nullptr;
  }
}

std::uint8_t* byteField(MathObject& o, Field f) {
  switch (f) {
  case Field::HorizontalAlignment:
    return &o.horizontalAlignment;
  case Field::VerticalAlignment:
    return &o.verticalAlignment;
  case Field::UniformRows:
    return &o.uniformRows;
  case Field::UniformColumns:
    return &o.uniformColumns;
  default:
    return nullptr;
  }
}

void apply(MathObject& o, const Adjustment& a) {
  if (a.field == Field::Shifts) {
    o.shiftX = o.shiftY = 0;
  } else if (a.field == Field::Pads) {
    o.padAscent = o.padTop = o.padLeft = o.padRight = 0;
  } else if (Fixed* f = fixedField(o, a.field)) {
    *f = addSteps(*f, a.value);
  } else if (std::uint8_t* b = byteField(o, a.field)) {
    *b = a.op == Op::Toggle ? static_cast<std::uint8_t>(!*b) : static_cast<std::uint8_t>(a.value);
  }
}

} // namespace

bool adjustLayout(InsertionPoint& ip, EditorCommand code) {
  const auto row = std::find_if(kAdjustments.begin(), kAdjustments.end(),
                                [code](const Adjustment& a) { return a.code == code; });
  const bool fifth = code == Command::SetFifthOptionAfter || code == Command::SetFifthOptionBefore;
  if (row == kAdjustments.end() && !fifth) return false;

  if (!fifth && (row->field == Field::SpacingA || row->field == Field::SpacingB)) {
    TypesettingState& state = typesettingState();
    int& constant = row->field == Field::SpacingA ? state.spacingA : state.spacingB;
    constant = std::clamp(constant + row->value, 0, 100);
    markChangedFromRoot(ip);
    return true;
  }
  if (!ip.current) return false;
  if (ip.mode == SelectionMode::Range && !fifth &&
      (row->field == Field::HorizontalAlignment || row->field == Field::VerticalAlignment))
    ip.mode = SelectionMode::Object;

  if (fifth) {
    // With a caret the side of the object decides: after it 1, before it 2.
    std::uint8_t value = code == Command::SetFifthOptionAfter ? 1 : 2;
    if (ip.mode == SelectionMode::After)
      value = 1;
    else if (ip.mode == SelectionMode::Before)
      value = 2;
    else if (ip.mode != SelectionMode::Object)
      return false;
    ip.current->fifthOption = value;
  } else {
    if (ip.mode != SelectionMode::Object) return false;
    apply(*ip.current, *row);
  }
  markChangedFromRoot(ip);
  return true;
}

} // namespace vexmar
