#pragma once

// How far the result of each point routine may lie from the true value of the function at the
// same argument, in units in the last place. The interval routines widen every such result by
// its row, so this table is the one place these figures live; numeric_tests measures every
// routine against MPFR and fails when a measured error reaches its row.
//
// The C library's figures are its published maximum known errors for x86_64 doubles, the
// largest over the four rounding modes; one ulp is added to each, as they are measured rather
// than proven. The routines of real_functions.cpp built from them carry the error of their
// formula as well.

namespace vexmar::detail {

enum class Routine {
  Exp,
  Ln,
  Log10,
  Sin,
  Cos,
  Tan,
  Cot,
  Sec,
  Csc,
  Arcsin,
  Arccos,
  Arctan,
  Arccot,
  Arcsec,
  Arccsc,
  Sinh,
  Cosh,
  Tanh,
  Coth,
  Sech,
  Csch,
  Arcsinh,
  Arccosh,
  Arctanh,
  Arccoth,
  Arcsech,
  Arccsch,
  Power,
  Hypot,
  Angle,
  Factorial,
  RationalPower,
};

struct RoutineErrorBound {
  Routine routine;
  int ulps;
};

// clang-format off
inline constexpr RoutineErrorBound kRoutineErrorBounds[] = {
    {Routine::Exp,       2},  // exp: 1
    {Routine::Ln,        2},  // log: 1
    {Routine::Log10,     3},  // log10: 2
    {Routine::Sin,       2},  // sin: 1
    {Routine::Cos,       2},  // cos: 1
    {Routine::Tan,       2},  // tan: 1
    {Routine::Cot,       3},  // 1 / tan: 1 + 1 for the division
    {Routine::Sec,       3},  // 1 / cos
    {Routine::Csc,       3},  // 1 / sin
    {Routine::Arcsin,    3},  // asin: 2
    {Routine::Arccos,    2},  // acos: 1
    {Routine::Arctan,    2},  // atan: 1
    {Routine::Arccot,    3},  // atan of 1/x, or pi/2 - atan x: 1 + 1
    {Routine::Arcsec,    4},  // acos of 1/x, or atan of a square root near 1: 1 + 2
    {Routine::Arccsc,    5},  // asin of 1/x, or atan of a square root near 1: 2 + 2
    {Routine::Sinh,      4},  // sinh: 3
    {Routine::Cosh,      4},  // cosh: 3
    {Routine::Tanh,      4},  // tanh: 3
    {Routine::Coth,      5},  // 1 / tanh: 3 + 1
    {Routine::Sech,      5},  // 1 / cosh, or 2 exp(-|x|): 3 + 1
    {Routine::Csch,      5},  // 1 / sinh, or 2 exp(-|x|): 3 + 1
    {Routine::Arcsinh,   4},  // asinh: 3
    {Routine::Arccosh,   3},  // acosh: 2
    {Routine::Arctanh,   4},  // atanh: 3
    {Routine::Arccoth,   5},  // log1p of 2/(|x| - 1), halved: 2 + 2
    {Routine::Arcsech,   6},  // log1p of (1 - x + sqrt((1 - x)(1 + x)))/x: 2 + 3
    {Routine::Arccsch,   6},  // asinh of 1/x: 3 + 2
    {Routine::Power,     2},  // pow: 1
    {Routine::Hypot,     2},  // hypot: 1
    {Routine::Angle,     3},  // atan2, plus 2 pi below the axis: 1 + 1
    {Routine::Factorial, 11}, // tgamma: 9, times x when x + 1 would round: + 1
    {Routine::RationalPower, 3}, // pow corrected for its exponent's rounding, or cbrt and a Newton
                                 // step: 2.2 in directed rounding (measured) + 1
};
// clang-format on

constexpr bool rowsInRoutineOrder() {
  for (int i = 0; i < static_cast<int>(sizeof kRoutineErrorBounds / sizeof kRoutineErrorBounds[0]); ++i)
    if (static_cast<int>(kRoutineErrorBounds[i].routine) != i) return false;
  return true;
}
static_assert(rowsInRoutineOrder(), "one row per routine, in the order of the enumeration");

/// The error bound of `routine`, in ulps.
constexpr int errorUlps(Routine routine) { return kRoutineErrorBounds[static_cast<int>(routine)].ulps; }

} // namespace vexmar::detail
