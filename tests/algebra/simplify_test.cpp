#include "algebra/simplify.h"

#include "algebra/actions/algebra_actions.h"
#include "algebra/factor_order.h"
#include "model/insertion_point.h"
#include "model/memory_reserve.h"
#include "numeric/evaluator.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <random>
#include <string>

namespace vexmar {
namespace {

// Shorthand for the cases: #2 is a number, @x a letter.
std::string expandShorthand(const std::string& text) {
  std::string full;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i++];
    if (c != '#' && c != '@') {
      full += c;
      continue;
    }
    std::size_t end = i;
    const auto belongs = [c](char d) {
      return c == '#' ? (std::isdigit(static_cast<unsigned char>(d)) || d == '-' || d == '.')
                      : std::isalpha(static_cast<unsigned char>(d));
    };
    while (end < text.size() && belongs(text[end])) ++end;
    const std::string word = text.substr(i, end - i);
    full += c == '#' ? "num[" + word + ",\"\"]" : "char[" + word + "]";
    i = end;
  }
  return full;
}

ObjectPtr tree(const std::string& text) {
  const std::string full = expandShorthand(text);
  ObjectPtr t = readObjectText(full);
  EXPECT_TRUE(t) << full;
  return t;
}

// Runs an action on a whole line holding `root` and returns the line's tree.
ObjectPtr perform(EditorCommand code, ObjectPtr root) {
  std::unique_ptr<InsertionPoint> ip = createLineState();
  ip->setRoot(std::move(root));
  ip->current = ip->root.get();
  ip->mode = SelectionMode::Object;
  for (const AlgebraActionRow& row : simplifyActions())
    if (row.code == code) row.perform(*ip, *ip->current);
  return ip->takeRoot();
}

ObjectPtr perform(EditorCommand code, const std::string& text) { return perform(code, tree(text)); }

struct RewriteCase {
  const char* name;
  EditorCommand command;
  const char* input;
  const char* expected;
};

