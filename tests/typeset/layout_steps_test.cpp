#include "typeset/layout_steps.h"

#include "text/number_text.h"
#include "typeset/face_encoding.h"
#include "typesetting_fixture.h"

namespace vexmar::test {
namespace {

using LayoutSteps = TypesettingFixture;

TEST_F(LayoutSteps, DisplayParenthesesWhereTheStructureNeedsThem) {
  struct Row {
    const char* name;
    const char* tree;
    const char* shown;
  };
  const Row rows[] = {
      {"sum inside a product", "times[char[a],plus[char[b],char[c]]]",
       "times[char[a],id[plus[char[b],char[c]]]]"},
      {"product inside a sum", "plus[char[a],times[char[b],char[c]]]",
       "plus[char[a],times[char[b],char[c]]]"},
      {"negative factor", "times[char[a],minus[char[b]]]", "times[char[a],id[minus[char[b]]]]"},
      {"power and function factors", "times[power[char[a],char[b]],sin[char[x]]]",
       "times[power[char[a],char[b]],sin[char[x]]]"},
      {"prefix factor before the last", "times[diff[char[x]],char[y]]", "times[id[diff[char[x]]],char[y]]"},
      {"prefix factor last", "times[char[y],diff[char[x]]]", "times[char[y],diff[char[x]]]"},
      {"root factor", "times[sqrt[char[x]],char[y]]", "times[sqrt[char[x]],char[y]]"},
      {"sum as a base", "power[plus[char[a],char[b]],char[n]]", "power[id[plus[char[a],char[b]]],char[n]]"},
      {"fraction as a base", "power[over[char[a],char[b]],char[n]]",
       "power[id[over[char[a],char[b]]],char[n]]"},
      {"sum as an exponent", "power[char[a],plus[char[b],char[c]]]", "power[char[a],plus[char[b],char[c]]]"},
      {"same infix kind", "plus[char[a],plus[char[b],char[c]]]", "plus[char[a],id[plus[char[b],char[c]]]]"},
      {"equation inside a sum", "plus[char[a],equal[char[b],char[c]]]",
       "plus[char[a],id[equal[char[b],char[c]]]]"},
      {"equations in a list", "list[equal[char[a],char[b]],equal[char[c],char[d]]]",
       "list[equal[char[a],char[b]],equal[char[c],char[d]]]"},
      {"function of a sum", "sin[plus[char[a],char[b]]]", "sin[id[plus[char[a],char[b]]]]"},
      {"function of a product", "sin[times[num[2,\"2\"],char[x]]]", "sin[times[num[2,\"2\"],char[x]]]"},
      {"function of a product with a fraction", "sin[times[over[char[a],char[b]],char[x]]]",
       "sin[id[times[over[char[a],char[b]],char[x]]]]"},
      {"function of a product with a function", "sin[times[char[a],cos[char[x]]]]",
       "sin[id[times[char[a],cos[char[x]]]]]"},
      {"negated sum", "minus[plus[char[a],char[b]]]", "minus[id[plus[char[a],char[b]]]]"},
      {"root of a sum", "sqrt[plus[char[a],char[b]]]", "sqrt[plus[char[a],char[b]]]"},
      {"factorial of a sum", "fact[plus[char[a],char[b]]]", "fact[id[plus[char[a],char[b]]]]"},
      {"factorial of a function", "fact[sin[char[x]]]", "fact[id[sin[char[x]]]]"},
      {"sum inside a sum operator", "sum[plus[char[a],char[b]],char[i],char[n]]",
       "sum[plus[char[a],char[b]],char[i],char[n]]"},
      {"cross of sums", "cross[plus[char[a],char[b]],char[c]]", "cross[id[plus[char[a],char[b]]],char[c]]"},
      {"fraction of sums", "over[plus[char[a],char[b]],char[c]]", "over[plus[char[a],char[b]],char[c]]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    line->setRoot(readObjectText(row.tree));
    insertDisplayParentheses(*line);
    EXPECT_EQ(writeObjectText(*line->root), row.shown);
    // A second pass adds nothing: the parentheses stay in the tree.
    insertDisplayParentheses(*line);
    EXPECT_EQ(writeObjectText(*line->root), row.shown);
  }
}

TEST_F(LayoutSteps, ACaretBetweenFactorsStaysBetweenThemWhenTheLeftOneGetsParentheses) {
  // A caret between two factors is mode 5 on the left one; parentheses put round that factor
  // must take the caret with them, or it would stand on an object that is no factor at all.
  const CaretRow rows[] = {
      {"negative factor", "times[minus[char[b]],char[a]]", {0}, SelectionMode::BetweenFactors, 0, 0},
      {"sum factor",
       "times[char[a],plus[char[b],char[c]],char[d]]",
       {1},
       SelectionMode::BetweenFactors,
       0,
       0},
  };
  for (const CaretRow& row : rows) {
    SCOPED_TRACE(row.name);
    line->setRoot(readObjectText(row.tree));
    putCaret(*line, row);
    insertDisplayParentheses(*line);
    ASSERT_TRUE(line->current->parent);
    EXPECT_EQ(line->current->parent->kind, ObjectKind::times);
    EXPECT_EQ(line->current->kind, ObjectKind::id);
    EXPECT_EQ(line->mode, SelectionMode::BetweenFactors);
  }
}

TEST_F(LayoutSteps, ComputedNumbersAreFormattedAgain) {
  struct Row {
    const char* name;
    double value;
    const char* text;
    const char* shown;
  };
  const Row rows[] = {
      {"typed number stays", 12.5, "12.5", R"(num[12.5,"12.5"])"},
      {"decimal point being typed stays", 2, "2.", R"(num[2,"2."])"},
      {"computed result", 0.25, "7", R"(num[0.25,"0.25"])"},
      {"large result in scientific notation", 1.5e20, "0", R"(sn[num[1.5,"1.5"],num[20,"20"]])"},
      {"small result with a negative exponent", 2.5e-7, "0", R"(sn[num[2.5,"2.5"],minus[num[7,"7"]]])"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    line->setRoot(makeNumber(row.value, row.text));
    prepareNumbers(*line);
    EXPECT_EQ(writeObjectText(*line->root), row.shown);
  }
  // Inside a tree the number is wrapped where it stands, and the wrapping happens once.
  line->setRoot(makeObject(ObjectKind::plus, makeChar('a'), makeNumber(3e30, "1")));
  prepareNumbers(*line);
  prepareNumbers(*line);
  EXPECT_EQ(writeObjectText(*line->root), R"(plus[char[a],sn[num[3,"3"],num[30,"30"]]])");
}

TEST_F(LayoutSteps, ScientificNotationExponentIsAScript) {
  layout(R"(num[1.5e20,"0"])");
  const MathObject& sn = *line->root;
  ASSERT_EQ(sn.kind, ObjectKind::sn);
  EXPECT_EQ(at({1}).sizeLevel, 3);
  // mantissa, ×, 10, then the exponent raised
  EXPECT_EQ(at({1}).relX, px(36) + 2 * units(59) + px(15) + px(24));
  EXPECT_LT(at({1}).bottom, baseline(sn));
  const RecordingSurface drawn = draw();
  EXPECT_EQ(drawn.textsOf(symbol(), "\xB4").size(), 1u);
  EXPECT_EQ(drawn.textsOf(text(), "10").size(), 1u);
}

TEST(SizeTable, BigSizeFollowsTheMainSize) {
  EXPECT_EQ(makeSizeTable(18, 12, 9), defaultSizeTable());
  const SizeTable table = makeSizeTable(13, 10, 7);
  EXPECT_EQ(table[0], 19 << 16); // 1.5 x 13, truncated
  EXPECT_EQ(table[1], 19 << 16);
  EXPECT_EQ(table[2], 13 << 16);
  EXPECT_EQ(table[3], 10 << 16);
  EXPECT_EQ(table[4], 7 << 16);
  EXPECT_EQ(table[5], 7 << 16);
}

TEST(FaceEncoding, CodesDrawTheirCharacters) {
  struct Row {
    const char* name;
    Face face;
    std::uint8_t code;
    char32_t character;
  };
  const Row rows[] = {
      {"alpha", Face::Symbol, 0x61, U'\u03B1'},    {"times", Face::Symbol, 0xB4, U'\u00D7'},
      {"sum", Face::Symbol, 0xE5, U'\u2211'},      {"integral", Face::Symbol, 0xF2, U'\u222B'},
      {"minus", Face::Symbol, 0x2D, U'\u2212'},    {"nabla", Face::Symbol, 0xD1, U'\u2207'},
      {"ellipsis", Face::Symbol, 0xBC, U'\u2026'}, {"no character", Face::Symbol, 0x80, 0},
      {"letter", Face::Text, 'x', U'x'},           {"hat", Face::Text, 246, U'\u02C6'},
      {"tilde", Face::Text, 247, U'\u02DC'},       {"dot", Face::Text, 250, U'\u02D9'},
      {"dagger", Face::Text, 0xA0, U'\u2020'},     {"much greater", Face::Arial, 0xC8, U'\u00BB'},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(unicodeOf(row.face, row.code), row.character);
  }
  // Every special character of the kind tables has a character to fall back on.
  for (int i = 0; i < kSpecialCharacterCount; ++i)
    EXPECT_NE(unicodeOf(Face::Symbol, specialCharacter(i).symbolCode), 0u);
  for (int k = 0; k < kKindCount; ++k) {
    const std::uint32_t glyph = kindInfo(static_cast<ObjectKind>(kFirstKindCode + k)).glyph;
    const auto code = static_cast<std::uint8_t>(glyph >> 8);
    if (code != 0) {
      EXPECT_NE(unicodeOf(static_cast<Face>(glyph & 0xFF), code), 0u)
          << kindName(static_cast<ObjectKind>(kFirstKindCode + k));
    }
  }
}

} // namespace
} // namespace vexmar::test
