#pragma once

#include <cstdint>

namespace vexmar {

/// A command for the equation editor: a typed character (1..255), a kind to insert
/// (0x1000 + kind index), a special character (0x1300 + index), a decoration, a caret move, a
/// layout adjustment, a template, an operator key, an algebra action, a term move or a clipboard
/// command.
using EditorCommand = std::int32_t;

namespace Command {
// Caret movement.
inline constexpr EditorCommand NextSlot = 0x1600;
inline constexpr EditorCommand Up = 0x1601;
inline constexpr EditorCommand Down = 0x1602;
inline constexpr EditorCommand Right = 0x1603;
inline constexpr EditorCommand Left = 0x1604;
inline constexpr EditorCommand SpaceMove = 0x1605;
inline constexpr EditorCommand AlternativeSpaceMove = 0x1606;
inline constexpr EditorCommand LeftAlternative = 0x1607;
inline constexpr EditorCommand RightAlternative = 0x1608;
inline constexpr EditorCommand DeleteBackward = 0x1609;
inline constexpr EditorCommand ExtendUp = 0x160A;
inline constexpr EditorCommand ExtendDown = 0x160B;
inline constexpr EditorCommand ExtendRight = 0x160C;
inline constexpr EditorCommand ExtendLeft = 0x160D;
inline constexpr EditorCommand PreviousSlot = 0x160E;
inline constexpr EditorCommand NextPrompt = 0x160F;
inline constexpr EditorCommand LeaveParentheses = 0x1610;
inline constexpr EditorCommand FirstCaretMove = 0x1600;
inline constexpr EditorCommand LastCaretMove = 0x1610;

inline constexpr EditorCommand FirstLayoutAdjustment = 0x1700;
inline constexpr EditorCommand LastLayoutAdjustment = 0x17FF;

inline constexpr EditorCommand WrapTotalDerivative = 0x1809;
inline constexpr EditorCommand WrapPartialDerivative = 0x180A;
inline constexpr EditorCommand FirstTemplate = 0x18A0;
inline constexpr EditorCommand LastTemplate = 0x18B4;
inline constexpr EditorCommand SquareSelection = 0x18AA;
inline constexpr EditorCommand TwoVector = 0x18B3;
inline constexpr EditorCommand ThreeVector = 0x18B4;
inline constexpr EditorCommand Derivative = 0x18B2;

// Operator keys.
inline constexpr EditorCommand WrapMinus = 0x1900;
inline constexpr EditorCommand OpenEqual = 0x1901;
inline constexpr EditorCommand NextTemplateSlot = 0x1902;
inline constexpr EditorCommand AdjustParentheses = 0x1904;
inline constexpr EditorCommand OpenLessThan = 0x1905;
inline constexpr EditorCommand OpenGreaterThan = 0x1906;
inline constexpr EditorCommand OpenComma = 0x1907;

// Algebra actions.
inline constexpr EditorCommand FirstAlgebraAction = 0x2000;
inline constexpr EditorCommand Simplify = 0x2000;
inline constexpr EditorCommand Expand = 0x2002;
inline constexpr EditorCommand IsolateTerm = 0x2016;
inline constexpr EditorCommand Evaluate = 0x201B;
inline constexpr EditorCommand EvaluateIntoEquation = 0x201D;
inline constexpr EditorCommand LastAlgebraAction = 0x2028;
inline constexpr EditorCommand FirstTermMove = 0x2100;
inline constexpr EditorCommand LastTermMove = 0x2109;

// Clipboard and rules.
inline constexpr EditorCommand Cut = 0x2200;
inline constexpr EditorCommand Copy = 0x2201;
inline constexpr EditorCommand Paste = 0x2202;
inline constexpr EditorCommand Clear = 0x2203;
inline constexpr EditorCommand DefineRule = 0x2204;
inline constexpr EditorCommand ApplyRules = 0x2205;
} // namespace Command

[[nodiscard]] constexpr bool isCaretMove(EditorCommand c) {
  return c >= Command::FirstCaretMove && c <= Command::LastCaretMove && c != Command::DeleteBackward;
}
[[nodiscard]] constexpr bool isTermMove(EditorCommand c) {
  return c >= Command::FirstTermMove && c <= Command::LastTermMove;
}

} // namespace vexmar
