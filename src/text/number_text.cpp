#include "text/number_text.h"

#include "model/model_state.h"
#include "text/text_state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace vexmar {
namespace {

constexpr char kPlaceholder = '#';
constexpr std::string_view kNotANumberWord = "not a number";
constexpr std::string_view kInfinityWord = "infinity";

// More digits than a double holds only shows noise, and no setting may ask for a silly precision.
constexpr int kMinSigFigs = 1;
constexpr int kMaxSigFigs = 17;

int effectiveSigFigs() { return std::clamp(textState().sigFigs, kMinSigFigs, kMaxSigFigs); }

// "%.*g" in the "C" locale whatever the C library's locale is (Qt switches it on start-up).
std::string formatGeneral(double x) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
                                    std::chars_format::general, effectiveSigFigs());
  return {buffer.data(), result.ptr};
}

} // namespace

std::string formatNumber(double x) {
  if (std::isnan(x)) return "NaN";
  // The sign is kept: the text is read back as the number's value, and "-Infinity" reads as -inf.
  if (std::isinf(x)) return x < 0 ? "-Infinity" : "Infinity";
  std::string text = formatGeneral(x);
  std::replace(text.begin(), text.end(), '.', modelState().decimalSeparator);
  return text;
}

SplitNumber formatNumberSplit(double x) {
  SplitNumber split{formatNumber(x), std::nullopt};
  const std::size_t mark = split.mantissa.find('e');
  if (mark == std::string::npos) return split;
  const std::string_view exponentText = std::string_view(split.mantissa).substr(mark + 1);
  const char* begin = exponentText.data();
  if (!exponentText.empty() && exponentText.front() == '+') ++begin;
  int exponent = 0;
  std::from_chars(begin, exponentText.data() + exponentText.size(), exponent);
  split.exponent = exponent;
  split.mantissa.resize(mark);
  return split;
}

std::string formatReadout(double x, std::optional<std::string_view> textTemplate) {
  std::string number;
  if (std::isnan(x))
    number = kNotANumberWord;
  else if (std::isinf(x))
    number = x < 0 ? "- " + std::string(kInfinityWord) : std::string(kInfinityWord);
  else
    number = formatGeneral(x);
  if (!textTemplate) return number;
  std::string text(*textTemplate);
  const std::size_t placeholder = text.find(kPlaceholder);
  if (placeholder == std::string::npos) return text + number;
  text.replace(placeholder, 1, number);
  return text;
}

} // namespace vexmar
