#include "app/qt_font_services.h"
#include "app/typesetting_session.h"

#include "typeset/fixed_font.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

constexpr Fixed kMain = 18 << 16;

// The headless Qt set-up every test here needs (fonts can only be made with an application).
struct QtFonts : ::testing::Test {
  void SetUp() override { (void)session(); }
  static TypesettingSession& session() {
    static TypesettingSession s;
    return s;
  }
};

TEST_F(QtFonts, SymbolFaceDrawsItsCodesOrTheirCharacters) {
  Typesetter& typesetter = session().typesetter();
  const FontFace& symbol = typesetter.font(Face::Symbol, kMain);
  // With a symbol-encoded Symbol font the codes are drawn as they are; otherwise as the characters
  // they stand for, so that the glyphs still show.
  const QString alpha = qtTextOf(symbol, "a");
  EXPECT_EQ(alpha, drawsSymbolCodesDirectly(symbol) ? QString("a") : QString(QChar(0x3B1)));

  QtFontServices services(96);
  const auto unicodeFont = services.createFont("No Such Face Anywhere", Face::Symbol, kMain);
  EXPECT_FALSE(drawsSymbolCodesDirectly(*unicodeFont));
  EXPECT_EQ(qtTextOf(*unicodeFont, "a\xE5\xF2"), QString::fromUtf8("α∑∫"));
  EXPECT_GT(unicodeFont->characterWidth(0xE5), 0);
  // The text face reads Mac Roman.
  const auto text = services.createFont("Times New Roman", Face::Text, kMain);
  EXPECT_EQ(qtTextOf(*text, "x\xF6"), QString::fromUtf8("xˆ"));
}

TEST_F(QtFonts, FontsAreSizedInPointsAtTheScreenResolution) {
  QtFontServices services(96);
  const auto font = services.createFont("Times New Roman", Face::Text, kMain);
  EXPECT_EQ(qtFontOf(*font).pixelSize(), 24);
  EXPECT_EQ(font->height(), font->ascent() + font->descent());
  // Runs are as wide as their characters: carets fall between them.
  EXPECT_EQ(font->textWidth("sin"),
            font->characterWidth('s') + font->characterWidth('i') + font->characterWidth('n'));
}

TEST_F(QtFonts, RealFontsGiveTheSameStructureAsFixedOnes) {
  // Widths differ, but the layout's decisions (parentheses, sizes, what is stacked) do not.
  Typesetter& real = session().typesetter();
  FixedFontServices fixedServices;
  Typesetter fixed(fixedServices);
  auto realLine = createLineState();
  auto fixedLine = createLineState();
  ObjectPtr tree = makeObject(ObjectKind::times, makeNumber(2, "2"),
                              makeObject(ObjectKind::plus, makeChar('a'), makeChar('b')));
  realLine->setRoot(cloneTree(*tree));
  fixedLine->setRoot(std::move(tree));
  real.layoutLine(*realLine);
  fixed.layoutLine(*fixedLine);
  const MathObject* a = realLine->root.get();
  const MathObject* b = fixedLine->root.get();
  for (; a && b; a = nextPreorder(a, *realLine->root), b = nextPreorder(b, *fixedLine->root)) {
    EXPECT_EQ(a->kind, b->kind);
    EXPECT_EQ(a->sizeLevel, b->sizeLevel);
    EXPECT_EQ(a->textBox, b->textBox);
    EXPECT_GT(a->width, 0);
  }
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(b, nullptr);
}

} // namespace
} // namespace vexmar