constexpr RewriteCase kRewriteCases[] = {
    {"numbers fold into the first factor", Command::Simplify, "times[#2,#3,@x]", "times[#6,@x]"},
    {"a number factor moves to the front", Command::Simplify, "times[@x,#2]", "times[#2,@x]"},
    {"numbers of a sum fold at its end", Command::Simplify, "plus[@x,#3,#2]", "plus[@x,#5]"},
    {"a number term moves to the end", Command::Simplify, "plus[#3,@x]", "plus[@x,#3]"},
    {"a numeric fraction is reduced, not divided", Command::Simplify, "over[#6,#4]", "over[#3,#2]"},
    {"a whole quotient loses its denominator", Command::Simplify, "over[#6,#3]", "#2"},
    {"equal terms collect", Command::Simplify, "plus[@x,@x]", "times[#2,@x]"},
    {"a difference of like terms collects", Command::Simplify, "plus[times[#3,@x],minus[@x]]",
     "times[#2,@x]"},
    {"like terms cancelling leave zero", Command::Simplify, "plus[@x,minus[@x]]", "#0"},
    {"equal factors become a power", Command::Simplify, "times[@x,@x]", "power[@x,#2]"},
    {"powers of one base add exponents", Command::Simplify, "times[power[@x,#2],power[@x,#3]]",
     "power[@x,#5]"},
    {"simplify keeps a product of sums", Command::Simplify, "times[id[plus[@a,@b]],id[plus[@c,@d]]]",
     "times[plus[@a,@b],plus[@c,@d]]"},
    {"expand distributes a product of sums", Command::Expand, "times[id[plus[@a,@b]],id[plus[@c,@d]]]",
     "plus[times[@a,@c],times[@a,@d],times[@b,@c],times[@b,@d]]"},
    {"expand multiplies out a binomial power", Command::Expand, "power[id[plus[@x,#1]],#2]",
     "plus[power[@x,#2],times[#2,@x],#1]"},
    {"expand once distributes only the first product", Command::ExpandOnce,
     "plus[times[@a,id[plus[@b,@c]]],times[@d,id[plus[@e,@f]]]]",
     "plus[plus[times[@a,@b],times[@a,@c]],times[@d,plus[@e,@f]]]"},
    {"a power of a product", Command::Simplify, "power[id[times[@x,@y]],#2]",
     "times[power[@x,#2],power[@y,#2]]"},
    {"a power of a power", Command::Simplify, "power[id[power[@x,#2]],#3]", "power[@x,#6]"},
    {"a negative number base splits off its sign", Command::Simplify, "power[id[minus[#2]],@x]",
     "times[power[minus[#1],@x],power[#2,@x]]"},
    {"a perfect square root", Command::Simplify, "sqrt[#16]", "#4"},
    {"an irrational square root stays", Command::Simplify, "sqrt[#2]", "sqrt[#2]"},
    {"an exact cube root", Command::Simplify, "sqrt[#-27,#3]", "minus[#3]"},
    {"an odd root of a negative number is real", Command::Simplify, "power[id[minus[#8]],over[#1,#3]]",
     "minus[#2]"},
    {"an odd root's exponent is taken in lowest terms", Command::Simplify, "power[id[minus[#8]],over[#2,#6]]",
     "minus[#2]"},
    {"an even numerator loses the sign", Command::Simplify, "power[id[minus[#1]],minus[over[#2,#3]]]", "#1"},
    {"an odd root splits off a sign", Command::Simplify, "power[id[minus[@x]],over[#1,#3]]",
     "times[minus[#1],power[@x,over[#1,#3]]]"},
    {"an even root keeps the sign inside", Command::Simplify, "power[id[minus[@x]],over[#1,#2]]",
     "sqrt[minus[@x]]"},
    {"an odd root of a cube", Command::Simplify, "power[id[power[@x,#3]],over[#1,#3]]", "@x"},
    {"an odd root of a square", Command::Simplify, "power[id[power[@x,#2]],over[#1,#3]]",
     "power[@x,over[#2,#3]]"},
    {"powers of iota cycle", Command::Simplify, "power[@iota,#3]", "minus[@iota]"},
    {"iota to the fourth is one", Command::Simplify, "power[@iota,#4]", "#1"},
    {"simplify lifts an equation out of a product", Command::Simplify, "times[#2,id[equal[@y,plus[@x,#1]]]]",
     "equal[times[#2,@y],times[#2,plus[@x,#1]]]"},
    {"expand lifts and distributes", Command::Expand, "times[#2,id[equal[@y,plus[@x,#1]]]]",
     "equal[times[#2,@y],plus[times[#2,@x],#2]]"},
    {"two equations in a product lift into every pairing of sides", Command::Simplify,
     "times[id[equal[@a,@b]],id[equal[@c,@d]]]",
     "equal[times[@a,@c],times[@a,@d],times[@b,@c],times[@b,@d]]"},
    {"an equation of an equation lifts through a sign", Command::Simplify,
     "minus[id[equal[@a,id[equal[@b,@c]]]]]", "equal[minus[@a],minus[@b],minus[@c]]"},
    {"an equation plus a term", Command::Simplify, "plus[id[equal[@y,@x]],#1]",
     "equal[plus[@y,#1],plus[@x,#1]]"},
    {"five factorial stays", Command::Simplify, "fact[#5]", "fact[#5]"},
    {"four factorial is computed", Command::Simplify, "fact[#4]", "#24"},
    {"a sign leaves a product", Command::Simplify, "times[@x,minus[@y]]", "minus[times[@x,@y]]"},
    {"a negative coefficient leads as a sign", Command::Simplify, "minus[times[#2,@x]]",
     "minus[times[#2,@x]]"},
    {"expand writes negative terms with a sign", Command::Expand, "minus[times[#2,id[plus[@x,#1]]]]",
     "plus[minus[times[#2,@x]],minus[#2]]"},
    {"two signs cancel", Command::Simplify, "times[minus[@x],minus[#2]]", "times[#2,@x]"},
    {"a negated sum negates its terms", Command::Simplify, "minus[id[plus[@x,#1]]]",
     "plus[minus[@x],minus[#1]]"},
    {"fractions of a product merge", Command::Simplify, "times[over[@a,@b],over[@c,@d]]",
     "over[times[@a,@c],times[@b,@d]]"},
    {"keep products leaves fractions apart", Command::KeepProducts, "times[over[@a,@b],over[@c,@d]]",
     "times[over[@a,@b],over[@c,@d]]"},
    {"a quotient of quotients", Command::Simplify, "over[over[@a,@b],over[@c,@d]]",
     "over[times[@a,@d],times[@b,@c]]"},
    {"coefficients of a quotient reduce", Command::Simplify, "over[times[#2,@x],#4]", "over[@x,#2]"},
    {"common factors cancel", Command::Simplify, "over[times[power[@x,#3],@y],power[@x,#2]]", "times[@x,@y]"},
    {"a quotient of equals is one", Command::Simplify, "over[@x,@x]", "#1"},
    {"a negative coefficient leaves a quotient", Command::Simplify, "over[times[#-2,@x],@y]",
     "minus[over[times[#2,@x],@y]]"},
    {"numeric fractions add", Command::Simplify, "plus[over[#1,#2],over[#1,#3]]", "over[#5,#6]"},
    {"a fraction absorbs a later number", Command::Simplify, "plus[over[#1,#2],@x,#3]",
     "plus[@x,over[#7,#2]]"},
    {"a negative fraction shows its sign outside", Command::Simplify, "plus[over[#1,#2],minus[#1]]",
     "minus[over[#1,#2]]"},
    {"compact fractions go over one denominator", Command::CompactFractions, "plus[over[#1,@x],over[#1,@y]]",
     "over[plus[@y,@x],times[@x,@y]]"},
    {"sine of a half turn", Command::Simplify, "sin[over[times[#3,@pi],#2]]", "minus[#1]"},
    {"sine with a negative multiple", Command::Simplify, "sin[over[times[#-3,@pi],#2]]", "#1"},
    {"cosine of an odd multiple of pi", Command::Simplify, "cos[times[#3,@pi]]", "minus[#1]"},
    {"cosine of an odd multiple of a half pi", Command::Simplify, "cos[over[times[#5,@pi],#2]]", "#0"},
    {"ln of e", Command::Simplify, "ln[@e]", "#1"},
    {"log of one", Command::Simplify, "log[#1]", "#0"},
    {"scientific notation becomes a number", Command::Simplify, "sn[#2.5,#3]", "#2500"},
    {"a square root of a letter comes back as a root", Command::Simplify, "sqrt[@x]", "sqrt[@x]"},
    {"factors take the canonical order", Command::Simplify, "times[@x,@alpha,@e,@a,@B,#2]",
     "times[#2,@alpha,@B,@a,@x,@e]"},
    {"non-commuting factors stay after the others in their order", Command::Simplify,
     "times[ket[@b],ket[@a],@c]", "times[@c,ket[@b],ket[@a]]"},
    {"a square of a square root is not an absolute value", Command::Simplify,
     "power[id[power[@x,#2]],over[#1,#2]]", "sqrt[power[@x,#2]]"},
    {"a list of equations is not lifted", Command::Simplify, "list[equal[@y,@x],equal[@z,#1]]",
     "list[equal[@y,@x],equal[@z,#1]]"},
    {"the bounds of a sum are not lifted", Command::Simplify, "sum[@k,equal[@k,#1],@n]",
     "sum[@k,equal[@k,#1],@n]"},
    {"a substitution's equation is not lifted", Command::Simplify, "substitution[@f,equal[@x,#2]]",
     "substitution[@f,equal[@x,#2]]"},
};

