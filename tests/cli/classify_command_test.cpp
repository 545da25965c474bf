#include "run_command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vexmar {
namespace {

using test::Outcome;
using test::vexmar;

// z = x y, x > 0: restricted surfaces exist only in space.
constexpr const char* kRestrictedSurface =
    "comma[equal[char[z],times[char[x],char[y]]],greaterthan[char[x],num[0,\"0\"]]]";

TEST(ClassifyCommand, PrintsTheFormOrTheReason) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* out;
  };
  const Row rows[] = {
      {"typed parabola", {"classify", "y=x^2"}, "form 1\n"},
      {"parabola in a 3D document", {"classify", "y=x^2", "--3d"}, "form 7\n"},
      {"letter on the right", {"classify", "y^2{Right}=x"}, "form 2\n"},
      {"text form", {"classify", "--text", "lessthan[char[x],char[y]]"}, "form 30\n"},
      {"surface style makes the document 3D", {"classify", "--text", kRestrictedSurface}, "form 5\n"},
      {"density keeps it in the plane",
       {"classify", "--style", "2", "--text", kRestrictedSurface},
       "reason 7: A condition after the comma is not appropriate here\n"},
      {"inequality in 3D", {"classify", "x<y", "--3d"}, "reason 5: Can't graph 2D Inequalities in 3D\n"},
      {"empty equation", {"classify", ""}, "reason 8: No equation to graph.  Try 'y = x'\n"},
      {"question mark", {"classify", "y="}, "reason 1: Can't graph equations with question marks\n"},
      {"t alone", {"classify", "y=t"}, "reason 2: Parameter 't' can only be used in parametric curves\n"},
      {"condition on an explicit curve",
       {"classify", "--text", "comma[equal[char[y],char[x]],greaterthan[char[x],num[0,\"0\"]]]"},
       "reason 7: A condition after the comma is not appropriate here\n"},
      {"keys after --", {"classify", "--", "x"}, "form 27\n"},
      {"subscripted name", {"classify", "y=a_1{Right}x"}, "form 1\n"},
      {"x_1 is no x: y = x_1, not x = y", {"classify", "x_1=y"}, "form 1\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Outcome o = vexmar(r.args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, r.out);
    EXPECT_TRUE(o.err.empty());
  }
}

TEST(ClassifyCommand, BadArgumentsExitTwoWithOneLine) {
  const std::vector<std::vector<std::string>> rows = {
      {"classify"},
      {"classify", "x", "y"},
      {"classify", "x", "--style"},
      {"classify", "x", "--style", "4"},
      {"classify", "x", "--2d"},
      {"classify", "{Nope}"},
      {"classify", "--text", "plus["},
  };
  for (const auto& args : rows) {
    SCOPED_TRACE(args.back());
    const Outcome o = vexmar(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.out.empty());
    ASSERT_FALSE(o.err.empty());
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;
  }
}

} // namespace
} // namespace vexmar
