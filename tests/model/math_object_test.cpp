#include "model/math_object.h"

#include "tree_builders.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vexmar {
namespace {

using namespace test;

TEST(MathObject, CollapseLeavesTheOtherChildInTheParentsPlace) {
  ObjectPtr root = node(ObjectKind::equal, ch('y'), node(ObjectKind::plus, ch('a'), ch('b')));
  MathObject* sum = root->child(1);
  ObjectPtr removed = removeChildCollapse(*sum, 0);
  EXPECT_EQ(removed->characterCode(), 'a');
  EXPECT_EQ(removed->parent, nullptr);
  // The record at the sum's position now holds b.
  EXPECT_EQ(root->child(1), sum);
  EXPECT_EQ(sum->kind, ObjectKind::char_);
  EXPECT_EQ(sum->characterCode(), 'b');
  EXPECT_EQ(sum->indexInParent, 1);
  EXPECT_EQ(sum->parent, root.get());
  EXPECT_TRUE(linksAreSound(*root));
}

TEST(MathObject, CollapseOnlyWhenExactlyTwoChildren) {
  ObjectPtr sum = node(ObjectKind::plus, ch('a'), ch('b'), ch('c'));
  ObjectPtr removed = removeChildCollapse(*sum, 1);
  EXPECT_EQ(sum->kind, ObjectKind::plus);
  ASSERT_EQ(sum->childCount(), 2);
  EXPECT_EQ(sum->child(1)->characterCode(), 'c');
  EXPECT_TRUE(linksAreSound(*sum));
}

TEST(MathObject, SetChildCountKeepsLeadingChildrenAndReleasesAtZero) {
  ObjectPtr pair = node(ObjectKind::comma, ch('a'), ch('b'));
  MathObject* a = pair->child(0);
  MathObject* b = pair->child(1);
  setChildCount(*pair, 3);
  EXPECT_EQ(pair->child(0), a);
  EXPECT_EQ(pair->child(1), b);
  EXPECT_EQ(pair->child(2), nullptr);
  makePromptChild(*pair, 2);
  const std::size_t before = objectsInUse();
  setChildCount(*pair, 0);
  EXPECT_EQ(pair->childCount(), 0);
  EXPECT_EQ(objectsInUse(), before - 3);
}

TEST(MathObject, NoObjectGetsMoreThanTheMostChildrenTheTextFormHolds) {
  ObjectPtr full = makeObject(ObjectKind::plus, kMaxChildren);
  for (int i = 0; i < kMaxChildren; ++i) setChild(*full, i, makePrompt());
  EXPECT_THROW(appendChild(*full, makePrompt()), TooManyChildren);
  EXPECT_THROW(insertChild(*full, 0, makePrompt()), TooManyChildren);
  EXPECT_THROW(setChildCount(*full, kMaxChildren + 1), TooManyChildren);
  EXPECT_THROW((void)makeObject(ObjectKind::plus, kMaxChildren + 1), TooManyChildren);
  // Refused before anything moved.
  ASSERT_EQ(full->childCount(), kMaxChildren);
  for (int i = 0; i < kMaxChildren; ++i) ASSERT_EQ(full->child(i)->indexInParent, i);
  removeChild(*full, 0);
  EXPECT_NO_THROW(appendChild(*full, makePrompt()));
}

TEST(MathObject, CloneOfANumberSharesNoRecord) {
  ObjectPtr source = makeNumber(2.5, "2.5");
  ObjectPtr copy = cloneTree(*source);
  ASSERT_NE(copy->number.get(), source->number.get());
  copy->number->value = 7;
  copy.reset();
  EXPECT_EQ(source->number->value, 2.5);
  EXPECT_EQ(source->number->displayText(), "2.5");
}

TEST(MathObject, CloneDropsUserAdjustmentsThatCopyKeeps) {
  ObjectPtr source = node(ObjectKind::over, ch('a'), ch('b'));
  MathObject& b = *source->child(1);
  b.shiftX = 3 << 16;
  b.padLeft = 1 << 16;
  b.spare = 7;
  b.style = {1, 2, 3, 4};
  b.tag = 9;
  b.fontSize = 12 << 16;
  b.horizontalAlignment = 2;
  b.uniformRows = 1;
  b.width = 100; // layout is never copied

  ObjectPtr clone = cloneTree(*source);
  ObjectPtr full = copyTree(*source);
  const MathObject& c = *clone->child(1);
  const MathObject& f = *full->child(1);
  EXPECT_EQ(c.shiftX, 0);
  EXPECT_EQ(c.padLeft, 0);
  EXPECT_EQ(c.spare, 0);
  EXPECT_EQ(c.uniformRows, 0);
  EXPECT_EQ(f.shiftX, 3 << 16);
  EXPECT_EQ(f.padLeft, 1 << 16);
  EXPECT_EQ(f.spare, 7);
  EXPECT_EQ(f.uniformRows, 1);
  for (const MathObject* o : {&c, &f}) {
    EXPECT_EQ(o->style, b.style);
    EXPECT_EQ(o->tag, 9);
    EXPECT_EQ(o->fontSize, 12 << 16);
    EXPECT_EQ(o->horizontalAlignment, 2);
    EXPECT_EQ(o->width, 0);
  }
  EXPECT_TRUE(linksAreSound(*clone));
  EXPECT_TRUE(treeEqual(*clone, *source));
}

TEST(MathObject, FlattenMergesGrandchildrenAndRespectsTheLimit) {
  ObjectPtr product = node(ObjectKind::times, ch('a'), node(ObjectKind::times, ch('b'), ch('c')), ch('d'));
  ASSERT_TRUE(flattenChild(*product, 1));
  ASSERT_EQ(product->childCount(), 4);
  EXPECT_EQ(product->child(2)->characterCode(), 'c');
  EXPECT_EQ(product->child(3)->characterCode(), 'd');
  EXPECT_TRUE(linksAreSound(*product));

  ObjectPtr big = makeObject(ObjectKind::plus);
  for (int i = 0; i < kMaxChildren - 1; ++i) appendChild(*big, ch('x'));
  appendChild(*big, node(ObjectKind::plus, ch('y'), ch('z')));
  EXPECT_FALSE(flattenChild(*big, kMaxChildren - 1));
  EXPECT_EQ(big->childCount(), kMaxChildren);
  EXPECT_EQ(big->lastChild()->kind, ObjectKind::plus);
}

TEST(MathObject, ReplaceObjectKeepsTargetsPlaceAndAdoptsChildren) {
  ObjectPtr root = node(ObjectKind::plus, ch('a'), ch('b'));
  MathObject* target = root->child(1);
  replaceObject(node(ObjectKind::over, ch('p'), ch('q')), *target);
  EXPECT_EQ(root->child(1), target);
  EXPECT_EQ(target->kind, ObjectKind::over);
  EXPECT_EQ(target->indexInParent, 1);
  EXPECT_TRUE(linksAreSound(*root));
}

TEST(MathObject, EqualityTable) {
  struct Row {
    const char* name;
    ObjectPtr a, b;
    bool equal;
  };
  auto primed = [] {
    ObjectPtr x = ch('x');
    x->decoration = 1u << Decoration::kPrimesShift;
    return x;
  };
  Row rows[] = {
      {"same letters", ch('x'), ch('x'), true},
      {"different letters", ch('x'), ch('y'), false},
      {"2 and 2.0", num(2), makeNumber(2.0, "2.0"), true},
      {"different numbers", num(2), num(3), false},
      {"not a number equals its copy", makeNumber(std::nan(""), "NaN"), makeNumber(std::nan(""), "NaN"),
       true},
      {"not a number and a number", makeNumber(std::nan(""), "NaN"), num(0), false},
      {"primed letter", ch('x'), primed(), false},
      {"letter and pattern variable", ch('x'), var('x'), false},
      {"texts", makeString("ab"), makeString("ab"), true},
      {"different texts", makeString("ab"), makeString("ac"), false},
      {"child counts", node(ObjectKind::plus, ch('a'), ch('b')),
       node(ObjectKind::plus, ch('a'), ch('b'), ch('c')), false},
      {"kinds", node(ObjectKind::plus, ch('a'), ch('b')), node(ObjectKind::times, ch('a'), ch('b')), false},
      {"nested", node(ObjectKind::over, num(1), node(ObjectKind::sin, ch('x'))),
       node(ObjectKind::over, num(1), node(ObjectKind::sin, ch('x'))), true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(treeEqual(*r.a, *r.b), r.equal);
    EXPECT_EQ(treeEqual(*r.b, *r.a), r.equal);
  }
}

TEST(MathObject, PreorderWalkVisitsEveryNodeOnce) {
  ObjectPtr root =
      node(ObjectKind::equal, ch('y'), node(ObjectKind::plus, ch('a'), node(ObjectKind::minus, ch('b'))));
  std::string order;
  for (MathObject* n = root.get(); n; n = nextPreorder(*n, *root))
    order += n->kind == ObjectKind::char_ ? static_cast<char>(n->characterCode()) : '.';
  EXPECT_EQ(order, ".y.a.b");
  EXPECT_EQ(lastLeaf(*root)->characterCode(), 'b');
  EXPECT_EQ(firstLeaf(*root)->characterCode(), 'y');
  // A walk bounded by a subtree stops at the subtree's end.
  MathObject* sum = root->child(1);
  int count = 0;
  for (MathObject* n = sum; n; n = nextPreorder(*n, *sum)) ++count;
  EXPECT_EQ(count, 4);
}

TEST(MathObject, DeepTreesCopyCompareAndFreeWithoutRecursion) {
  const std::size_t baseline = objectsInUse();
  {
    constexpr int kDepth = 200000;
    ObjectPtr root = ch('x');
    for (int i = 0; i < kDepth; ++i) root = makeObject(ObjectKind::id, std::move(root));
    ObjectPtr copy = copyTree(*root);
    EXPECT_TRUE(treeEqual(*root, *copy));
    lastLeaf(*copy)->payloadA = 'y';
    EXPECT_FALSE(treeEqual(*root, *copy));
    EXPECT_EQ(countObjects(*root), static_cast<std::size_t>(kDepth) + 1);
  }
  EXPECT_EQ(objectsInUse(), baseline);
}

TEST(MathObject, NumbersFromHalvesKeepTheExactBits) {
  ObjectPtr n = makeNumberFromHalves(0x00000000u, 0x40090000u); // 3.125
  EXPECT_EQ(n->number->value, 3.125);
  EXPECT_EQ(n->number->displayText(), "");
  EXPECT_EQ(n->tag, 0);
}

TEST(MathObject, DisplayTextIsCutToTheRecordsCapacity) {
  NumberRecord r;
  EXPECT_TRUE(r.setDisplayText("123"));
  EXPECT_FALSE(r.setDisplayText(std::string(40, '9')));
  EXPECT_EQ(r.displayText().size(), NumberRecord::kTextCapacity - 1);
}

TEST(MathObject, IndexCountsShareTheMatrixHalves) {
  ObjectPtr indexes = makeObject(ObjectKind::indexes);
  indexes->setIndexCounts(2, 3);
  EXPECT_EQ(indexes->lowerIndexCount(), 2);
  EXPECT_EQ(indexes->upperIndexCount(), 3);
  EXPECT_EQ(indexes->matrixRows(), 2);
  EXPECT_EQ(indexes->matrixColumns(), 3);
}

TEST(MathObject, ChemSlotBitsNameEachSlotOnce) {
  int seen = 0;
  for (int bit : kChemSlotBits) seen |= 1 << bit;
  EXPECT_EQ(seen, 0xF);
}

} // namespace
} // namespace vexmar