TEST(Simplify, RewriteCases) {
  for (const RewriteCase& c : kRewriteCases) {
    SCOPED_TRACE(c.name);
    const ObjectPtr result = perform(c.command, c.input);
    const ObjectPtr expected = tree(c.expected);
    ASSERT_TRUE(result && expected);
    EXPECT_TRUE(treeEqual(*result, *expected)) << writeObjectText(*result);
  }
}

TEST(Simplify, CommandsPutTheSwitchesBack) {
  simplifySwitches().reset();
  (void)perform(Command::Expand, "times[@a,plus[@b,@c]]");
  (void)perform(Command::ExpandOnce, "times[@a,@b]");
  (void)perform(Command::CompactFractions, "plus[over[#1,@x],@y]");
  (void)perform(Command::KeepProducts, "times[over[#1,@x],@y]");
  (void)perform(Command::SimplifyHoldingDerivatives, "times[@a,@b]");
  // A command keeps its modes in its own options: the user's switches come through untouched.
  const SimplifySwitches& s = simplifySwitches();
  EXPECT_FALSE(s.derivativesHeld);
  EXPECT_TRUE(s.sortFactors && s.collectTerms && s.collectFactors);
}

TEST(Simplify, CommandsFollowTheUserSwitches) {
  struct SwitchCase {
    const char* name;
    bool SimplifySwitches::*turnedOff;
    EditorCommand command;
    const char* input;
    const char* expected;
  };
  const SwitchCase cases[] = {
      {"equal terms stay apart", &SimplifySwitches::collectTerms, Command::Simplify, "plus[@x,@x]",
       "plus[@x,@x]"},
      {"equal factors stay apart", &SimplifySwitches::collectFactors, Command::Simplify, "times[@x,@x]",
       "times[@x,@x]"},
      {"factors keep their order", &SimplifySwitches::sortFactors, Command::Simplify, "times[@x,@a]",
       "times[@x,@a]"},
      {"expand leaves like terms apart", &SimplifySwitches::collectTerms, Command::Expand,
       "times[@x,id[plus[@x,@x]]]", "plus[power[@x,#2],power[@x,#2]]"},
  };
  for (const SwitchCase& c : cases) {
    SCOPED_TRACE(c.name);
    simplifySwitches().reset();
    simplifySwitches().*c.turnedOff = false;
    const ObjectPtr result = perform(c.command, c.input);
    simplifySwitches().reset();
    EXPECT_TRUE(treeEqual(*result, *tree(c.expected))) << writeObjectText(*result);
  }
}

