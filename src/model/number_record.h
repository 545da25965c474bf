#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexmar {

/// The value and display text of a `num` object. Records come from a pool.
struct NumberRecord {
  static constexpr std::size_t kTextCapacity = 25; ///< bytes, terminating NUL included

  double value = 0.0;
  std::array<char, kTextCapacity> text{}; ///< what is measured and drawn; NUL-terminated
  std::uint8_t ellipsis = 0;              ///< drawn followed by an ellipsis
  std::uint8_t secondFlag = 0;

  [[nodiscard]] std::string_view displayText() const;
  /// The value of the display text's leading number as the C library's atof reads it, with
  /// `separator` as the decimal point: ±infinity past the range of a double, 0 when the text does
  /// not start with a number.
  [[nodiscard]] double textValue(char separator) const;
  /// True when the display text's leading number is not the value (two NaNs agree).
  [[nodiscard]] bool showsOtherValue(char separator) const;
  /// Stores at most kTextCapacity - 1 bytes; returns false when the text had to be cut.
  bool setDisplayText(std::string_view newText);
  /// Makes the record the mantissa of its value shown as mantissa × 10^exponent: the value is
  /// divided by 10^exponent and `mantissaText` shown.
  void keepMantissa(std::string_view mantissaText, int exponent);

  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;
};

/// For a decimal number ('.' as the point, optional sign and exponent) too large or too small for
/// a double: true when it is too large.
[[nodiscard]] bool decimalExceedsDoubleRange(std::string_view token);

/// Number records in use (for tests that prove nothing leaks).
[[nodiscard]] std::size_t numberRecordsInUse();

} // namespace vexmar
