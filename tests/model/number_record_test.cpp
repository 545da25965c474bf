#include "model/number_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vexmar {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

NumberRecord recordShowing(std::string_view text, double value = 0.0) {
  NumberRecord record;
  record.value = value;
  record.setDisplayText(text);
  return record;
}

TEST(NumberRecord, TextValueReadsTheLeadingNumberAsAtofDoes) {
  struct Row {
    const char* name;
    const char* text;
    char separator;
    double expected;
  };
  const Row rows[] = {
      {"plain decimal", "12.5", '.', 12.5},
      {"the user's separator", "12,5", ',', 12.5},
      {"a decimal point being typed", "2.", '.', 2.0},
      {"leading blanks are skipped", " \t7", '.', 7.0},
      {"a lone plus sign", "+3", '.', 3.0},
      {"two signs are no number", "+-3", '.', 0.0},
      {"trailing text is ignored", "4abc", '.', 4.0},
      {"no number at all", "abc", '.', 0.0},
      {"empty text", "", '.', 0.0},
      {"infinity word", "Infinity", '.', kInfinity},
      {"negative infinity word", "-Infinity", '.', -kInfinity},
      {"too large", "1e999", '.', kInfinity},
      {"too large and negative", "-1e999", '.', -kInfinity},
      {"too small", "1e-999", '.', 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(recordShowing(row.text).textValue(row.separator), row.expected);
  }
  EXPECT_TRUE(std::isnan(recordShowing("NaN").textValue('.')));
}

TEST(NumberRecord, ShowsOtherValueComparesTextAndValue) {
  EXPECT_FALSE(recordShowing("0.25", 0.25).showsOtherValue('.'));
  EXPECT_TRUE(recordShowing("7", 0.25).showsOtherValue('.'));
  EXPECT_FALSE(recordShowing("NaN", kNaN).showsOtherValue('.'));
  EXPECT_TRUE(recordShowing("1", kNaN).showsOtherValue('.'));
  EXPECT_TRUE(recordShowing("NaN", 1.0).showsOtherValue('.'));
  // An empty text reads as 0, so it shows a 0 value.
  EXPECT_FALSE(recordShowing("", 0.0).showsOtherValue('.'));
  EXPECT_TRUE(recordShowing("", 1.0).showsOtherValue('.'));
}

TEST(NumberRecord, KeepMantissaDividesTheValueByThePowerOfTen) {
  NumberRecord record = recordShowing("0", 1.5e20);
  record.keepMantissa("1.5", 20);
  EXPECT_EQ(record.value, 1.5);
  EXPECT_EQ(record.displayText(), "1.5");
  // Neither half of a large exponent leaves the range of a double.
  record = recordShowing("0", 2.5e-320);
  record.keepMantissa("2.5", -320);
  EXPECT_NEAR(record.value, 2.5, 1e-3);
}

TEST(NumberRecord, DecimalPastTheRangeIsTooLargeOrTooSmall) {
  struct Row {
    const char* token;
    bool tooLarge;
  };
  const Row rows[] = {
      {"1e999", true},    {"-1e999", true},     {"0.001e312", true},  {"1e-999", false},
      {"0.0e999", false}, {"1000e-330", false}, {"123456e304", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.token);
    EXPECT_EQ(decimalExceedsDoubleRange(row.token), row.tooLarge);
  }
}

} // namespace
} // namespace vexmar
