#include "numeric/evaluator.h"

#include "allocation_counter.h"
#include "numeric/error_word.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <utility>

namespace vexmar {
namespace {

constexpr double kPi = 3.141592653589793;

struct EvaluatorTest : ::testing::Test {
  EvaluatorTest() { resetNumericState(); }
  ~EvaluatorTest() override { resetNumericState(); }
  static std::unique_ptr<Evaluator> compiled(const std::string& text) {
    ObjectPtr tree = readObjectText(text);
    EXPECT_TRUE(tree) << text;
    auto e = std::make_unique<Evaluator>(tree ? std::move(tree) : makePrompt());
    compileBatch({e.get()});
    return e;
  }
  static int count(const EvalProgram& p, EvalOpcode op) {
    int n = 0;
    for (const EvalInstruction& i : p.code) n += i.opcode == op;
    return n;
  }
};

// Text forms of a few letters and numbers.
std::string n(double v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
const std::string X = "char[x]", Y = "char[y]", Z = "char[z]";

struct Case {
  const char* name;
  std::string text;
  std::function<double(double x, double y)> native;
};

std::vector<Case> cases() {
  return {
      {"square plus square", "plus[power[" + X + "," + n(2) + "],power[" + X + "," + n(2) + "]]",
       [](double x, double) { return 2 * x * x; }},
      {"rational", "over[plus[" + X + "," + n(1) + "],plus[times[" + X + "," + X + "]," + n(1) + "]]",
       [](double x, double) { return (x + 1) / (x * x + 1); }},
      {"trig mix", "plus[sin[" + X + "],times[cos[" + Y + "]," + X + "]]",
       [](double x, double y) { return std::sin(x) + std::cos(y) * x; }},
      {"difference", "plus[" + X + ",minus[" + Y + "]]", [](double x, double y) { return x - y; }},
      {"exp of product", "exp[minus[times[" + X + "," + Y + "]]]",
       [](double x, double y) { return std::exp(-x * y); }},
      {"nested functions", "ln[plus[cosh[" + X + "]," + n(1) + "]]",
       [](double x, double) { return std::log(std::cosh(x) + 1); }},
      {"cube root", "sqrt[" + X + "," + n(3) + "]",
       [](double x, double) { return x < 0 ? NAN : std::cbrt(x); }},
      {"log base 2", "log[" + X + "," + n(2) + "]",
       [](double x, double) { return std::log(x) / std::log(2.0); }},
      {"scientific", "sn[" + n(1.5) + "," + n(3) + "]", [](double, double) { return 1500.0; }},
      {"pi e degree", "plus[char[pi],char[e],char[degree]]",
       [](double, double) { return kPi + std::exp(1.0) + kPi / 180; }},
      {"comparison", "lessthan[" + X + "," + Y + "]", [](double x, double y) { return x < y ? 1.0 : 0.0; }},
      {"abs and sign", "times[abs[" + X + "],sgn[" + Y + "]]",
       [](double x, double y) {
         return std::fabs(x) * (y > 0 ? 1 : y < 0 ? -1 : 0);
       }},
      {"factorial", "fact[" + n(5) + "]", [](double, double) { return 120.0; }},
  };
}

TEST_F(EvaluatorTest, PointValuesMatchNativeCode) {
  std::mt19937 random(42);
  std::uniform_real_distribution<double> d(-3, 3);
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    auto e = compiled(c.text);
    for (int k = 0; k < 50; ++k) {
      const double x = d(random), y = d(random);
      const double expected = c.native(x, y);
      const double got = e->evalUVXYZ(0, 0, x, y, 0);
      if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(got));
      } else {
        EXPECT_NEAR(got, expected, 1e-12 * (1 + std::fabs(expected)));
      }
    }
  }
}

