#include "model/math_object.h"
#include "run_command_line.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vexmar {
namespace {

std::string repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(BoundedInput, TypingNeverBuildsAnObjectTheTextFormRefuses) {
  struct Row {
    const char* name;
    std::string keys;
  };
  const Row rows[] = {
      {"letters in a row", repeated("a", kMaxChildren + 1)},
      {"a sum", repeated("a+", kMaxChildren + 1)},
      {"a list", repeated("a,", kMaxChildren + 1)},
      {"a chain of equations", "y" + repeated("=a", kMaxChildren + 1)},
      // Deleting the sign between two long products would join them into one.
      {"joining two products",
       repeated("a", 6000) + "+" + repeated("b", 6000) + repeated("{Left}", 6000) + "{BS}"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const test::Outcome typed = test::vexmar({"type", row.keys});
    EXPECT_EQ(typed.status, 2);
    EXPECT_EQ(typed.err, "vexmar: Not done: one object can hold at most 10000 items\n");
    // What was built reads back, so copy, paste and saving keep working.
    const ObjectPtr read = readObjectText(typed.out.substr(0, typed.out.size() - 1));
    EXPECT_TRUE(read) << typed.out.substr(0, 200);
  }
}

} // namespace
} // namespace vexmar
