#pragma once

#include "model/insertion_point.h"

namespace vexmar {

/// Types a letter (a..z, A..Z) or special character (0x1300 + index) at the caret, then applies
/// the name rules: typed function names become functions, "pi", "theta", "phi" and "degree"
/// become their characters, and an "h" after a circular function makes it hyperbolic. With names
/// typed as words (a typing habit) "log", "sqrt", "abs" and the Greek letter names count too.
void typeLetter(InsertionPoint& ip, int code);
/// Types a digit: a new number, or one more digit of the number at the caret.
void typeDigit(InsertionPoint& ip, int digit);
/// Types the decimal separator into the number at the caret, or starts a new number with it.
void typeDecimalSeparator(InsertionPoint& ip);

} // namespace vexmar
