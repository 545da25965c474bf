#include "model/decoration.h"

#include "model/insertion_point.h"
#include "tree_builders.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

using namespace test;

std::unique_ptr<InsertionPoint> lineWith(ObjectPtr root) {
  auto ip = createLineState();
  ip->setRoot(std::move(root));
  return ip;
}

TEST(Decoration, LetterCommandsCycleAndToggle) {
  struct Row {
    int code;
    int times;
    std::uint32_t expected;
  };
  using namespace Decoration;
  const Row rows[] = {
      {0x1500, 1, 1u << kDotsShift},
      {0x1500, 3, 3u << kDotsShift},
      {0x1500, 4, 0},
      {0x1503, 2, 2u << kPrimesShift},
      {0x1503, 4, 0},
      {0x1501, 1, kAccentTilde},
      {0x1501, 2, 0},
      {0x1504, 1, kAccentHat},
      {0x1504, 2, 0},
      {0x1502, 1, kBar},
      {0x1502, 2, 0},
      {0x1506, 1, 1u << kMarkBelowShift},
      {0x1507, 1, 2u << kMarkBelowShift},
      {0x1507, 2, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.code << " x" << r.times);
    auto ip = lineWith(ch('x'));
    for (int i = 0; i < r.times; ++i) EXPECT_TRUE(applyDecoration(*ip, r.code));
    EXPECT_EQ(ip->root->decoration, r.expected);
  }
}

TEST(Decoration, HatReplacesTildeAndMarksReplaceEachOther) {
  auto ip = lineWith(ch('x'));
  applyDecoration(*ip, 0x1501);
  applyDecoration(*ip, 0x1504);
  EXPECT_EQ(ip->root->decoration & Decoration::kAccentMask, Decoration::kAccentHat);
  applyDecoration(*ip, 0x1506);
  applyDecoration(*ip, 0x1507);
  EXPECT_EQ(ip->root->decoration & Decoration::kMarkBelowMask, 2u << Decoration::kMarkBelowShift);
}

TEST(Decoration, BarOnAnythingButALetterWrapsInOverline) {
  auto ip = lineWith(node(ObjectKind::plus, ch('a'), ch('b')));
  EXPECT_FALSE(applyDecoration(*ip, 0x1500)); // dots need a letter
  ASSERT_TRUE(applyDecoration(*ip, 0x1502));
  EXPECT_EQ(ip->root->kind, ObjectKind::overline);
  EXPECT_EQ(ip->root->child(0)->kind, ObjectKind::plus);
  EXPECT_EQ(ip->current, ip->root.get());
  EXPECT_TRUE(linksAreSound(*ip->root));
}

TEST(Decoration, OperatorAndTextModesIgnoreDecorations) {
  for (SelectionMode mode : {SelectionMode::Operator, SelectionMode::Text}) {
    auto ip = lineWith(ch('x'));
    ip->mode = mode;
    EXPECT_FALSE(applyDecoration(*ip, 0x1503));
    EXPECT_EQ(ip->root->decoration, 0u);
  }
}

TEST(Decoration, ArrowsAndVariablesActOnEveryLeaf) {
  auto ip = lineWith(node(ObjectKind::plus, ch('a'), makeChar(0x1312), num(2)));
  ASSERT_TRUE(applyDecoration(*ip, 0x1505));
  EXPECT_EQ(ip->root->child(0)->decoration & Decoration::kAccentMask, Decoration::kAccentArrow);
  EXPECT_EQ(ip->root->child(1)->decoration & Decoration::kAccentMask, Decoration::kAccentArrow);
  ASSERT_TRUE(applyDecoration(*ip, 0x1505));
  EXPECT_EQ(ip->root->child(0)->decoration, 0u);

  ASSERT_TRUE(applyDecoration(*ip, 0x1508));
  EXPECT_EQ(ip->root->child(0)->kind, ObjectKind::dummy);
  EXPECT_EQ(ip->root->child(1)->kind, ObjectKind::char_); // pi stays a letter
  ASSERT_TRUE(applyDecoration(*ip, 0x1508));
  EXPECT_EQ(ip->root->child(0)->kind, ObjectKind::char_);
}

TEST(Decoration, CellModeActsOnTheSelectedCellIndices) {
  auto ip = lineWith(makeObject(ObjectKind::matrix));
  ip->root->setMatrixSize(1, 3);
  for (char c : {'a', 'b', 'c'}) appendChild(*ip->root, ch(c));
  ip->mode = SelectionMode::Cells;
  ip->selFirst = 1;
  ip->selLast = 2;
  ASSERT_TRUE(applyDecoration(*ip, 0x1508));
  EXPECT_EQ(ip->root->child(0)->kind, ObjectKind::char_);
  EXPECT_EQ(ip->root->child(1)->kind, ObjectKind::dummy);
  EXPECT_EQ(ip->root->child(2)->kind, ObjectKind::dummy);
  EXPECT_FALSE(applyDecoration(*ip, 0x1502)); // no overline around cells
}

} // namespace
} // namespace vexmar
