#include "numeric/decimal_enclosure.h"

#include "model/model_state.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace vexmar {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

enum class Reading { Decimal, Hexadecimal, None };

// D x 10^E with D an integer written without leading or trailing zeros (empty for zero).
struct Decimal {
  std::string digits;
  long long exponent = 0;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The leading number of `text` (blanks and a sign before it allowed).
Reading readDecimal(std::string_view text, Decimal& out) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
    return Reading::Hexadecimal;
  std::string digits;
  long long fractionDigits = 0;
  bool afterPoint = false, anyDigit = false;
  for (; i < text.size(); ++i) {
    if (text[i] == '.' && !afterPoint) {
      afterPoint = true;
    } else if (isDigit(text[i])) {
      anyDigit = true;
      if (digits.empty() && text[i] == '0') { // a leading zero only moves the point
        if (afterPoint) ++fractionDigits;
        continue;
      }
      digits += text[i];
      if (afterPoint) ++fractionDigits;
    } else {
      break;
    }
  }
  if (!anyDigit) return Reading::None;
  long long exponent = 0;
  if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    const bool negative = text[j] == '-';
    if (text[j] == '+' || text[j] == '-') ++j;
    if (j < text.size() && isDigit(text[j])) {
      for (; j < text.size() && isDigit(text[j]); ++j)
        exponent = std::min(exponent * 10 + (text[j] - '0'), 1'000'000'000LL);
      if (negative) exponent = -exponent;
    }
  }
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    --fractionDigits;
  }
  out.digits = std::move(digits);
  out.exponent = out.digits.empty() ? 0 : exponent - fractionDigits;
  return Reading::Decimal;
}

// Every finite double is a decimal of at most 767 significant digits; the C++ library writes them all.
Decimal exactDecimal(double magnitude) {
  char text[820];
  const auto end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 780).ptr;
  Decimal d;
  readDecimal({text, static_cast<std::size_t>(end - text)}, d);
  return d;
}

// -1, 0 or 1 as |a| is less than, equal to or greater than |b|.
int compareMagnitudes(const Decimal& a, const Decimal& b) {
  if (a.digits.empty() || b.digits.empty()) return !a.digits.empty() - !b.digits.empty();
  const long long orderA = static_cast<long long>(a.digits.size()) + a.exponent;
  const long long orderB = static_cast<long long>(b.digits.size()) + b.exponent;
  if (orderA != orderB) return orderA < orderB ? -1 : 1;
  const int c = a.digits.compare(b.digits); // same order: digit by digit, then the longer is larger
  return (c > 0) - (c < 0);
}

} // namespace

IntervalValue decimalEnclosure(std::string_view text, double value) {
  if (!std::isfinite(value)) return {value, value};
  std::string plain(text);
  const char separator = modelState().decimalSeparator;
  if (const std::size_t at = plain.find(separator); separator != '.' && at != std::string::npos)
    plain[at] = '.';
  Decimal typed;
  switch (readDecimal(plain, typed)) {
  case Reading::None:
    return {value, value};
  case Reading::Hexadecimal: // rare enough to take both neighbours rather than read it exactly
    return {std::nextafter(value, -kInfinity), std::nextafter(value, kInfinity)};
  case Reading::Decimal:
    break;
  }
  const int c = compareMagnitudes(typed, exactDecimal(std::fabs(value)));
  if (c == 0) return {value, value};
  const bool negative = plain.find('-') < plain.find_first_of("0123456789.");
  // The real number lies beyond the double, away from zero (c > 0) or toward it.
  const bool above = (c > 0) != negative;
  const double neighbour = std::nextafter(value, above ? kInfinity : -kInfinity);
  return above ? IntervalValue{value, neighbour} : IntervalValue{neighbour, value};
}

IntervalValue numberEnclosure(const NumberRecord& number) {
  if (number.showsOtherValue(modelState().decimalSeparator)) return {number.value, number.value};
  return decimalEnclosure(number.displayText(), number.value);
}

} // namespace vexmar
