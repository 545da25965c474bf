#include "algebra/actions/algebra_actions.h"
#include "algebra/derivative_evaluator.h"
#include "algebra/derivative_steps.h"
#include "algebra/simplify.h"
#include "algebra/tree_services.h"

#include "model/insertion_point.h"
#include "model/memory_reserve.h"
#include "numeric/compile_batch.h"
#include "numeric/evaluator.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vexmar {
namespace {

using K = ObjectKind;

ObjectPtr tree(const std::string& text) {
  ObjectPtr t = readObjectText(text);
  EXPECT_TRUE(t) << text;
  return t ? std::move(t) : makeAlgebraNumber(0);
}

// Simplify's derivative steps without the rewriting around them.
ObjectPtr differentiated(const std::string& text) {
  ObjectPtr t = tree(text);
  convertDerivativesToInternal(*t);
  runDerivativeEngine(*t);
  convertDerivativesToEditor(*t);
  return t;
}

double valueAt(const MathObject& t, double x) {
  Evaluator e(cloneTree(t));
  compileBatch({&e});
  return e.evalUVXYZ(0, 0, x, 0, 0);
}

// An equation line holding `text`, with the object at `path` (child indices) selected.
struct Line {
  std::unique_ptr<InsertionPoint> ip = createLineState();
  Line(const std::string& text, std::initializer_list<int> path) {
    ip->setRoot(tree(text));
    MathObject* selected = ip->root.get();
    for (int i : path) selected = selected->child(i);
    setInsertionPoint(*ip, *selected, SelectionMode::Object);
  }
  MathObject& root() const { return *ip->root; }
  MathObject& selected() const { return *ip->current; }
  void perform(EditorCommand code) const { performAlgebraAction(*ip, code); }
};

struct DerivativeRow {
  const char* name;
  const char* input;
  const char* expected;
};

TEST(Derivative, TableRowsGiveTheirForms) {
  const DerivativeRow rows[] = {
      {"partial of another letter is zero", "function[oppartial[char[x]],char[y]]", "num[0,\"0\"]"},
      {"total of another letter stays", "function[optotal[char[x]],char[y]]",
       "function[optotal[char[x]],char[y]]"},
      {"total of e and pi is zero", "function[optotal[char[x]],plus[char[e],char[pi]]]", "num[0,\"0\"]"},
      {"letter itself is one", "function[optotal[char[x]],char[x]]", "num[1,\"1\"]"},
      {"decorated letter is another letter", "function[oppartial[char[x]],char[x,0,1,0,0,0]]",
       "num[0,\"0\"]"},
      {"polynomial",
       "function[oppartial[char[x]],plus[power[char[x],num[2,\"2\"]],times[num[3,\"3\"],char[x]]]]",
       "plus[times[num[2,\"2\"],char[x]],num[3,\"3\"]]"},
      {"chain rule through a square", "function[oppartial[char[x]],sin[power[char[x],num[2,\"2\"]]]]",
       "times[num[2,\"2\"],cos[power[char[x],num[2,\"2\"]]],char[x]]"},
      {"number base takes the general power rule", "function[oppartial[char[x]],power[num[2,\"2\"],char[x]]]",
       "times[power[num[2,\"2\"],char[x]],ln[num[2,\"2\"]]]"},
      {"constant exponent letter", "function[oppartial[char[x]],power[char[x],char[n]]]",
       "times[char[n],power[char[x],plus[char[n],num[-1,\"-1\"]]]]"},
      {"third order unrolls", "function[oppartial[char[x],num[3,\"3\"]],power[char[x],num[4,\"4\"]]]",
       "times[num[24,\"24\"],char[x]]"},
      {"unevaluated second order comes back with its order",
       "function[optotal[char[x],num[2,\"2\"]],char[y]]", "function[optotal[char[x],num[2,\"2\"]],char[y]]"},
      {"mixed partials", "function[oppartial[char[x]],function[oppartial[char[y]],times[char[x],char[y]]]]",
       "num[1,\"1\"]"},
      {"unevaluated derivatives in two variables stay apart",
       "function[optotal[char[x]],function[optotal[char[y]],char[z]]]",
       "function[optotal[char[x]],function[optotal[char[y]],char[z]]]"},
      {"non-letter variable equal to the expression", "function[oppartial[sin[char[x]]],sin[char[x]]]",
       "num[1,\"1\"]"},
      {"derivative moves inside a sum operator",
       "function[oppartial[char[x]],sum[times[char[i],char[x]],char[i],char[n]]]",
       "sum[char[i],char[i],char[n]]"},
      {"unknown kind stays", "function[oppartial[char[x]],fact[char[x]]]",
       "function[oppartial[char[x]],fact[char[x]]]"},
  };
  for (const DerivativeRow& row : rows) {
    SCOPED_TRACE(row.name);
    const ObjectPtr result = differentiated(row.input);
    const ObjectPtr expected = tree(row.expected);
    EXPECT_TRUE(treeEqual(*result, *expected)) << writeObjectText(*result);
  }
}

TEST(Derivative, LowMemoryGivesInfinity) {
  ObjectPtr t = tree("plus[function[oppartial[char[x]],char[x]],char[y]]");
  convertDerivativesToInternal(*t);
  memoryReserve().release();
  runDerivativeEngine(*t);
  memoryReserve().reset();
  EXPECT_TRUE(treeEqual(*t, *makePlus(makeVariable(kInfinityCode), makeVariable('y'))))
      << writeObjectText(*t);
}

TEST(Derivative, DeepNestingNeedsNoRecursion) {
  for (int depth : {30, 400}) {
    SCOPED_TRACE(depth);
    ObjectPtr f = makeVariable('x');
    for (int i = 0; i < depth; ++i) f = makeFunction(i % 2 ? K::sin : K::exp, std::move(f));
    const ObjectPtr source = cloneTree(*f);
    ObjectPtr d = makeObject(K::PartialDerivativeKind, std::move(f), makeVariable('x'));
    runDerivativeEngine(*d);
    // The chain rule's product of `depth` factors is too long for the evaluator's stack.
    if (depth > 30) {
      EXPECT_EQ(d->kind, K::times);
      EXPECT_EQ(d->childCount(), depth);
      continue;
    }
    const double h = 1e-6;
    const double x = 0.1;
    const double slope = (valueAt(*source, x + h) - valueAt(*source, x - h)) / (2 * h);
    EXPECT_NEAR(valueAt(*d, x), slope, 1e-4 * std::max(1.0, std::fabs(slope)));
  }
}

TEST(Derivative, ADerivativeInsideAnotherOperatorConvertsSafely) {
  // The inner derivative stands in the outer one's variable slot, which conversion replaces.
  ObjectPtr tree =
      readObjectText("function[oppartial[times[char[x],function[optotal[prompt[]],prompt[]]]],prompt[]]");
  ASSERT_TRUE(tree);
  convertDerivativesToInternal(*tree);
  EXPECT_EQ(tree->kind, ObjectKind::PartialDerivativeKind);
  EXPECT_EQ(tree->child(1)->child(1)->kind, ObjectKind::TotalDerivativeKind);
  convertDerivativesToEditor(*tree);
  EXPECT_EQ(tree->kind, ObjectKind::function);
}

TEST(Derivative, EvaluatorOfAPartialDerivativeComesUncompiled) {
  Evaluator f(tree("times[char[x],power[char[y],num[2,\"2\"]]]"));
  std::unique_ptr<Evaluator> byY = makeDerivativeEvaluator(f, 'y');
  EXPECT_FALSE(byY->isCompiled());
  compileBatch({byY.get()});
  EXPECT_DOUBLE_EQ(byY->evalUVXYZ(0, 0, 2, 3, 0), 12);
  EXPECT_TRUE(treeEqual(f.tree(), *tree("times[char[x],power[char[y],num[2,\"2\"]]]")));
}

TEST(Derivative, AnEvaluatorFarLargerThanItsFunctionIsNotBuilt) {
  // x/(x/(x/...)): each level's quotient rule repeats the levels below, so the derivative grows
  // with the square of the depth.
  std::string nested = "char[x]";
  for (int i = 0; i < 300; ++i) nested = "over[char[x]," + nested + "]";
  const Evaluator deep(tree(nested));
  EXPECT_EQ(makeDerivativeEvaluator(deep, 'x'), nullptr);
  std::string sum = "char[x]";
  for (int i = 0; i < 300; ++i) sum = "plus[sin[char[x]]," + sum + "]";
  const Evaluator wide(tree(sum));
  EXPECT_NE(makeDerivativeEvaluator(wide, 'x'), nullptr);
}

TEST(Derivative, SimplifyWorksOutDerivatives) {
  Line line("function[oppartial[char[x]],plus[power[char[x],num[2,\"2\"]],times[num[3,\"3\"],char[x]]]]", {});
  line.perform(Command::Simplify);
  EXPECT_TRUE(treeEqual(line.root(), *tree("plus[times[num[2,\"2\"],char[x]],num[3,\"3\"]]")))
      << writeObjectText(line.root());
}

// Random expressions in x over every kind the table knows.
class ExpressionGenerator {
public:
  explicit ExpressionGenerator(unsigned seed) : random_(seed) {}