TEST_F(EvaluatorTest, PointValuesLieInsideIntervalEnclosures) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> d(-3, 3), w(0, 1);
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    auto e = compiled(c.text);
    for (int k = 0; k < 40; ++k) {
      const double x0 = d(random), y0 = d(random), xw = w(random), yw = w(random);
      const IntervalValue range = e->evalIntervalXY(x0, x0 + xw, y0, y0 + yw);
      for (int s = 0; s <= 4; ++s) {
        const double x = x0 + xw * s / 4, y = y0 + yw * (4 - s) / 4;
        const double v = e->evalUVXYZ(0, 0, x, y, 0);
        if (std::isnan(v)) continue;
        EXPECT_LE(range.lower, v) << x << "," << y;
        EXPECT_GE(range.upper, v) << x << "," << y;
      }
    }
  }
}

// One expression for each arithmetic instruction, so that a routine missing from or misplaced in
// the instruction list shows as a point value outside its enclosure.
struct InstructionCase {
  EvalOpcode opcode;
  std::string text;
};

std::vector<InstructionCase> instructionCases() {
  std::vector<InstructionCase> rows = {
      {EvalOpcode::Add, "plus[" + X + "," + Y + "]"},
      {EvalOpcode::Multiply, "times[" + X + "," + Y + "]"},
      {EvalOpcode::Divide, "over[" + X + "," + Y + "]"},
      {EvalOpcode::Power, "power[" + X + "," + Y + "]"},
      {EvalOpcode::Angle, "char[theta]"},
      {EvalOpcode::Hypot, "char[r]"},
      {EvalOpcode::Negate, "minus[" + X + "]"},
      {EvalOpcode::Sign, "sgn[" + X + "]"},
      {EvalOpcode::Log10, "log[" + X + "]"},
      {EvalOpcode::Factorial, "fact[" + X + "]"},
      {EvalOpcode::Less, "lessthan[" + X + "," + Y + "]"},
      {EvalOpcode::Greater, "greaterthan[" + X + "," + Y + "]"},
      {EvalOpcode::Equal, "equal[sgn[" + X + "],sgn[" + Y + "]]"},
      {EvalOpcode::And, "wedge[lessthan[" + X + "," + Y + "],greaterthan[" + X + "," + n(0) + "]]"},
      {EvalOpcode::Or, "vee[lessthan[" + X + "," + Y + "],greaterthan[" + X + "," + n(0) + "]]"},
  };
  // Functions whose kind is named as in a listing.
  const std::pair<EvalOpcode, const char*> functions[] = {
      {EvalOpcode::Abs, "abs"},     {EvalOpcode::Sqrt, "sqrt"},   {EvalOpcode::Exp, "exp"},
      {EvalOpcode::Ln, "ln"},       {EvalOpcode::Sin, "sin"},     {EvalOpcode::Cos, "cos"},
      {EvalOpcode::Tan, "tan"},     {EvalOpcode::Cot, "cot"},     {EvalOpcode::Sec, "sec"},
      {EvalOpcode::Csc, "csc"},     {EvalOpcode::Asin, "asin"},   {EvalOpcode::Acos, "acos"},
      {EvalOpcode::Atan, "atan"},   {EvalOpcode::Acot, "acot"},   {EvalOpcode::Asec, "asec"},
      {EvalOpcode::Acsc, "acsc"},   {EvalOpcode::Sinh, "sinh"},   {EvalOpcode::Cosh, "cosh"},
      {EvalOpcode::Tanh, "tanh"},   {EvalOpcode::Coth, "coth"},   {EvalOpcode::Sech, "sech"},
      {EvalOpcode::Csch, "csch"},   {EvalOpcode::Asinh, "asinh"}, {EvalOpcode::Acosh, "acosh"},
      {EvalOpcode::Atanh, "atanh"}, {EvalOpcode::Acoth, "acoth"}, {EvalOpcode::Asech, "asech"},
      {EvalOpcode::Acsch, "acsch"},
  };
  for (const auto& [opcode, kind] : functions) rows.push_back({opcode, std::string(kind) + "[" + X + "]"});
  return rows;
}

