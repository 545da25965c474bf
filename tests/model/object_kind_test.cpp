#include "model/object_kind.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vexmar {
namespace {

TEST(KindTable, RowsAreInCodeOrderWithUniqueNamesThatLookUp) {
  std::set<std::string_view> names;
  for (int code = kFirstKindCode; code < kFirstKindCode + kKindCount; ++code) {
    const KindInfo& row = kindInfo(static_cast<ObjectKind>(code));
    SCOPED_TRACE(std::string(row.name));
    EXPECT_EQ(static_cast<int>(row.kind), code);
    EXPECT_TRUE(names.insert(row.name).second);
    EXPECT_EQ(kindByName(row.name), row.kind);
    EXPECT_TRUE(row.arity == 0 || row.arity == 1 || row.arity == 2 || row.arity == kVariableArity);
    EXPECT_EQ(row.arity == 0, row.shape == KindShape::Atom);
  }
  EXPECT_EQ(names.size(), 149u);
  EXPECT_FALSE(isValidKindCode(0x1095));
  EXPECT_FALSE(isValidKindCode(0x0FFF));
}

TEST(KindTable, NameLookupIsExactAndCaseSensitive) {
  EXPECT_EQ(kindByName("Leftarrow"), ObjectKind::Leftarrow);
  EXPECT_EQ(kindByName("leftarrow"), ObjectKind::leftarrow);
  EXPECT_FALSE(kindByName("Plus").has_value());
  EXPECT_FALSE(kindByName("plu").has_value());
  EXPECT_FALSE(kindByName("").has_value());
  EXPECT_EQ(kindByName("int"), ObjectKind::int_);
  EXPECT_EQ(kindByName("char"), ObjectKind::char_);
}

TEST(KindTable, SpotRowsCarryTheirShapeArityAndGlyph) {
  struct Row {
    ObjectKind kind;
    KindShape shape;
    int arity;
    std::uint32_t glyph;
  };
  const Row rows[] = {
      {ObjectKind::times, KindShape::Infix, 9, 0xD700},  {ObjectKind::plus, KindShape::Infix, 9, 0x2B01},
      {ObjectKind::list, KindShape::Infix, 9, 0x0001},   {ObjectKind::over, KindShape::Binary, 2, 0xA400},
      {ObjectKind::fact, KindShape::Postfix, 1, 0x2101}, {ObjectKind::sqrt, KindShape::Prefix, 9, 0},
      {ObjectKind::abs, KindShape::Enclosing, 1, 0},     {ObjectKind::matrix, KindShape::Container, 9, 0},
      {ObjectKind::rparen, KindShape::Postfix, 1, 0},    {ObjectKind::extended, KindShape::Prefix, 9, 0x2B01},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(kindName(r.kind)));
    EXPECT_EQ(kindShape(r.kind), r.shape);
    EXPECT_EQ(kindArity(r.kind), r.arity);
    EXPECT_EQ(kindInfo(r.kind).glyph, r.glyph);
  }
}

TEST(KindTable, FunctionLikeKindsAreExactlyTheFunctionNameRows) {
  int count = 0;
  for (int code = kFirstKindCode; code < kFirstKindCode + kKindCount; ++code)
    if (isFunctionLike(static_cast<ObjectKind>(code))) ++count;
  // sin..sgn (25), ln..real (5), fxnlike
  EXPECT_EQ(count, 31);
  EXPECT_TRUE(isFunctionLike(ObjectKind::asech));
  EXPECT_FALSE(isFunctionLike(ObjectKind::log));
  EXPECT_TRUE(isBigOperator(ObjectKind::oint));
  EXPECT_FALSE(isBigOperator(ObjectKind::lim));
}

TEST(SpecialCharacters, NamesMapToConsecutiveCodes) {
  std::set<std::string_view> names;
  for (int i = 0; i < kSpecialCharacterCount; ++i) {
    const SpecialCharacter& c = specialCharacter(i);
    EXPECT_TRUE(names.insert(c.name).second) << c.name;
    EXPECT_EQ(specialCharacterByName(c.name), kFirstSpecialCode + i);
  }
  EXPECT_EQ(specialCharacterByName("pi"), 0x1312);
  EXPECT_EQ(specialCharacter(18).symbolCode, 0x70);
  EXPECT_EQ(specialCharacterByName("degree"), 0x1332);
  EXPECT_FALSE(specialCharacterByName("Pii").has_value());
  EXPECT_TRUE(isSpecialCharacterCode(0x1332));
  EXPECT_FALSE(isSpecialCharacterCode(0x1333));
}

} // namespace
} // namespace vexmar
