#include "model/number_record.h"

#include "model/fixed_block_pool.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace vexmar {
namespace {

FixedBlockPool& numberPool() {
  // Never destroyed: records owned by process-wide state may outlive any static destructor order.
  static auto* pool = new FixedBlockPool(sizeof(NumberRecord), 10, 200);
  return *pool;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// atof without the locale: blanks skipped, a lone '+' allowed, past the range of a double the
// infinity or zero that strtod gives.
double leadingDecimalValue(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || (text.front() >= '\t' && text.front() <= '\r')))
    text.remove_prefix(1);
  if (text.size() >= 2 && text[0] == '+' && text[1] != '+' && text[1] != '-') text.remove_prefix(1);
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::invalid_argument) return 0.0;
  if (result.ec == std::errc::result_out_of_range) {
    const std::string_view token(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
    const double magnitude = decimalExceedsDoubleRange(token) ? std::numeric_limits<double>::infinity() : 0.0;
    return text.front() == '-' ? -magnitude : magnitude;
  }
  return value;
}

} // namespace

bool decimalExceedsDoubleRange(std::string_view token) {
  if (!token.empty() && (token.front() == '-' || token.front() == '+')) token.remove_prefix(1);
  std::int64_t order = 0; // decimal exponent of the first non-zero digit, before the 'e' part
  bool seenNonZero = false;
  bool afterPoint = false;
  std::size_t i = 0;
  for (; i < token.size() && (isDigit(token[i]) || token[i] == '.'); ++i) {
    if (token[i] == '.') {
      afterPoint = true;
    } else if (seenNonZero) {
      if (!afterPoint) ++order;
    } else if (token[i] != '0') {
      seenNonZero = true;
      if (afterPoint) --order;
    } else if (afterPoint) {
      --order;
    }
  }
  if (!seenNonZero) return false;
  std::int64_t exponent = 0;
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    const bool negative = i < token.size() && token[i] == '-';
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) ++i;
    for (; i < token.size() && isDigit(token[i]); ++i)
      exponent = std::min<std::int64_t>(exponent * 10 + (token[i] - '0'), 1'000'000'000);
    if (negative) exponent = -exponent;
  }
  return order + exponent >= 0;
}

std::string_view NumberRecord::displayText() const { return {text.data(), std::strlen(text.data())}; }

double NumberRecord::textValue(char separator) const {
  // Independent of the C locale: the separator is the user's, not the C library's.
  std::array<char, kTextCapacity> plain{};
  const std::string_view shown = displayText();
  std::replace_copy(shown.begin(), shown.end(), plain.begin(), separator, '.');
  return leadingDecimalValue({plain.data(), shown.size()});
}

bool NumberRecord::showsOtherValue(char separator) const {
  const double shown = textValue(separator);
  if (std::isnan(value) && std::isnan(shown)) return false;
  return shown != value;
}

bool NumberRecord::setDisplayText(std::string_view newText) {
  const std::size_t n = std::min(newText.size(), kTextCapacity - 1);
  std::copy_n(newText.data(), n, text.data());
  std::fill(text.begin() + static_cast<std::ptrdiff_t>(n), text.end(), '\0');
  return n == newText.size();
}

void NumberRecord::keepMantissa(std::string_view mantissaText, int exponent) {
  // Two steps, so that neither power leaves the range of a double.
  const int half = exponent / 2;
  value = value / std::pow(10.0, half) / std::pow(10.0, exponent - half);
  setDisplayText(mantissaText);
}

void* NumberRecord::operator new(std::size_t size) {
  assert(size == sizeof(NumberRecord));
  (void)size;
  return numberPool().allocate();
}

void NumberRecord::operator delete(void* block) noexcept { numberPool().release(block); }

std::size_t numberRecordsInUse() { return numberPool().inUse(); }

} // namespace vexmar