TEST_F(EvaluatorTest, EachInstructionsPointValuesLieInsideItsEnclosures) {
  // Drop is no enclosure of its point value (see IntervalsOfDropLiteralsAndSquareRoots); the rest
  // move values rather than compute them.
  const EvalOpcode exempt[] = {EvalOpcode::PushConstant, EvalOpcode::PushSlot,   EvalOpcode::Store,
                               EvalOpcode::Swap,         EvalOpcode::PushUCache, EvalOpcode::PushVCache,
                               EvalOpcode::Nop,          EvalOpcode::Drop,       EvalOpcode::Stop};
  const std::vector<InstructionCase> rows = instructionCases();
  for (int number = 0; number < kOpcodeCount; ++number) {
    const auto op = static_cast<EvalOpcode>(number);
    const bool isExempt = std::find(std::begin(exempt), std::end(exempt), op) != std::end(exempt);
    const bool hasRow =
        std::any_of(rows.begin(), rows.end(), [op](const InstructionCase& c) { return c.opcode == op; });
    EXPECT_NE(isExempt, hasRow) << opcodeName(op);
  }
  std::mt19937 random(11);
  std::uniform_real_distribution<double> d(-3, 3), w(0, 0.5);
  for (const InstructionCase& c : rows) {
    SCOPED_TRACE(std::string(opcodeName(c.opcode)) + ": " + c.text);
    auto e = compiled(c.text);
    EXPECT_GE(count(*e->program(), c.opcode), 1);
    for (int k = 0; k < 60; ++k) {
      // Every third box is a single point.
      const double x0 = d(random), y0 = d(random);
      const double xw = k % 3 ? w(random) : 0, yw = k % 3 ? w(random) : 0;
      const IntervalValue range = e->evalIntervalXY(x0, x0 + xw, y0, y0 + yw);
      for (int s = 0; s <= 4; ++s) {
        const double x = x0 + xw * s / 4, y = y0 + yw * (4 - s) / 4;
        const double v = e->evalUVXYZ(0, 0, x, y, 0);
        if (std::isnan(v)) continue;
        EXPECT_LE(range.lower, v) << x << "," << y;
        EXPECT_GE(range.upper, v) << x << "," << y;
      }
    }
  }
}

TEST_F(EvaluatorTest, GridEvaluationEqualsPointEvaluation) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    ObjectPtr tree = readObjectText(c.text);
    auto point = std::make_unique<Evaluator>(cloneTree(*tree));
    auto grid = std::make_unique<Evaluator>(std::move(tree));
    compileBatch({point.get()});
    std::unique_ptr<GridBlock> block = compileGridBatch({grid.get()});
    prepareGrid(-2, -1, 0.25, 0.5, 17, 5, *block);
    for (int i = 0; i < 17; ++i) {
      for (int j = 0; j < 5; ++j) {
        const double x = -2 + i * 0.25, y = -1 + j * 0.5;
        const double p = point->evalUVXYZ(x, y, x, y, 0);
        const double g = grid->evalGridPoint(i, j, *block);
        if (std::isnan(p)) {
          EXPECT_TRUE(std::isnan(g));
        } else {
          EXPECT_DOUBLE_EQ(g, p) << i << "," << j;
        }
      }
    }
  }
}

TEST_F(EvaluatorTest, RepeatedSubexpressionsAreComputedOnceThroughASharedSlot) {
  auto e = compiled("plus[power[char[x],num[2,\"2\"]],power[char[x],num[2,\"2\"]]]");
  const EvalProgram& p = *e->program();
  EXPECT_EQ(count(p, EvalOpcode::Power), 1);
  ASSERT_EQ(count(p, EvalOpcode::Store), 1);
  const auto store =
      std::find_if(p.code.begin(), p.code.end(), [](auto& i) { return i.opcode == EvalOpcode::Store; });
  EXPECT_EQ(store->slot, kFirstSharedSlot);
  EXPECT_EQ((store - 1)->opcode, EvalOpcode::Power); // stored right after its first computation
  EXPECT_EQ((store + 1)->opcode, EvalOpcode::PushSlot);
  EXPECT_EQ(e->evalUVXYZ(0, 0, 3, 0, 0), 18);
}