TEST(Simplify, DistributionTooLargeForOneObjectIsRefused) {
  // 2^14 terms would exceed the children one object may hold: the product stays a product.
  std::string product = "times[";
  for (int i = 0; i < 14; ++i) product += std::string(i ? "," : "") + "plus[@a,char[" + char('b' + i) + "]]";
  product += "]";
  const ObjectPtr result = perform(Command::Expand, product);
  EXPECT_EQ(result->kind, ObjectKind::times);
  EXPECT_EQ(result->childCount(), 14);
}

TEST(Simplify, DeepTreesDoNotExhaustTheStack) {
  constexpr int kDepth = 20000;
  struct DeepCase {
    const char* name;
    ObjectKind kind;
    const char* expected;
  };
  const DeepCase cases[] = {
      {"nested sums collect", ObjectKind::plus, "times[#20001,@x]"},
      {"nested products collect", ObjectKind::times, "power[@x,#20001]"},
  };
  for (const DeepCase& c : cases) {
    SCOPED_TRACE(c.name);
    ObjectPtr root = makeChar('x');
    for (int i = 0; i < kDepth; ++i) root = makeObject(c.kind, makeChar('x'), std::move(root));
    rewritePass(*root, SimplifyOptions{});
    EXPECT_TRUE(treeEqual(*root, *tree(c.expected))) << writeObjectText(*root).substr(0, 200);
  }
  ObjectPtr signs = makeChar('x');
  for (int i = 0; i < kDepth; ++i) signs = makeObject(ObjectKind::minus, std::move(signs));
  rewritePass(*signs, SimplifyOptions{});
  EXPECT_EQ(signs->kind, ObjectKind::char_);
}

TEST(Simplify, LowMemoryStopsEveryPassAndLeavesTheTree) {
  const char* inputs[] = {"times[#2,#3,@x]", "times[plus[@a,@b],plus[@c,@d]]", "times[#2,equal[@y,@x]]"};
  for (EditorCommand command :
       {Command::Simplify, Command::Expand, Command::ExpandOnce, Command::CompactFractions}) {
    for (const char* input : inputs) {
      SCOPED_TRACE(input);
      ASSERT_TRUE(memoryReserve().release());
      const ObjectPtr result = perform(command, input);
      EXPECT_TRUE(memoryReserve().rearm());
      EXPECT_TRUE(treeEqual(*result, *tree(input))) << writeObjectText(*result);
    }
  }
}

TEST(FactorOrder, ComparesByTheCanonicalRules) {
  struct Pair {
    const char* name;
    const char* first;
    const char* second;
  };
  const Pair ordered[] = {
      {"numbers first", "#5", "@a"},
      {"greek before latin", "@beta", "@A"},
      {"capitals before lower case", "@Z", "@a"},
      {"e after every letter", "@z", "@e"},
      {"powers by their bases", "power[@a,#9]", "@b"},
      {"kinds by code", "@x", "plus[@a,@b]"},
      {"same kinds by their operands", "sin[@a]", "sin[@b]"},
      {"commuting before non-commuting", "@z", "char[x,1,0,0,0,0]"},
  };
  for (const Pair& p : ordered) {
    SCOPED_TRACE(p.name);
    const ObjectPtr a = tree(p.first), b = tree(p.second);
    EXPECT_TRUE(factorBefore(*a, *b));
    EXPECT_FALSE(factorBefore(*b, *a));
  }
  // A derivative factor holds its place, and nothing crosses it.
  const ObjectPtr product = tree("times[@z,@y,function[oppartial[@x],@f],@c,@b]");
  sortFactors(*product);
  EXPECT_TRUE(treeEqual(*product, *tree("times[@y,@z,function[oppartial[@x],@f],@b,@c]")))
      << writeObjectText(*product);
  const ObjectPtr u = tree("char[u,1,0,0,0,0]"), v = tree("char[v,1,0,0,0,0]");
  EXPECT_FALSE(factorBefore(*v, *u)) << "vectors keep their order";
}

