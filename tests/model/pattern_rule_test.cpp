#include "model/pattern_rule.h"

#include "tree_builders.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

using namespace test;

ObjectPtr primedDummy(char c, int primes) {
  ObjectPtr v = var(c);
  v->decoration = static_cast<std::uint32_t>(primes) << Decoration::kPrimesShift;
  return v;
}

TEST(PatternRule, RepeatedVariableMatchesOnlyEqualSubtrees) {
  // x + x -> 2 x
  ObjectPtr rule = node(ObjectKind::rightarrow, node(ObjectKind::plus, var('x'), var('x')),
                        node(ObjectKind::times, num(2), var('x')));
  ObjectPtr same = node(ObjectKind::plus, node(ObjectKind::sin, ch('t')), node(ObjectKind::sin, ch('t')));
  ASSERT_TRUE(applyRule(*rule, *same));
  ObjectPtr expected = node(ObjectKind::times, num(2), node(ObjectKind::sin, ch('t')));
  EXPECT_TRUE(treeEqual(*same, *expected));
  EXPECT_TRUE(linksAreSound(*same));

  ObjectPtr different = node(ObjectKind::plus, ch('a'), ch('b'));
  ObjectPtr untouched = cloneTree(*different);
  EXPECT_FALSE(applyRule(*rule, *different));
  EXPECT_TRUE(treeEqual(*different, *untouched));
}

TEST(PatternRule, EqualChainOffersSeveralLeftSidesAndAListTakesTheFirstMatch) {
  // sin x = cos x = f  (either left side rewrites to f)
  ObjectPtr chain =
      node(ObjectKind::equal, node(ObjectKind::sin, var('x')), node(ObjectKind::cos, var('x')), ch('f'));
  ObjectPtr target = node(ObjectKind::cos, ch('y'));
  ASSERT_TRUE(applyRule(*chain, *target));
  EXPECT_EQ(target->kind, ObjectKind::char_);
  EXPECT_EQ(target->characterCode(), 'f');

  ObjectPtr rules = node(ObjectKind::list, node(ObjectKind::rightarrow, var('a'), num(1)),
                         node(ObjectKind::rightarrow, var('a'), num(2)));
  ObjectPtr anything = ch('q');
  ASSERT_TRUE(applyRule(*rules, *anything));
  EXPECT_EQ(anything->number->value, 1);
}

TEST(PatternRule, DecoratedVariableBindsTheLetterWithoutThatDecoration) {
  // f' -> g(f): x'' matched by a one-prime variable binds x' (one prime left)
  ObjectPtr rule = node(ObjectKind::rightarrow, primedDummy('f', 1), node(ObjectKind::abs, var('f')));
  ObjectPtr target = ch('x');
  target->decoration = 2u << Decoration::kPrimesShift;
  ASSERT_TRUE(applyRule(*rule, *target));
  ASSERT_EQ(target->kind, ObjectKind::abs);
  const MathObject& inner = *target->child(0);
  EXPECT_EQ(inner.characterCode(), 'x');
  EXPECT_EQ((inner.decoration & Decoration::kPrimesMask) >> Decoration::kPrimesShift, 1u);

  ObjectPtr plain = ch('x');
  EXPECT_FALSE(applyRule(*rule, *plain)); // too few primes
  ObjectPtr notALetter = num(3);
  EXPECT_FALSE(applyRule(*rule, *notALetter));
}

TEST(PatternRule, ApplyRulesWalksTheSubtreeAndSkipsRewrittenParts) {
  // a -> a + a must not rewrite its own output again
  ObjectPtr rule = node(ObjectKind::rightarrow, ch('a'), node(ObjectKind::plus, ch('a'), ch('a')));
  ObjectPtr tree = node(ObjectKind::times, ch('a'), ch('b'), ch('a'));
  EXPECT_EQ(applyRules(*rule, *tree), 2);
  EXPECT_EQ(tree->child(0)->kind, ObjectKind::plus);
  EXPECT_EQ(tree->child(2)->kind, ObjectKind::plus);
  EXPECT_EQ(tree->child(2)->child(0)->kind, ObjectKind::char_);
  EXPECT_TRUE(linksAreSound(*tree));
}

TEST(PatternRule, BackslashNameMakesADefinition) {
  EXPECT_TRUE(isNamedDefinition(*node(ObjectKind::rightarrow, makeString("\\area"), ch('A'))));
  EXPECT_FALSE(isNamedDefinition(*node(ObjectKind::rightarrow, makeString("area"), ch('A'))));
  EXPECT_FALSE(isNamedDefinition(*node(ObjectKind::equal, makeString("\\area"), ch('A'))));
}

} // namespace
} // namespace vexmar