  ObjectPtr make(int depth) {
    if (depth == 0 || pick(4) == 0) return pick(3) == 0 ? makeAlgebraNumber(1 + pick(5)) : makeVariable('x');
    switch (pick(9)) {
    case 0:
      return makePlus(make(depth - 1), make(depth - 1));
    case 1:
      return makeTimes(make(depth - 1), make(depth - 1), make(depth - 1));
    case 2:
      return makeOver(make(depth - 1), make(depth - 1));
    case 3:
      return makePower(make(depth - 1), makeAlgebraNumber(static_cast<double>(pick(5)) - 1));
    case 4:
      return makePower(makeVariable('e'), make(depth - 1));
    case 5:
      return makePower(make(depth - 1), make(depth - 1));
    case 6:
      return makeNegation(make(depth - 1));
    case 7: {
      ObjectPtr twoChild =
          makeObject(pick(2) ? K::log : K::sqrt, make(depth - 1), makeAlgebraNumber(2 + pick(3)));
      return twoChild;
    }
    default:
      return makeFunction(kFunctions[pick(std::size(kFunctions))], make(depth - 1));
    }
  }

private:
  static constexpr K kFunctions[] = {
      K::sin,   K::cos,   K::tan,   K::cot,   K::sec,  K::csc,  K::asin, K::acos, K::atan,  K::acot,
      K::asec,  K::acsc,  K::sinh,  K::cosh,  K::tanh, K::coth, K::sech, K::csch, K::asinh, K::acosh,
      K::atanh, K::acoth, K::asech, K::acsch, K::ln,   K::log,  K::sqrt, K::exp,  K::abs};
  unsigned pick(std::size_t n) { return static_cast<unsigned>(random_() % n); }
  std::mt19937 random_;
};

// The slope by central differences, or NaN where the function is not smooth enough to tell.
double centralDifference(const Evaluator& f, double x) {
  auto at = [&f](double t) { return f.evalUVXYZ(0, 0, t, 0, 0); };
  const double h = 1e-4 * std::max(1.0, std::fabs(x));
  const double coarse = (at(x + h) - at(x - h)) / (2 * h);
  const double fine = (at(x + h / 2) - at(x - h / 2)) / h;
  if (!std::isfinite(coarse) || !std::isfinite(fine) || std::fabs(at(x)) > 1e6) return std::nan("");
  // Richardson's estimate; a large change between the two steps means a kink or a pole nearby.
  if (std::fabs(fine - coarse) > 1e-3 * std::max(1.0, std::fabs(fine))) return std::nan("");
  return (4 * fine - coarse) / 3;
}

TEST(Derivative, AgreesWithCentralDifferencesOnARandomCorpus) {
  ExpressionGenerator generator(20261208);
  std::mt19937 points(7);
  std::uniform_real_distribution<double> where(-3, 3);
  int compared = 0;
  constexpr int kExpressions = 3000;
  for (int i = 0; i < kExpressions; ++i) {
    Evaluator f(generator.make(4));
    std::unique_ptr<Evaluator> derivative = makeDerivativeEvaluator(f, 'x');
    compileBatch({&f});
    compileBatch({derivative.get()});
    for (int k = 0; k < 3; ++k) {
      const double x = where(points);
      const double expected = centralDifference(f, x);
      if (!std::isfinite(expected)) continue;
      const double got = derivative->evalUVXYZ(0, 0, x, 0, 0);
      if (!std::isfinite(got)) continue; // a removable hole, such as 0 * ln(0)
      ++compared;
      ASSERT_NEAR(got, expected, 1e-4 * std::max(1.0, std::fabs(expected)))
          << writeObjectText(f.tree()) << " at x = " << x << "\nderivative "
          << writeObjectText(derivative->tree());
    }
  }
  EXPECT_GT(compared, kExpressions / 2);
  RecordProperty("points compared", compared);
}

double value(const MathObject& t) { return valueAt(t, 0); }

struct ActionRow {
  const char* name;
  const char* input;
  std::initializer_list<int> selection;
  EditorCommand code;
  const char* expected;
};

// Rows whose outcome does not depend on how Simplify orders or folds its result.
TEST(AlgebraActions, RowsGiveTheirTrees) {
  const ActionRow rows[] = {
      {"isolate on the right swaps the sides",
       "equal[char[a],char[b]]",
       {1},
       Command::IsolateTerm,
       "equal[char[b],char[a]]"},
      {"isolate outside an equation changes nothing",
       "plus[char[x],num[1,\"1\"]]",
       {0},
       Command::IsolateTerm,
       "plus[char[x],num[1,\"1\"]]"},
      {"isolate in a three-sided equation changes nothing",
       "equal[times[num[2,\"2\"],char[x]],char[y],char[z]]",
       {0, 1},
       Command::IsolateTerm,
       "equal[times[num[2,\"2\"],char[x]],char[y],char[z]]"},
      {"isolate writes a negative coefficient as a sign",
       "equal[plus[times[num[2,\"2\"],char[x]],char[y]],num[0,\"0\"]]",
       {0, 1},
       Command::IsolateTerm,
       "equal[char[y],minus[times[num[2,\"\"],char[x]]]]"},
      {"isolate writes a negative term with a sign",
       "equal[plus[times[num[2,\"2\"],char[x]],char[y]],num[4,\"4\"]]",
       {0, 1},
       Command::IsolateTerm,
       "equal[char[y],plus[minus[times[num[2,\"\"],char[x]]],num[4,\"4\"]]]"},
      {"evaluate adds numbers", "plus[num[2,\"2\"],num[3,\"3\"]]", {}, Command::Evaluate, "num[5,\"5\"]"},
      {"evaluate keeps e as the base of a power",
       "power[char[e],char[x]]",
       {},
       Command::Evaluate,
       "power[char[e],char[x]]"},
      {"evaluate writes an interval lower bound first",
       "cmut[plus[num[1,\"1\"],num[1,\"1\"]],num[3,\"3\"]]",
       {},
       Command::Evaluate,
       "cmut[num[2,\"2\"],num[3,\"3\"]]"},
      {"evaluate writes a power out",
       "power[char[x],num[3,\"3\"]]",
       {},
       Command::Evaluate,
       "times[char[x],char[x],char[x]]"},
      {"substitution stops at its own value",
       "substitution[char[x],equal[char[x],plus[char[x],num[1,\"1\"]]]]",
       {},
       Command::CarryOutSubstitutions,
       "plus[char[x],num[1,\"1\"]]"},
      {"evaluate into an equation",
       "plus[num[2,\"2\"],num[3,\"3\"]]",
       {},
       Command::EvaluateIntoEquation,
       "equal[plus[num[2,\"2\"],num[3,\"3\"]],num[5,\"5\"]]"},
      {"evaluate into an equation again from its left side",
       "equal[plus[num[2,\"2\"],num[3,\"3\"]],num[7,\"7\"]]",
       {},
       Command::EvaluateIntoEquation,
       "equal[plus[num[2,\"2\"],num[3,\"3\"]],num[5,\"5\"]]"},
      {"evaluate into an equation whose left side has no value",
       "equal[char[y],plus[num[2,\"2\"],num[3,\"3\"]]]",
       {},
       Command::EvaluateIntoEquation,
       "equal[char[y],num[5,\"5\"]]"},
      {"evaluate into an equation to solve keeps both sides",
       "equal[plus[char[x],num[1,\"1\"]],times[num[2,\"2\"],num[3,\"3\"]]]",
       {},
       Command::EvaluateIntoEquation,
       "equal[plus[char[x],num[1,\"1\"]],num[6,\"6\"]]"},
      {"evaluate into an equation of three sides",
       "equal[char[y],plus[num[2,\"2\"],num[3,\"3\"]],plus[num[1,\"1\"],num[4,\"4\"]]]",
       {1},
       Command::EvaluateIntoEquation,
       "equal[char[y],num[5,\"5\"],num[5,\"5\"]]"},
  };
  for (const ActionRow& row : rows) {
    SCOPED_TRACE(row.name);
    Line line(row.input, row.selection);
    line.perform(row.code);
    EXPECT_TRUE(treeEqual(line.root(), *tree(row.expected))) << writeObjectText(line.root());
  }
}

TEST(AlgebraActions, EvaluateGivesValues) {
  struct Row {
    const char* name;
    const char* input;
    double expected;
  };
  const Row rows[] = {
      {"e squared", "power[char[e],num[2,\"2\"]]", std::exp(2.0)},
      {"binomial coefficient", "choice[num[5,\"5\"],num[2,\"2\"]]", 10},
      {"2 by 2 determinant", "abs[matrix[2,2,num[1,\"1\"],num[2,\"2\"],num[3,\"3\"],num[4,\"4\"]]]", -2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Line line(row.input, {});
    line.perform(Command::Evaluate);
    EXPECT_NEAR(value(line.root()), row.expected, 1e-12) << writeObjectText(line.root());
  }
}

TEST(AlgebraActions, PeelingASumLeavesTheRestFromTheNextIndex) {
  Line line("sum[char[i],equal[char[i],num[1,\"1\"]],num[3,\"3\"]]", {});
  line.perform(Command::PeelTerms);
  const MathObject& root = line.root();
  ASSERT_EQ(root.kind, K::plus) << writeObjectText(root);
  const MathObject* rest = root.child(0)->kind == K::sum ? root.child(0) : root.child(1);
  const MathObject* first = root.child(0)->kind == K::sum ? root.child(1) : root.child(0);
  ASSERT_EQ(rest->kind, K::sum);
  EXPECT_EQ(value(*first), 1);
  EXPECT_EQ(value(*rest->child(1)->child(1)), 2);
}

TEST(AlgebraActions, IsolateLeavesTheSelectionAloneOnTheLeft) {
  Line line("equal[plus[times[num[2,\"2\"],char[x]],num[1,\"1\"]],num[5,\"5\"]]", {0, 0, 1});
  line.perform(Command::IsolateTerm);
  ASSERT_EQ(line.root().childCount(), 2);
  EXPECT_TRUE(treeEqual(*line.root().child(0), *makeVariable('x'))) << writeObjectText(line.root());
  EXPECT_EQ(&line.selected(), line.root().child(0));
  EXPECT_NEAR(value(*line.root().child(1)), 2, 1e-12) << writeObjectText(line.root());

  Line notInvertible("equal[plus[fact[char[x]],num[1,\"1\"]],num[3,\"3\"]]", {0, 0, 0});
  const ObjectPtr before = cloneTree(notInvertible.root());
  notInvertible.perform(Command::IsolateTerm);
  EXPECT_TRUE(treeEqual(notInvertible.root(), *before));
  EXPECT_EQ(notInvertible.selected().kind, K::fact);
}

// Random equations chain(x) = c with x once inside a chain of one-to-one operations. Periodic
// functions and even powers are left out: their principal inverses pick one branch, which need
// not be the one the inner operations can reach.
ObjectPtr invertibleChain(std::mt19937& random, int length) {
  auto number = [&random] { return makeAlgebraNumber(1 + static_cast<double>(random() % 4)); };
  ObjectPtr t = makeVariable('x');
  for (int i = 0; i < length; ++i) {
    switch (random() % 17) {
    case 0:
      t = makePlus(std::move(t), number());
      break;
    case 1:
      t = makePlus(number(), std::move(t));
      break;
    case 2:
      t = makeTimes(number(), std::move(t), number());
      break;
    case 3:
      t = makeNegation(std::move(t));
      break;
    case 4:
      t = makeOver(std::move(t), number());
      break;
    case 5:
      t = makeOver(number(), std::move(t));
      break;
    case 6:
      t = makePower(std::move(t), makeAlgebraNumber(random() % 2 ? 3 : 5));
      break;
    case 7:
      t = makePower(number(), std::move(t));
      break;
    case 8:
      t = makePower(makeVariable('e'), std::move(t));
      break;
    case 9:
      t = makeFunction(K::sqrt, std::move(t));
      break;
    case 10:
      t = makeObject(K::sqrt, number(), std::move(t));
      break;
    case 11:
      t = makeObject(K::log, std::move(t), number());
      break;
    case 12:
      t = makeObject(K::log, number(), std::move(t));
      break;
    case 13:
      t = makeFunction(K::ln, std::move(t));
      break;
    case 14:
      t = makeFunction(K::id, std::move(t));
      break;
    default: {
      constexpr K kFunctions[] = {K::sinh, K::tanh, K::atan, K::asinh, K::exp, K::acot};
      t = makeFunction(kFunctions[random() % std::size(kFunctions)], std::move(t));
    }
    }
  }
  return t;
}

TEST(AlgebraActions, IsolatedValueSatisfiesTheEquation) {
  // The test turns a user switch on and off; put it back however the test ends.
  struct RestoreSwitches {
    SimplifySwitches saved = simplifySwitches();
    ~RestoreSwitches() { simplifySwitches() = saved; }
  } restore;
  std::mt19937 random(42);
  std::uniform_real_distribution<double> where(0.1, 2);
  int checked = 0;
  constexpr int kEquations = 2000;
  for (int n = 0; n < kEquations; ++n) {
    simplifySwitches().simplifyAfterSubstitution = n % 2 == 0; // half through Simplify
    ObjectPtr chain = invertibleChain(random, 1 + n % 4);
    const ObjectPtr original = cloneTree(*chain);
    // The right side is a value the left side takes, so the equation has a solution.
    const double c = valueAt(*original, where(random));
    if (!std::isfinite(c)) continue;
    auto ip = createLineState();
    ip->setRoot(makeObject(K::equal, std::move(chain), makeAlgebraNumber(c)));
    MathObject* x = nullptr;
    for (MathObject* o = ip->root.get(); o; o = nextPreorder(*o, *ip->root))
      if (o->kind == K::char_ && o->characterCode() == 'x') x = o;
    setInsertionPoint(*ip, *x, SelectionMode::Object);
    performAlgebraAction(*ip, Command::IsolateTerm);
    const MathObject& root = *ip->root;
    ASSERT_EQ(root.childCount(), 2) << writeObjectText(*original);
    ASSERT_TRUE(treeEqual(*root.child(0), *makeVariable('x'))) << writeObjectText(root);
    ASSERT_FALSE(dependsOnVariable(*root.child(1), 'x')) << writeObjectText(root);
    const double solution = value(*root.child(1));
    const double back = valueAt(*original, solution);
    if (!std::isfinite(solution) || !std::isfinite(back)) continue; // c outside the chain's range
    ++checked;
    ASSERT_NEAR(back, c, 1e-6 * std::max(1.0, std::fabs(c)))
        << writeObjectText(*original) << " = " << c << "\nisolated: " << writeObjectText(root);
  }
  EXPECT_GT(checked, kEquations / 4);
}

} // namespace
} // namespace vexmar