TEST_F(EvaluatorTest, SubexpressionsAreSharedAcrossTheProgramsOfABatch) {
  auto a = std::make_unique<Evaluator>(readObjectText("sin[times[char[x],char[y]]]"));
  auto b = std::make_unique<Evaluator>(readObjectText("cos[times[char[x],char[y]]]"));
  EXPECT_EQ(compileBatch({a.get(), b.get()}), kFirstSharedSlot + 1);
  EXPECT_EQ(count(*b->program(), EvalOpcode::Multiply), 0);
  EXPECT_DOUBLE_EQ(a->evalUVXYZ(0, 0, 2, 3, 0), std::sin(6.0));
  EXPECT_DOUBLE_EQ(b->evalUVXYZ(0, 0, 2, 3, 0), std::cos(6.0));
}

TEST_F(EvaluatorTest, ThetaIsComputedOnceAndLiesInItsRange) {
  auto e = compiled("plus[char[theta],char[theta]]");
  EXPECT_EQ(count(*e->program(), EvalOpcode::Angle), 1);
  const double below = e->evalUVXYZ(0, 0, -1, -1, 0) / 2;
  EXPECT_GT(below, kPi);
  EXPECT_LT(below, 2 * kPi);
  EXPECT_NEAR(below, 5 * kPi / 4, 1e-12);
  auto rhoPhi = compiled("plus[char[rho],times[char[phi],char[r]]]");
  EXPECT_NEAR(rhoPhi->evalUVXYZ(0, 0, 3, 4, 12), 13 + std::atan2(5.0, 12.0) * 5, 1e-12);
}

TEST_F(EvaluatorTest, GridBatchesHoistOneVariableParts) {
  // sin(u) (2 pi) x + v^2 + 7: sin u and 2 pi are u-only, v^2 is v-only, the product with x is
  // neither, and a bare number is not worth a cache.
  auto e = std::make_unique<Evaluator>(readObjectText("plus[times[sin[char[u]],times[num[2,\"2\"],char[pi]],"
                                                      "char[x]],power[char[v],num[2,\"2\"]],num[7,\"7\"]]"));
  std::unique_ptr<GridBlock> block = compileGridBatch({e.get()});
  EXPECT_EQ(block->uPrograms.size(), 2u);
  EXPECT_EQ(block->vPrograms.size(), 1u);
  EXPECT_EQ(count(*e->program(), EvalOpcode::PushConstant), 1); // the 7
  prepareGrid(0, 1, 0.5, 1, 4, 3, *block);
  EXPECT_DOUBLE_EQ(e->evalGridPoint(3, 2, *block), std::sin(1.5) * 2 * kPi * 1.5 + 9 + 7);
}

TEST_F(EvaluatorTest, UndefinedValuesStopAndInfinitiesFlow) {
  EXPECT_TRUE(std::isnan(compiled("times[sqrt[num[-1,\"-1\"]],num[0,\"0\"]]")->evalU(0)));
  EXPECT_EQ(compiled("plus[over[num[1,\"1\"],num[0,\"0\"]],num[1,\"1\"]]")->evalU(0), INFINITY);
  EXPECT_TRUE(std::isnan(compiled("sqrt[num[-8,\"-8\"],num[3,\"3\"]]")->evalU(0)));
  EXPECT_NEAR(compiled("log[num[8,\"8\"],num[2,\"2\"]]")->evalU(0), 3, 1e-15);
  // Prompts and unknown kinds compile to nothing; a program that would pop nothing is undefined.
  EXPECT_TRUE(std::isnan(compiled("plus[prompt[],prompt[],prompt[]]")->evalU(0)));
  EXPECT_TRUE(std::isnan(compiled("prompt[]")->evalU(0)));
}

