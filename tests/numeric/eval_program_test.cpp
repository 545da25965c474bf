#include "numeric/eval_program.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace vexmar {
namespace {

struct OpcodeRow {
  EvalOpcode opcode;
  int number;
  const char* listing;
  int stack;
};

// Programs are kept by opcode number, and listings are read by people and tests: both stay put
// whatever order the instruction list is expanded in.
constexpr OpcodeRow kFixedOpcodes[] = {
    {EvalOpcode::PushConstant, 0, "push", +1},
    {EvalOpcode::PushSlot, 1, "push slot", +1},
    {EvalOpcode::Store, 2, "store", 0},
    {EvalOpcode::Swap, 3, "swap", 0},
    {EvalOpcode::PushUCache, 4, "push u cache", +1},
    {EvalOpcode::PushVCache, 5, "push v cache", +1},
    {EvalOpcode::Add, 6, "add", -1},
    {EvalOpcode::Nop, 7, "nop", 0},
    {EvalOpcode::Multiply, 8, "multiply", -1},
    {EvalOpcode::Divide, 9, "divide", -1},
    {EvalOpcode::Power, 10, "power", -1},
    {EvalOpcode::Angle, 11, "angle", -1},
    {EvalOpcode::Hypot, 12, "hypot", -1},
    {EvalOpcode::Drop, 13, "drop", -1},
    {EvalOpcode::Negate, 14, "negate", 0},
    {EvalOpcode::Abs, 15, "abs", 0},
    {EvalOpcode::Sign, 16, "sign", 0},
    {EvalOpcode::Sqrt, 17, "sqrt", 0},
    {EvalOpcode::Exp, 18, "exp", 0},
    {EvalOpcode::Log10, 19, "log10", 0},
    {EvalOpcode::Ln, 20, "ln", 0},
    {EvalOpcode::Factorial, 21, "factorial", 0},
    {EvalOpcode::Sin, 22, "sin", 0},
    {EvalOpcode::Cos, 23, "cos", 0},
    {EvalOpcode::Tan, 24, "tan", 0},
    {EvalOpcode::Cot, 25, "cot", 0},
    {EvalOpcode::Sec, 26, "sec", 0},
    {EvalOpcode::Csc, 27, "csc", 0},
    {EvalOpcode::Asin, 28, "asin", 0},
    {EvalOpcode::Acos, 29, "acos", 0},
    {EvalOpcode::Atan, 30, "atan", 0},
    {EvalOpcode::Acot, 31, "acot", 0},
    {EvalOpcode::Asec, 32, "asec", 0},
    {EvalOpcode::Acsc, 33, "acsc", 0},
    {EvalOpcode::Sinh, 34, "sinh", 0},
    {EvalOpcode::Cosh, 35, "cosh", 0},
    {EvalOpcode::Tanh, 36, "tanh", 0},
    {EvalOpcode::Coth, 37, "coth", 0},
    {EvalOpcode::Sech, 38, "sech", 0},
    {EvalOpcode::Csch, 39, "csch", 0},
    {EvalOpcode::Asinh, 40, "asinh", 0},
    {EvalOpcode::Acosh, 41, "acosh", 0},
    {EvalOpcode::Atanh, 42, "atanh", 0},
    {EvalOpcode::Acoth, 43, "acoth", 0},
    {EvalOpcode::Asech, 44, "asech", 0},
    {EvalOpcode::Acsch, 45, "acsch", 0},
    {EvalOpcode::Less, 46, "less", -1},
    {EvalOpcode::Greater, 47, "greater", -1},
    {EvalOpcode::Equal, 48, "equal", -1},
    {EvalOpcode::And, 49, "and", -1},
    {EvalOpcode::Or, 50, "or", -1},
    {EvalOpcode::Stop, 51, "stop", 0},
    {EvalOpcode::RationalPower, 52, "rational power", 0},
};

TEST(EvalProgramTest, OpcodeNumbersListingsAndStackEffectsStayFixed) {
  ASSERT_EQ(std::size(kFixedOpcodes), static_cast<std::size_t>(kOpcodeCount));
  for (const OpcodeRow& row : kFixedOpcodes) {
    SCOPED_TRACE(row.listing);
    EXPECT_EQ(static_cast<int>(row.opcode), row.number);
    EXPECT_EQ(opcodeName(row.opcode), row.listing);
    EXPECT_EQ(stackEffect(row.opcode), row.stack);
  }
}

TEST(EvalProgramTest, ListingShowsOperandsAndEndsWithStop) {
  EvalProgram p;
  p.code = {{EvalOpcode::PushSlot, 3, 0.0},   {EvalOpcode::PushConstant, 0, 0.1},
            {EvalOpcode::Add, 0, 0.0},        {EvalOpcode::Store, 12, 0.0},
            {EvalOpcode::PushUCache, 2, 0.0}, {EvalOpcode::Multiply, 0, 0.0}};
  p.finish();
  EXPECT_TRUE(p.wellFormed);
  EXPECT_EQ(p.maxStackDepth, 2);
  EXPECT_EQ(p.listing(), "0: push slot 3\n1: push 0.10000000000000001\n2: add\n3: store 12\n"
                         "4: push u cache 2\n5: multiply\n6: stop\n");
}

} // namespace
} // namespace vexmar