// ---- value preservation over a generated corpus ----------------------------------------------

class ExpressionGenerator {
public:
  explicit ExpressionGenerator(unsigned seed) : random_(seed) {}

  std::string next(int depth) {
    const int leafChance = depth <= 0 ? 100 : 25;
    if (pick(100) < leafChance) return leaf();
    switch (pick(9)) {
    case 0:
    case 1:
      return nary("plus", depth);
    case 2:
    case 3:
      return nary("times", depth);
    case 4:
      return "minus[" + next(depth - 1) + "]";
    case 5:
      return "over[" + next(depth - 1) + "," + next(depth - 1) + "]";
    case 6:
      return "power[" + next(depth - 1) + "," + (pick(2) ? "#" + std::to_string(pick(5) - 1) : leaf()) + "]";
    case 7:
      return "sqrt[" + next(depth - 1) + "]";
    default:
      return (pick(2) ? "sin[" : "cos[") + next(depth - 1) + "]";
    }
  }

private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string leaf() {
    static const char* letters[] = {"@x", "@y", "@z"};
    if (pick(2)) return letters[pick(3)];
    return "#" + std::to_string(pick(7) - 2);
  }
  std::string nary(const char* kind, int depth) {
    std::string text = std::string(kind) + "[" + next(depth - 1);
    for (int i = 1 + pick(3); i > 0; --i) text += "," + next(depth - 1);
    return text + "]";
  }

  std::mt19937 random_;
};

double valueAt(const MathObject& t, double x, double y, double z) {
  Evaluator e(cloneTree(t));
  compileBatch({&e});
  return e.evalUVXYZ(0, 0, x, y, z);
}

bool usable(double v) { return std::isfinite(v) && std::fabs(v) < 1e6; }

TEST(Simplify, NeverChangesTheValueOfAGeneratedCorpus) {
  ExpressionGenerator generator(20240607u);
  std::mt19937 points(7u);
  std::uniform_real_distribution<double> coordinate(-2.0, 2.0);
  int compared = 0;
  for (int n = 0; n < 2500; ++n) {
    const std::string text = generator.next(4);
    const ObjectPtr original = tree(text);
    ASSERT_TRUE(original);
    for (EditorCommand command : {Command::Simplify, Command::Expand}) {
      const ObjectPtr rewritten = perform(command, text);
      if (command == Command::Simplify) {
        // A simplified expression is settled: simplifying it again changes nothing.
        const ObjectPtr again = perform(command, cloneTree(*rewritten));
        EXPECT_TRUE(treeEqual(*again, *rewritten))
            << "not settled: " << text << " gave " << writeObjectText(*rewritten).substr(0, 300);
      }
      for (int k = 0; k < 3; ++k) {
        const double x = coordinate(points), y = coordinate(points), z = coordinate(points);
        const double before = valueAt(*original, x, y, z), after = valueAt(*rewritten, x, y, z);
        if (!usable(before) || !usable(after)) continue;
        // Skip ill-conditioned points, where rounding alone moves a side (the sine of a huge
        // power, an expanded polynomial near its root).
        const auto steady = [&](const MathObject& t, double value) {
          const double nudged = valueAt(t, x * (1 + 1e-12), y * (1 + 2e-12), z * (1 + 3e-12));
          return std::fabs(nudged - value) <= 1e-9 * std::max(1.0, std::fabs(value));
        };
        if (!steady(*original, before) || !steady(*rewritten, after)) continue;
        ++compared;
        const double tolerance = 1e-7 * std::max({1.0, std::fabs(before), std::fabs(after)});
        ASSERT_NEAR(before, after, tolerance)
            << (command == Command::Expand ? "Expand " : "Simplify ") << text << " gave "
            << writeObjectText(*rewritten) << " at " << x << "," << y << "," << z;
      }
    }
  }
  EXPECT_GT(compared, 5000);
}

} // namespace
} // namespace vexmar