TEST_F(EvaluatorTest, TooDeepAnExpressionReportsTheMemoryErrorOnce) {
  // 1 + (1 + (1 + ...)): every level leaves a value on the stack.
  std::string text = "num[1,\"1\"]";
  for (int i = 0; i < 250; ++i) text = "plus[num[1,\"1\"]," + text + "]";
  auto e = compiled(text);
  EXPECT_TRUE(std::isnan(e->evalU(0)));
  EXPECT_EQ(takeError(), Error::GraphMemory);
  EXPECT_TRUE(std::isnan(e->evalU(0)));
  EXPECT_EQ(takeError(), Error::None);
  EXPECT_TRUE(isUndefined(e->evalIntervalU(0, 1)));
}

TEST_F(EvaluatorTest, TheAnimatedLetterIsLiveAndOtherParametersAreBakedIn) {
  numericState().parameters.set("a", "2");
  numericState().parameters.set("n", "5");
  auto e = compiled("plus[char[a],char[n]]");
  numericState().animationValue = 1;
  EXPECT_EQ(e->evalU(0), 3);
  numericState().animationValue = 10;
  numericState().parameters.set("a", "100");
  EXPECT_EQ(e->evalU(0), 12);
  auto unknown = compiled("char[q]");
  EXPECT_EQ(unknown->evalU(0), 0);
  // Greek parameters go by name; their codes' low bytes are no letters.
  numericState().parameters.set("alpha", "0.5");
  numericState().parameters.set("\x01", "9"); // would match beta's low byte
  EXPECT_EQ(compiled("plus[char[alpha],char[beta]]")->evalU(0), 0.5);
}

TEST_F(EvaluatorTest, IntervalsOfDropLiteralsAndSquareRoots) {
  EXPECT_TRUE(isUndefined(compiled("sqrt[char[x]]")->evalIntervalXY(-1, 4, 0, 0)));
  const IntervalValue root = compiled("sqrt[char[x]]")->evalIntervalXY(4, 9, 0, 0);
  EXPECT_EQ(root.lower, 2);
  EXPECT_EQ(root.upper, 3);
  const IntervalValue literal = compiled("cmut[num[1,\"1\"],num[4,\"4\"]]")->evalIntervalU(0, 0);
  EXPECT_EQ(literal.lower, 1);
  EXPECT_EQ(literal.upper, 4);
  EXPECT_EQ(compiled("cmut[num[1,\"1\"],num[4,\"4\"]]")->evalU(0), 4);
}

TEST_F(EvaluatorTest, PointEvaluationAllocatesNothing) {
  auto e =
      compiled("plus[sin[times[char[x],char[y]]],over[exp[char[x]],plus[char[y],num[2,\"2\"]]],char[theta]]");
  volatile double sink = 0;
  const std::size_t before = test::allocationCount();
  for (int i = 0; i < 1000; ++i) sink = sink + e->evalUVXYZ(0, 0, i * 0.01, 1.5, 0);
  const IntervalValue v = e->evalIntervalXY(0, 1, 1, 2);
  EXPECT_EQ(test::allocationCount(), before);
  EXPECT_LE(v.lower, v.upper);
}

TEST_F(EvaluatorTest, RenamingAndDependencyQueries) {
  auto e = compiled("plus[char[t],fact[char[t]]]");
  EXPECT_TRUE(e->dependsOnVariable('t'));
  EXPECT_TRUE(e->containsFactorial());
  e->renameVariable('t', 'u');
  EXPECT_FALSE(e->isCompiled());
  EXPECT_FALSE(e->dependsOnVariable('t'));
  compileBatch({e.get()});
  EXPECT_EQ(e->evalU(3), 9);
}

TEST_F(EvaluatorTest, DeepTreesCompileWithoutRecursion) {
  ObjectPtr tree = makeChar('x');
  for (int i = 0; i < 100000; ++i) tree = makeObject(ObjectKind::id, std::move(tree));
  Evaluator e(std::move(tree));
  compileBatch({&e});
  EXPECT_EQ(e.evalUVXYZ(0, 0, 4, 0, 0), 4);
}

} // namespace
} // namespace vexmar
