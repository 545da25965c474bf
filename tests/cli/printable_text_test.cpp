#include "cli/printable_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vexmar {
namespace {

TEST(PrintableText, WritesOutControlCharactersOnly) {
  struct Row {
    const char* name;
    std::string text;
    const char* printable;
  };
  const Row rows[] = {
      {"plain", "y=x^2+1", "y=x^2+1"},
      {"empty", "", ""},
      {"newline, return and tab", "a\nb\rc\td", "a\\nb\\rc\\td"},
      {"other control bytes", std::string("\x01\x1B\x1F", 3), "\\x01\\x1B\\x1F"},
      {"NUL", std::string("a\0b", 3), "a\\x00b"},
      {"DEL", "a\x7F", "a\\x7F"},
      {"backslashes stay", "y=\\tan x", "y=\\tan x"},
      {"UTF-8 stays", "y=2\u2212x \u03C0", "y=2\u2212x \u03C0"},
      {"bytes past ASCII stay", "\xC3\xFF", "\xC3\xFF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string printable = printableText(r.text);
    EXPECT_EQ(printable, r.printable);
    // Written out once, nothing is left to write out.
    EXPECT_EQ(printableText(printable), printable);
  }
}

} // namespace
} // namespace vexmar
