#include "algebra/tree_services.h"

#include "text/object_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexmar {
namespace {

ObjectPtr tree(const char* text) {
  ObjectPtr t = readObjectText(text);
  EXPECT_TRUE(t) << text;
  return t;
}

TEST(TreeServices, BuildersLinkTheirOperands) {
  ObjectPtr d = makeDifference(makeVariable('x'), makeAlgebraNumber(1));
  EXPECT_EQ(writeObjectText(*d), "plus[char[x],minus[num[1,\"\"]]]");
  ObjectPtr s = makeSubstitution(makeVariable('f'), makeVariable('x'), makeAlgebraNumber(2));
  EXPECT_EQ(writeObjectText(*s), "substitution[char[f],equal[char[x],num[2,\"\"]]]");
  const ObjectPtr letter = tree("char[a]");
  const MathObject& a = *letter;
  EXPECT_EQ(writeObjectText(*makeOneMinusSquare(a)), "plus[num[1,\"\"],minus[power[char[a],num[2,\"\"]]]]");
  EXPECT_EQ(writeObjectText(*makeSquareMinusOne(a)), "plus[power[char[a],num[2,\"\"]],minus[num[1,\"\"]]]");
  EXPECT_EQ(writeObjectText(*makeReciprocal(makeVariable('y'))), "over[num[1,\"\"],char[y]]");
  ObjectPtr derivative = makeDerivative(makeVariable('f'), makeVariable('x'));
  EXPECT_EQ(derivative->kind, ObjectKind::PartialDerivativeKind);
  EXPECT_EQ(derivative->shape(), KindShape::Binary);
}

TEST(TreeServices, ReplacementKeepsThePlaceInTheParent) {
  ObjectPtr t = tree("plus[char[a],char[b]]");
  MathObject* b = t->child(1);
  EXPECT_EQ(replaceWithNumber(*b, 4), b);
  EXPECT_EQ(t->child(1), b);
  EXPECT_EQ(b->number->value, 4);
  ObjectPtr withIds = tree("times[id[char[a]],char[b],id[char[c]]]");
  removeChildrenOfKind(*withIds, ObjectKind::id);
  EXPECT_EQ(writeObjectText(*withIds), "times[char[b]]");
}

TEST(TreeServices, WalksVisitInOrderAndEnd) {
  ObjectPtr t = tree("equal[char[y],plus[char[a],sin[char[b]]]]");
  EXPECT_EQ(lastDescendant(*t)->characterCode(), 'b');
  EXPECT_EQ(nextPreorderOut(*lastDescendant(*t)), nullptr);
  EXPECT_EQ(nextPreorderOut(*t->child(0)), t->child(1));
  std::string order;
  for (MathObject* n = firstPostorder(*t); n; n = nextPostorder(*n, *t))
    order += n->kind == ObjectKind::char_ ? static_cast<char>(n->characterCode()) : kindName(n->kind).front();
  EXPECT_EQ(order, "yabspe"); // y a b sin plus equal
}

TEST(TreeServices, NodeTestsAndTheWalkPastASubtree) {
  ObjectPtr t = tree("plus[times[num[2,\"2\"],char[e]],char[e,0,1,0,0,0],num[0,\"0\"]]");
  const MathObject& product = *t->child(0);
  EXPECT_TRUE(isNumber(product.child(0)));
  EXPECT_TRUE(isNumber(product.child(0), 2));
  EXPECT_FALSE(isNumber(product.child(0), 3));
  EXPECT_FALSE(isNumber(&product));
  EXPECT_FALSE(isNumber(nullptr));
  EXPECT_TRUE(isPlainLetter(product.child(1), 'e'));
  EXPECT_FALSE(isPlainLetter(t->child(1), 'e')); // decorated
  EXPECT_FALSE(isPlainLetter(&product, 'e'));
  EXPECT_TRUE(containsKind(*t, ObjectKind::plus));
  EXPECT_TRUE(containsKind(*t, ObjectKind::times));
  EXPECT_FALSE(containsKind(*t, ObjectKind::sin));
  EXPECT_EQ(nextAfterSubtree(product, *t), t->child(1));
  EXPECT_EQ(nextAfterSubtree(*product.child(1), *t), t->child(1));
  EXPECT_EQ(nextAfterSubtree(*product.child(0), product), product.child(1));
  EXPECT_EQ(nextAfterSubtree(*product.child(1), product), nullptr); // stays inside the root
  EXPECT_EQ(nextAfterSubtree(*t->child(2), *t), nullptr);
  const std::vector<MathObject*> numbers =
      collectPreorder(*t, [](const MathObject& n) { return isNumber(&n); });
  EXPECT_EQ(numbers, (std::vector<MathObject*>{product.child(0), t->child(2)}));
}

TEST(TreeServices, FreeOfDependsAndRename) {
  ObjectPtr t = tree("plus[sin[char[x]],char[y]]");
  EXPECT_FALSE(isFreeOf(*t, *tree("sin[char[x]]")));
  EXPECT_TRUE(isFreeOf(*t, *tree("sin[char[y]]")));
  EXPECT_TRUE(dependsOnVariable(*t, 'x'));
  renameVariable(*t, 'x', 'u');
  EXPECT_FALSE(dependsOnVariable(*t, 'x'));
  EXPECT_EQ(writeObjectText(*t), "plus[sin[char[u]],char[y]]");
}

TEST(TreeServices, UnwrapIdentityRemovesEveryParenthesis) {
  ObjectPtr t = tree("id[id[plus[id[char[x]],id[id[char[y]]]]]]");
  MathObject* root = t.get();
  unwrapIdentity(*t);
  EXPECT_EQ(t.get(), root);
  EXPECT_EQ(writeObjectText(*t), "plus[char[x],char[y]]");
  EXPECT_EQ(t->child(0)->parent, root);
}

TEST(TreeServices, FunctionDefinitions) {
  EXPECT_TRUE(isFunctionDefinition(*tree("equal[times[char[f],id[char[x]]],power[char[x],num[2,\"2\"]]]")));
  EXPECT_TRUE(isFunctionDefinition(*tree("times[char[f],id[char[x]]]")));
  EXPECT_FALSE(isFunctionDefinition(*tree("equal[times[char[g],id[char[x]]],char[x]]")));
  EXPECT_FALSE(isFunctionDefinition(*tree("equal[times[char[f],id[char[t]]],char[t]]")));
}

} // namespace
} // namespace vexmar
