#include "numeric/evaluator.h"

#include "allocation_counter.h"
#include "numeric/error_word.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
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
      {"cube root", "sqrt[" + X + "," + n(3) + "]", [](double x, double) { return std::cbrt(x); }},
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
      {EvalOpcode::RationalPower, "power[" + X + ",over[" + n(2) + "," + n(3) + "]]"},
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
  EXPECT_TRUE(std::isnan(compiled("sqrt[num[-8,\"-8\"],num[4,\"4\"]]")->evalU(0)));
  EXPECT_NEAR(compiled("log[num[8,\"8\"],num[2,\"2\"]]")->evalU(0), 3, 1e-15);
  // Prompts and unknown kinds compile to nothing; a program that would pop nothing is undefined.
  EXPECT_TRUE(std::isnan(compiled("plus[prompt[],prompt[],prompt[]]")->evalU(0)));
  EXPECT_TRUE(std::isnan(compiled("prompt[]")->evalU(0)));
}

TEST_F(EvaluatorTest, TooDeepAnExpressionIsRefusedWhenCompiled) {
  // A kind that passes its children's values through leaves every one of them on the stack.
  ObjectPtr tree = makeObject(ObjectKind::matrix, 250);
  for (int i = 0; i < 250; ++i) setChild(*tree, i, makeChar('x'));
  Evaluator e(std::move(tree));
  compileBatch({&e});
  EXPECT_EQ(takeError(), Error::GraphMemory);
  EXPECT_FALSE(e.program()->runnable());
  EXPECT_TRUE(std::isnan(e.evalU(0)));
  EXPECT_TRUE(isUndefined(e.evalIntervalU(0, 1)));
  EXPECT_EQ(takeError(), Error::None); // reported once
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
  const IntervalValue fromBelowZero = compiled("sqrt[char[x]]")->evalIntervalXY(-1, 4, 0, 0);
  EXPECT_EQ(fromBelowZero.lower, 0);
  EXPECT_EQ(fromBelowZero.upper, 2);
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

// An undefined operand makes every operation's value undefined, even those IEEE arithmetic would
// turn into a number (pow(NaN, 0) = 1, NaN < 1 is false, hypot(inf, NaN) = inf).
TEST_F(EvaluatorTest, UndefinedOperandsMakeTheWholeValueUndefined) {
  const std::string undefined = "sqrt[" + n(-1) + "]";
  const std::string texts[] = {
      "lessthan[" + undefined + "," + n(1) + "]", "equal[" + undefined + "," + undefined + "]",
      "power[" + undefined + "," + n(0) + "]",    "power[" + n(1) + "," + undefined + "]",
      "wedge[" + undefined + "," + n(1) + "]",    "vee[" + n(1) + "," + undefined + "]",
      "cmut[" + undefined + "," + n(4) + "]",     "times[" + undefined + "," + n(0) + "]",
  };
  for (const std::string& text : texts) EXPECT_TRUE(std::isnan(compiled(text)->evalU(0))) << text;
  EXPECT_TRUE(std::isnan(compiled("char[r]")->evalUVXYZ(0, 0, INFINITY, NAN, 0)));
  // A kind that passes its children's values through leaves the undefined one on the stack.
  ObjectPtr both = makeObject(ObjectKind::matrix, 2);
  setChild(*both, 0, readObjectText(undefined));
  setChild(*both, 1, makeChar('x'));
  Evaluator e(std::move(both));
  compileBatch({&e});
  EXPECT_TRUE(std::isnan(e.evalUVXYZ(0, 0, 5, 0, 0)));
}

// Constants that no double equals enter interval programs as the two doubles around them; exact
// ones, and numbers shown rounded (whose value is what was meant), stay single points.
TEST_F(EvaluatorTest, ConstantsEnterIntervalProgramsAsEnclosures) {
  numericState().parameters.set("a", "0.1");
  const auto below = [](double v) { return std::nextafter(v, -INFINITY); };
  const auto above = [](double v) { return std::nextafter(v, INFINITY); };
  struct Row {
    const char* name;
    std::string text;
    double lower;
    double upper;
  };
  const Row rows[] = {
      {"0.1 lies below its double", "num[0.1,\"0.1\"]", below(0.1), 0.1},
      {"0.3 lies above its double", "num[0.29999999999999999,\"0.3\"]", 0.3, above(0.3)},
      {"0.5 is a double", "num[0.5,\"0.5\"]", 0.5, 0.5},
      {"3e2 is a double", "num[300,\"3e2\"]", 300, 300},
      {"a rounded display", "num[0.33333333333333331,\"0.333333\"]", 1.0 / 3, 1.0 / 3},
      {"pi", "char[pi]", kPi, above(kPi)},
      {"a parameter's text", "char[a]", below(0.1), 0.1},
      {"an exact folded constant", "times[num[2,\"2\"],num[0.25,\"0.25\"]]", 0.5, 0.5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto e = compiled(row.text);
    const IntervalValue v = e->evalIntervalU(0, 0);
    EXPECT_EQ(v.lower, row.lower);
    EXPECT_EQ(v.upper, row.upper);
    const double point = e->evalU(0);
    EXPECT_TRUE(v.lower <= point && point <= v.upper);
  }
  // 1/3 folds into one constant whose enclosure still holds the third.
  auto third = compiled("over[num[1,\"1\"],num[3,\"3\"]]");
  ASSERT_EQ(third->program()->code.size(), 2u);
  const IntervalValue v = third->evalIntervalU(0, 0);
  EXPECT_TRUE(v.lower < v.upper && v.lower <= 1.0L / 3 && 1.0L / 3 <= v.upper);
}

TEST_F(EvaluatorTest, PowersOfEAreTheExponentialFunction) {
  auto e = compiled("power[char[e],char[x]]");
  EXPECT_EQ(count(*e->program(), EvalOpcode::Exp), 1);
  EXPECT_EQ(count(*e->program(), EvalOpcode::Power), 0);
  EXPECT_EQ(e->evalUVXYZ(0, 0, 2, 0, 0), std::exp(2.0)); // correctly rounded, not e times e
  // The true e^2 = 7.389056098930650227... lies above 7.3890560989306495, the old upper bound.
  EXPECT_GE(e->evalIntervalXY(-2, 2, 0, 0).upper, 7.3890560989306504);
}

TEST_F(EvaluatorTest, ConstantPartsAreFoldedIntoOneConstant) {
  numericState().parameters.set("a", "2");
  numericState().parameters.set("b", "5");
  auto e = compiled("plus[times[char[a],char[b],char[x]],times[num[2,\"2\"],num[3,\"3\"]]]");
  EXPECT_EQ(e->program()->listing(), "0: push 10\n1: push slot 3\n2: multiply\n3: push 6\n4: add\n5: stop\n");
  EXPECT_EQ(e->evalUVXYZ(0, 0, 0.5, 0, 0), 11);
  // Constant parts are folded, not shared; a copy of x^2 still is.
  auto shared = compiled("plus[sin[times[num[2,\"2\"],char[pi]]],sin[times[num[2,\"2\"],char[pi]]],"
                         "power[char[x],num[2,\"2\"]],power[char[x],num[2,\"2\"]]]");
  EXPECT_EQ(count(*shared->program(), EvalOpcode::Sin), 0);
  EXPECT_EQ(count(*shared->program(), EvalOpcode::Store), 1);
}

// Sums of any length and nestings of any depth run within a small stack.
TEST_F(EvaluatorTest, LongSumsAndDeepNestingStayWithinTheStack) {
  std::string sum = "plus[";
  for (int k = 1; k <= 1000; ++k) sum += (k > 1 ? "," : "") + std::string("times[") + n(k) + "," + X + "]";
  sum += "]";
  std::string nested = X;
  for (int i = 0; i < 1000; ++i)
    nested = (i % 2 ? "plus[" + n(1) + "," : "over[" + n(1) + ",") + nested + "]";
  struct Row {
    const char* name;
    const std::string& text;
  };
  for (const Row& row : {Row{"a sum of 1000 terms", sum}, Row{"1000 nested levels", nested}}) {
    SCOPED_TRACE(row.name);
    auto e = compiled(row.text);
    EXPECT_EQ(takeError(), Error::None);
    EXPECT_LT(e->program()->maxStackDepth, 24);
    const double v = e->evalUVXYZ(0, 0, 0.5, 0, 0);
    EXPECT_FALSE(std::isnan(v));
    const IntervalValue range = e->evalIntervalXY(0.5, 0.5, 0, 0);
    EXPECT_TRUE(range.lower <= v && v <= range.upper);
  }
  EXPECT_EQ(compiled(sum)->evalUVXYZ(0, 0, 0.5, 0, 0), 250250);
}

TEST_F(EvaluatorTest, SmallIntegerPowersAreMultipliedOut) {
  auto e = compiled("power[" + X + "," + n(5) + "]");
  EXPECT_EQ(e->evalUVXYZ(0, 0, 3, 0, 0), 243);
  EXPECT_EQ(e->evalUVXYZ(0, 0, -2, 0, 0), -32);
  const IntervalValue exact = e->evalIntervalXY(-2, 3, 0, 0);
  EXPECT_EQ(exact.lower, -32); // integer powers of exact values stay exact
  EXPECT_EQ(exact.upper, 243);
}

TEST_F(EvaluatorTest, SquareRootsEncloseThePartInsideTheirDomain) {
  const IntervalValue square = compiled("sqrt[times[" + X + "," + X + "]]")->evalIntervalXY(-2, 1, 0, 0);
  EXPECT_EQ(square.lower, 0);
  EXPECT_EQ(square.upper, 2);
  EXPECT_TRUE(isUndefined(compiled("sqrt[" + X + "]")->evalIntervalXY(-3, -1, 0, 0)));
}

// Literal fractions with odd denominators, as exponents or as root indices, give real values for
// negative bases; other exponents leave negative bases without a value, as before.
TEST_F(EvaluatorTest, OddRootsOfNegativeNumbersAreReal) {
  struct Row {
    const char* name;
    std::string text;
    double x;
    double expected; // NaN: no value
  };
  const std::string third = "over[" + n(1) + "," + n(3) + "]";
  const Row rows[] = {
      {"cube root template", "sqrt[" + X + "," + n(3) + "]", -8, -2},
      {"fifth root", "sqrt[" + X + "," + n(5) + "]", -32, -2},
      {"root of index -3", "sqrt[" + X + ",minus[" + n(3) + "]]", -8, -0.5},
      {"power 1/3", "power[" + X + "," + third + "]", -27, -3},
      {"power 1/3 in parentheses", "power[" + X + ",id[" + third + "]]", -8, -2},
      {"power 2/6, 1/3 in lowest terms", "power[" + X + ",over[" + n(2) + "," + n(6) + "]]", -8, -2},
      {"even numerator", "power[" + X + ",over[" + n(2) + "," + n(3) + "]]", -8, 4},
      {"odd numerator", "power[" + X + ",over[" + n(5) + "," + n(3) + "]]", -8, -32},
      {"negated fraction", "power[" + X + ",minus[" + third + "]]", -8, -0.5},
      {"negative numerator", "power[" + X + ",over[num[-2,\"-2\"]," + n(3) + "]]", -8, 0.25},
      // The derivative of x^(1/3) as the derivative steps leave it, simplified, and as the total
      // derivative's quotient rule gives it: 1/3 x^(-2/3) = 1/12 at -8.
      {"derivative steps", "times[" + third + ",power[" + X + ",plus[" + third + ",num[-1,\"\"]]]]", -8,
       1.0 / 12},
      {"derivative simplified", "over[power[" + X + ",minus[over[" + n(2) + "," + n(3) + "]]]," + n(3) + "]",
       -8, 1.0 / 12},
      {"total derivative", "over[power[" + X + "," + third + "],times[" + n(3) + "," + X + "]]", -8,
       1.0 / 12},
      {"integer exponent as a fraction", "power[" + X + ",over[" + n(6) + "," + n(3) + "]]", -3, 9},
      {"even root", "sqrt[" + X + "," + n(4) + "]", -16, NAN},
      {"even denominator", "power[" + X + ",over[" + n(3) + "," + n(4) + "]]", -16, NAN},
      {"decimal exponent", "power[" + X + "," + n(0.5) + "]", -4, NAN},
      {"fraction of decimals", "power[" + X + ",over[" + n(0.2) + "," + n(0.6) + "]]", -8, NAN},
      {"letter exponent", "power[" + X + "," + Y + "]", -8, NAN},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto e = compiled(row.text);
    const double v = e->evalUVXYZ(0, 0, row.x, 1.0 / 3, 0);
    const IntervalValue range = e->evalIntervalXY(row.x, row.x, 1.0 / 3, 1.0 / 3);
    if (std::isnan(row.expected)) {
      EXPECT_TRUE(std::isnan(v)) << v;
      EXPECT_TRUE(isUndefined(range));
      continue;
    }
    EXPECT_NEAR(v, row.expected, 1e-15 * std::fabs(row.expected));
    EXPECT_TRUE(range.lower <= row.expected && row.expected <= range.upper);
    EXPECT_TRUE(range.lower <= v && v <= range.upper);
  }
  // The exponent is part of the instruction; constant bases fold.
  EXPECT_EQ(compiled("power[" + X + ",minus[over[" + n(2) + "," + n(3) + "]]]")->program()->listing(),
            "0: push slot 3\n1: rational power -2/3\n2: stop\n");
  EXPECT_EQ(compiled("sqrt[num[-8,\"-8\"]," + n(3) + "]")->program()->code.size(), 2u);
}

// A sine and a cosine of one value are computed by one call; the values are those of the two.
TEST_F(EvaluatorTest, SinesAndCosinesOfOneValueShareACall) {
  const auto kept = [](const EvalProgram& p) {
    return std::count_if(p.machineCode.begin(), p.machineCode.end(), [](const detail::MachineInstruction& i) {
      return i.opcode == detail::MachineOpcode::PushKeptCos || i.opcode == detail::MachineOpcode::PushKeptSin;
    });
  };
  struct Row {
    const char* name;
    std::string text;
    long pairs;
    std::function<double(double x, double y)> native;
  };
  const std::string xy = "times[" + X + "," + Y + "]";
  const Row rows[] = {
      {"of a shared product", "plus[sin[" + xy + "],cos[" + xy + "]," + xy + "]", 1,
       [](double x, double y) { return std::sin(x * y) + std::cos(x * y) + x * y; }},
      {"of a variable, cosine first", "times[cos[" + X + "],sin[" + X + "]]", 1,
       [](double x, double) { return std::cos(x) * std::sin(x); }},
      {"two pairs, one inside the other", "plus[sin[" + X + "],sin[" + Y + "],cos[" + Y + "],cos[" + X + "]]",
       1, [](double x, double y) { return std::sin(x) + std::sin(y) + std::cos(y) + std::cos(x); }},
      {"different values", "plus[sin[" + X + "],cos[" + Y + "]]", 0,
       [](double x, double y) { return std::sin(x) + std::cos(y); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto e = compiled(row.text);
    EXPECT_EQ(kept(*e->program()), row.pairs);
    for (double x : {-2.5, 0.3, 7.0}) {
      const double v = e->evalUVXYZ(0, 0, x, 1.25, 0);
      EXPECT_NEAR(v, row.native(x, 1.25), 1e-14);
      const IntervalValue range = e->evalIntervalXY(x, x, 1.25, 1.25);
      EXPECT_TRUE(range.lower <= v && v <= range.upper);
    }
  }
}

// Interval evaluation rounds upward inside and gives the caller back its own rounding.
TEST_F(EvaluatorTest, IntervalEvaluationRestoresTheCallersRounding) {
  auto e = compiled("plus[over[" + n(1) + "," + X + "],exp[" + X + "]]");
  for (int mode : {FE_TONEAREST, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    const IntervalValue v = e->evalIntervalXY(3, 3, 0, 0);
    EXPECT_EQ(std::fegetround(), mode);
    std::fesetround(FE_TONEAREST);
    const double exact = 1.0 / 3 + std::exp(3.0);
    EXPECT_TRUE(v.lower < exact && exact < v.upper) << mode;
  }
}

} // namespace
} // namespace vexmar
