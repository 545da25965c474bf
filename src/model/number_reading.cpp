#include "model/number_reading.h"

#include "model/model_state.h"

#include <charconv>
#include <limits>
#include <string>

namespace vexmar {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isDigit(char c, bool hex) {
  if (c >= '0' && c <= '9') return true;
  return hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// Whether a well-formed number that does not fit a double is too large (rather than too small):
// the power of its leading nonzero digit decides.
bool exceedsDoubleRange(std::string_view number, bool hex) {
  const int digitWeight = hex ? 4 : 1;
  const char exponentMark = hex ? 'p' : 'e';
  bool foundNonzero = false;
  bool leadingInFraction = false;
  long long leadingIndex = 0; // 1-based, within the integer or the fraction digits
  bool afterPoint = false;
  long long integerDigits = 0;
  long long fractionDigits = 0;
  std::size_t i = 0;
  for (; i < number.size(); ++i) {
    const char c = number[i];
    if (c == '.') {
      afterPoint = true;
      continue;
    }
    if (!isDigit(c, hex)) break;
    const long long index = afterPoint ? ++fractionDigits : ++integerDigits;
    if (!foundNonzero && c != '0') {
      foundNonzero = true;
      leadingInFraction = afterPoint;
      leadingIndex = index;
    }
  }
  const long long leadingPower = leadingInFraction ? -leadingIndex : integerDigits - leadingIndex;
  long long exponent = 0;
  if (i < number.size() && (number[i] == exponentMark || number[i] == exponentMark - 'a' + 'A')) {
    ++i;
    bool negative = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
    for (; i < number.size() && isDigit(number[i], false); ++i)
      exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000LL);
    if (negative) exponent = -exponent;
  }
  return leadingPower * digitWeight + exponent > 0;
}

} // namespace

double parseNumber(std::string_view text) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start])) ++start;
  text.remove_prefix(start);
  if (text.find("Infinity") != std::string_view::npos)
    return !text.empty() && text.front() == '-' ? -kInfinity : kInfinity;
  if (text.find("NaN") != std::string_view::npos) return kNaN;

  std::string plain(text);
  const char separator = modelState().decimalSeparator;
  if (separator != '.') {
    const std::size_t at = plain.find(separator);
    if (at != std::string::npos) plain[at] = '.';
  }
  std::string_view rest = plain;
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  bool hex = false;
  if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X') && isDigit(rest[2], true)) {
    hex = true;
    rest.remove_prefix(2);
  }
  // The sign was taken above; a second one is not a number.
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) return kNaN;

  double value = 0.0;
  const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value,
                                      hex ? std::chars_format::hex : std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return kNaN;
  if (result.ec == std::errc::result_out_of_range)
    value = exceedsDoubleRange(rest.substr(0, static_cast<std::size_t>(result.ptr - rest.data())), hex)
                ? kInfinity
                : 0.0;
  return negative ? -value : value;
}

} // namespace vexmar
