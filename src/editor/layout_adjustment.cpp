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
    {0x1700, Field::ShiftY, Op::Add, -1},     {0x1701, Field::ShiftY, Op::Add, +1},
    {0x1702, Field::ShiftX, Op::Add, -1},     {0x1703, Field::ShiftX, Op::Add, +1},
    {0x1704, Field::ShiftY, Op::Add, -6},     {0x1705, Field::ShiftY, Op::Add, +6},
    {0x1706, Field::ShiftX, Op::Add, -6},     {0x1707, Field::ShiftX, Op::Add, +6},
    {0x1708, Field::Shifts, Op::Reset, 0},
    {0x170A, Field::PadAscent, Op::Add, +1},  {0x170B, Field::PadTop, Op::Add, +1},
    {0x170C, Field::PadLeft, Op::Add, +1},    {0x170D, Field::PadRight, Op::Add, +1},
    {0x170E, Field::PadAscent, Op::Add, -1},  {0x170F, Field::PadTop, Op::Add, -1},
    {0x1710, Field::PadLeft, Op::Add, -1},    {0x1711, Field::PadRight, Op::Add, -1},
    {0x1712, Field::Pads, Op::Reset, 0},
    {0x1740, Field::HorizontalAlignment, Op::Set, 1}, {0x1741, Field::HorizontalAlignment, Op::Set, 2},
    {0x1742, Field::HorizontalAlignment, Op::Set, 0}, {0x1746, Field::HorizontalAlignment, Op::Set, 3},
    {0x1747, Field::HorizontalAlignment, Op::Set, 4},
    {0x1743, Field::VerticalAlignment, Op::Set, 1},   {0x1744, Field::VerticalAlignment, Op::Set, 2},
    {0x1745, Field::VerticalAlignment, Op::Set, 0},
    {0x174B, Field::UniformRows, Op::Set, 1},    {0x174C, Field::UniformRows, Op::Set, 0},
    {0x174D, Field::UniformRows, Op::Toggle, 0},
    {0x174E, Field::UniformColumns, Op::Set, 1}, {0x174F, Field::UniformColumns, Op::Set, 0},
    {0x1750, Field::UniformColumns, Op::Toggle, 0},
    {0x17C0, Field::SpacingA, Op::Add, +5},   {0x17C1, Field::SpacingA, Op::Add, -5},
    {0x17C2, Field::SpacingB, Op::Add, +5},   {0x17C3, Field::SpacingB, Op::Add, -5},
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
  const bool fifth = code == 0x1783 || code == 0x1784;
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
    std::uint8_t value = code == 0x1783 ? 1 : 2;
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
