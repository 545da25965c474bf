#include "typeset/caret_geometry.h"
#include "typeset/layout_context.h"
#include "typesetting_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace vexmar::test {
namespace {

constexpr Fixed kMain = 18 << 16, kScript = 12 << 16, kSecondScript = 9 << 16, kBig = 24 << 16;

using Typesetting = TypesettingFixture;

TEST_F(Typesetting, FactorsAreSetApartByTheTimesGap) {
  layout("times[char[x],char[y]]");
  EXPECT_EQ(at({1}).relX, px(12) + units(59));
  EXPECT_EQ(line->root->width, px(24) + units(59));
  EXPECT_TRUE(draw().textsOf(symbol(), "\xB4").empty());

  // Below 9 pixels of line height the gap is wider in proportion.
  line->sizeTable[2] = 6 << 16;
  layout("times[char[x],char[y]]");
  EXPECT_EQ(typesetter.metrics(6 << 16).lineHeight, px(8));
  EXPECT_EQ(at({1}).relX, px(4) + units(77, 6 << 16));
}

TEST_F(Typesetting, TimesGlyphOnlyWhereFactorsWouldRunTogether) {
  struct Row {
    const char* name;
    const char* text;
    bool glyph;
  };
  const Row rows[] = {
      {"two numbers", R"(times[num[2,"2"],num[3,"3"]])", true},
      {"number and power of a number", R"(times[num[2,"2"],power[num[3,"3"],char[x]]])", true},
      {"number and letter", R"(times[num[2,"2"],char[x]])", false},
      {"letter and number", R"(times[char[x],num[2,"2"]])", false},
      {"number and power of a letter", R"(times[num[2,"2"],power[char[x],num[2,"2"]]])", false},
      {"number and prompt", R"(times[num[2,"2"],prompt[]])", false},
      {"root before a factor", "times[sqrt[char[x]],char[y]]", true},
      {"function before a factor", "times[sin[char[x]],char[y]]", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    layout(row.text);
    const MathObject& left = at({0});
    const std::vector<DrawnItem> crosses = draw().textsOf(symbol(), "\xB4");
    const Fixed gap = units(59);
    if (row.glyph) {
      ASSERT_EQ(crosses.size(), 1u);
      EXPECT_EQ(crosses[0].x, left.left + left.width + gap);
      EXPECT_EQ(at({1}).relX, left.width + gap + px(15) + gap);
    } else {
      EXPECT_TRUE(crosses.empty());
      EXPECT_EQ(at({1}).relX, left.width + gap);
    }
  }
}

TEST_F(Typesetting, NegativeTermReplacesThePlus) {
  layout("plus[char[a],minus[char[b]]]");
  const RecordingSurface drawn = draw();
  EXPECT_TRUE(drawn.textsOf(text(), "+").empty());
  const std::vector<DrawnItem> minus = drawn.textsOf(symbol(), "-");
  ASSERT_EQ(minus.size(), 1u);
  // The sign is spaced like the operator it stands for.
  EXPECT_EQ(at({1}).relX, px(12));
  EXPECT_EQ(minus[0].x, px(12) + units(250));
  EXPECT_EQ(at({1, 0}).left, px(12) + units(250) + px(15) + units(250));

  layout("plus[char[a],char[b]]");
  const std::vector<DrawnItem> plus = draw().textsOf(text(), "+");
  ASSERT_EQ(plus.size(), 1u);
  EXPECT_EQ(plus[0].x, px(12) + units(250));
}

TEST_F(Typesetting, EqualIsSpacedWiderAtTheTopLevel) {
  layout("equal[char[a],char[b]]");
  EXPECT_EQ(at({1}).relX, px(12) + units(500) + px(12) + units(500));
  layout("id[equal[char[a],char[b]]]");
  EXPECT_EQ(at({0, 1}).relX, px(12) + units(333) + px(12) + units(333));
}

TEST_F(Typesetting, LeafFractionsInExponentsAreSetWithASlash) {
  struct Row {
    const char* name;
    const char* text;
    std::vector<int> fraction;
    bool slash;
  };
  const Row rows[] = {
      {"leaves in an exponent", R"(power[char[x],over[num[1,"1"],num[2,"2"]]])", {1}, true},
      {"negated in an exponent", R"(power[char[x],minus[over[num[1,"1"],num[2,"2"]]]])", {1, 0}, true},
      {"sum over a number in an exponent",
       R"(power[char[x],over[plus[char[a],char[b]],num[2,"2"]]])",
       {1},
       false},
      {"kept stacked by its style", R"(power[char[x],over[(*i1i*)num[1,"1"],num[2,"2"]]])", {1}, false},
      {"not in an exponent", R"(over[num[1,"1"],num[2,"2"]])", {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    layout(row.text);
    const MathObject& fraction = at(row.fraction);
    const Fixed size = fraction.sizeLevel == 2 ? kMain : kScript;
    const Fixed character = size == kMain ? px(12) : px(8);
    if (row.slash) {
      EXPECT_EQ(fraction.textBox, 1);
      EXPECT_EQ(fraction.width, 3 * character + 2 * units(111, size));
      EXPECT_EQ(baseline(*fraction.child(0)), baseline(*fraction.child(1)));
      EXPECT_EQ(draw().textsOf(text(size), "/").size(), 1u);
    } else {
      EXPECT_EQ(fraction.textBox, 0);
      EXPECT_LT(baseline(*fraction.child(0)), baseline(*fraction.child(1)));
    }
  }
}

TEST_F(Typesetting, StackedFractionSitsOnTheMathAxis) {
  layout("plus[char[a],over[char[b],char[c]]]");
  const MathObject& fraction = at({1});
  const Fixed gap = units(100) + typesetter.metrics(kMain).hairline / 2;
  EXPECT_EQ(fraction.ascent, gap + px(24));
  EXPECT_EQ(fraction.descent, gap + px(24));
  EXPECT_EQ(fraction.width, px(12) + 2 * units(83));
  EXPECT_EQ(baseline(fraction), baseline(*line->root) - mathAxis(px(24)));
  // The rule is drawn at the fraction's baseline over the wider operand.
  const RecordingSurface drawn = draw();
  ASSERT_EQ(drawn.lines.size(), 1u);
  EXPECT_EQ(drawn.lines[0].y, baseline(fraction));
  EXPECT_EQ(drawn.lines[0].x1 - drawn.lines[0].x, px(12));
}

TEST_F(Typesetting, DerivativeIsAFractionWithTheVariableBelowThenItsOperand) {
  layout("function[oppartial[char[x]],char[f]]");
  const MathObject& op = at({0});
  const MathObject& variable = at({0, 0});
  const MathObject& operand = at({1});
  const Fixed rule = baseline(op);
  // The rule lies on the math axis; the variable is under it, inside the fraction's width.
  EXPECT_EQ(op.textBox, 0);
  EXPECT_EQ(rule, baseline(operand) - mathAxis(px(24)));
  EXPECT_GT(variable.bottom - variable.descent - variable.ascent, rule);
  EXPECT_GT(variable.left, op.left);
  EXPECT_LE(variable.left + variable.width, op.left + op.width);
  EXPECT_GE(operand.left, op.left + op.width);
  const RecordingSurface drawn = draw();
  const std::vector<DrawnItem> partials = drawn.textsOf(symbol(), "\xB6");
  ASSERT_EQ(partials.size(), 2u);
  const DrawnItem& upper = partials[0].y < partials[1].y ? partials[0] : partials[1];
  const DrawnItem& lower = partials[0].y < partials[1].y ? partials[1] : partials[0];
  EXPECT_LT(upper.y, rule);
  EXPECT_GT(lower.y, rule);
  EXPECT_EQ(lower.y, baseline(variable));
  EXPECT_LT(lower.x, variable.left);
  ASSERT_EQ(drawn.lines.size(), 1u);
  EXPECT_EQ(drawn.lines[0].y, rule);
  // A letter needs no parentheses after the operator; an operation does.
  EXPECT_TRUE(drawn.textsOf(text(), "(").empty());
  layout("function[optotal[char[x]],plus[char[x],num[1,\"1\"]]]");
  EXPECT_EQ(draw().textsOf(text(), "(").size(), 1u);

  // A numeric order is raised on the upper d and repeated after the variable: d²/dx² y.
  layout("function[optotal[char[x],num[2,\"2\"]],char[y]]");
  const RecordingSurface ordered = draw();
  const std::vector<DrawnItem> twos = ordered.textsOf(text(kScript), "2");
  ASSERT_EQ(twos.size(), 2u);
  EXPECT_LT(std::min(twos[0].y, twos[1].y), baseline(at({0})));
  EXPECT_GT(std::max(twos[0].y, twos[1].y), baseline(at({0})));
  EXPECT_GT(std::max(twos[0].x, twos[1].x), at({0, 0}).left);
}

TEST_F(Typesetting, ExponentRaiseFollowsTheRaisePercentages) {
  struct Row {
    const char* name;
    int a, b;
  };
  const Row rows[] = {{"defaults", 75, 85}, {"lower A", 50, 85}, {"lower B", 75, 40}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    typesettingState().spacingA = row.a;
    typesettingState().spacingB = row.b;
    layout("power[char[x],char[y]]");
    // Base ascent 18, exponent height 16 (12 points); the rule is 100 units at the base's size.
    const Fixed raise = std::min(px(18) * row.a / 100 - units(100) / 2, px(16) * row.b / 100);
    const MathObject& exponent = at({1});
    EXPECT_EQ(exponent.bottom, baseline(*line->root) - px(18) + raise);
    EXPECT_EQ(line->root->ascent, px(18) + px(16) - raise);
    EXPECT_EQ(exponent.relX, px(12));
  }
}

TEST_F(Typesetting, FunctionPowerGoesBetweenNameAndArgument) {
  layout("sin[char[x]]");
  const Fixed g = units(59);
  const Fixed argument = 2 * g + px(36) + units(100);
  EXPECT_EQ(at({0}).relX, argument);

  layout(R"(power[sin[char[x]],num[2,"2"]])");
  EXPECT_EQ(at({1}).relX, 2 * g + px(36));
  EXPECT_EQ(at({0, 0}).relX, argument + px(8));
  EXPECT_EQ(line->root->width, argument + px(8) + px(12));
  EXPECT_LT(at({1}).bottom, baseline(*line->root));
}

TEST_F(Typesetting, SizeLevelsStopAtTheSecondScriptSize) {
  layout("power[char[x],power[char[y],power[char[z],char[w]]]]");
  struct Row {
    std::vector<int> path;
    int level;
    Fixed width;
  };
  const Row rows[] = {{{0}, 2, px(12)}, {{1, 0}, 3, px(8)}, {{1, 1, 0}, 4, px(6)}, {{1, 1, 1}, 4, px(6)}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.path));
    EXPECT_EQ(at(row.path).sizeLevel, row.level);
    EXPECT_EQ(at(row.path).width, row.width);
  }
  // Limits of a big operator are one size smaller, its operand is not.
  layout("sum[char[x],char[i],char[n]]");
  EXPECT_EQ(at({0}).sizeLevel, 2);
  EXPECT_EQ(at({1}).sizeLevel, 3);
  EXPECT_EQ(at({2}).sizeLevel, 3);
  (void)kSecondScript;
}

TEST_F(Typesetting, BigOperatorCentresItsGlyphOverTheLimits) {
  layout("sum[char[x],char[i],plus[char[i],char[j],char[k]]]");
  const MathObject& sum = *line->root;
  const MathObject& upper = at({2});
  const Fixed glyph = px(20); // 24 points, Symbol face
  const Fixed widest = std::max(glyph, upper.width);
  EXPECT_EQ(sum.payloadB, (widest - glyph) / 2);
  EXPECT_EQ(at({1}).relX, (widest - px(8)) / 2);
  EXPECT_EQ(upper.relX, 0);
  EXPECT_EQ(at({0}).relX, widest + units(100));
  // The glyph's box is centred on the math axis; limits clear it by 200 units.
  const Fixed glyphBaseline = baseline(sum) + sum.payloadA;
  EXPECT_EQ(glyphBaseline - px(24) + px(16), baseline(sum) - mathAxis(px(24)));
  EXPECT_EQ(at({1}).bottom - px(16), glyphBaseline + px(8) + units(200));
  const std::vector<DrawnItem> glyphs = draw().textsOf(symbol(kBig), "\xE5");
  ASSERT_EQ(glyphs.size(), 1u);
  EXPECT_EQ(glyphs[0].y, glyphBaseline);

  // With the second style byte the limits go to the glyph's right.
  layout("sum[(*i1i*)char[x],char[i],char[n]]");
  EXPECT_EQ(at({1}).relX, glyph + units(100));
  EXPECT_EQ(at({0}).relX, glyph + units(100) + px(8) + units(150));
}

TEST_F(Typesetting, RadicalLeavesRoomForItsSignBarAndIndex) {
  const Fixed rule = units(100), hairline = typesetter.metrics(kMain).hairline;
  const Fixed sign = units(600) + rule;
  layout("sqrt[char[x]]");
  EXPECT_EQ(at({0}).relX, sign);
  EXPECT_EQ(line->root->ascent, px(18) + hairline + 2 * rule);
  EXPECT_EQ(line->root->descent, px(6));

  // An index wider than the 300 units it may overlap the sign by pushes the sign right; it is
  // raised by the rule plus a quarter of the radicand's height and may raise the box.
  layout("sqrt[char[x],plus[char[a],char[b]]]");
  const MathObject& index = at({1});
  EXPECT_EQ(index.sizeLevel, 3);
  EXPECT_EQ(index.relX, 0);
  EXPECT_EQ(at({0}).relX, index.width - units(300) + sign);
  EXPECT_EQ(index.bottom, baseline(*line->root) - rule - px(24) / 4);
  EXPECT_EQ(line->root->ascent, std::max(px(18) + hairline + 2 * rule, rule + px(24) / 4 + px(16)));
  // A narrow index tucks into the sign, ending where the overlap ends.
  layout(R"(sqrt[char[x],num[3,"3"]])");
  EXPECT_EQ(at({1}).relX + at({1}).width, std::max(units(300), px(8)));
}

TEST_F(Typesetting, MatrixMetrics) {
  layout("matrix[2,2,char[a],char[b],char[c],char[d]]");
  const MathObject& m = *line->root;
  const Fixed gap = units(200), hairline = typesetter.metrics(kMain).hairline;
  const Fixed height = 2 * (px(24) + 2 * gap) + 2 * gap;
  EXPECT_EQ(m.width, 2 * (px(12) + 2 * gap) + 2 * gap);
  EXPECT_EQ(m.ascent + m.descent, height);
  EXPECT_EQ(m.ascent, height / 2);
  EXPECT_EQ(m.textBox, 0);
  const MathObject& d = at({3});
  EXPECT_EQ(d.relX, 2 * gap + hairline + px(12) + 2 * gap);
  EXPECT_EQ(baseline(d) - (m.bottom - height), gap + (px(24) + 2 * gap) + gap + px(18));
  EXPECT_EQ(draw().lines.size(), 6u); // two brackets of three strokes

  // Without brackets; then with one common column width, so the narrow cell is centred in it.
  layout("matrix[(*i1i*)1,2,char[a],over[char[b],plus[char[c],char[d]]]]");
  EXPECT_EQ(draw().lines.size(), 1u); // only the fraction's rule
  const Fixed wide = at({1}).width;
  line->root->uniformColumns = 1;
  typesetter.layoutLine(*line);
  EXPECT_EQ(at({0}).relX, 2 * gap + hairline + (wide - px(12)) / 2);
  EXPECT_EQ(at({1}).relX, 2 * gap + hairline + wide + 2 * gap);
}

TEST_F(Typesetting, MatrixHasNoFixedLimitOnColumns) {
  std::string text = "matrix[1,150";
  for (int i = 0; i < 150; ++i) text += ",char[x]";
  layout(text + "]");
  const Fixed gap = units(200);
  EXPECT_EQ(line->root->width, 150 * (px(12) + 2 * gap) + 2 * gap);
  EXPECT_GT(at({149}).relX, at({148}).relX);
}

TEST_F(Typesetting, OverWideLinesBreakWithinTheWrapWidth) {
  std::string text = "plus[char[a]";
  for (char c = 'b'; c <= 't'; ++c) text += std::string(",char[") + c + "]";
  line->wrapWidth = px(100);
  layout(text + "]");
  const MathObject& sum = *line->root;
  EXPECT_EQ(sum.overflow, 1);
  const std::vector<DisplayLine> lines = Typesetter::displayLines(*line);
  ASSERT_EQ(static_cast<int>(lines.size()), line->lineCount);
  ASSERT_GT(lines.size(), 1u);
  EXPECT_EQ(lines.front().start, 0);
  EXPECT_EQ(lines.back().end, sum.width);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LE(lines[i].end - lines[i].start, line->wrapWidth);
    if (i > 0) {
      EXPECT_EQ(lines[i].start, lines[i - 1].end);
      EXPECT_GT(lines[i].shift, lines[i - 1].shift);
    }
    // Every cut is the right edge of an operand.
    if (i + 1 < lines.size()) {
      const bool atOperandEdge =
          std::any_of(sum.children.begin(), sum.children.end(),
                      [&](const ObjectPtr& c) { return c->left + c->width == lines[i].end; });
      EXPECT_TRUE(atOperandEdge);
    }
  }
  EXPECT_LE(Typesetter::drawnWidth(*line), line->wrapWidth);

  line->wrapWidth = px(10000);
  typesetter.layoutLine(*line);
  EXPECT_EQ(line->lineCount, 1);
  EXPECT_EQ(sum.overflow, 0);
}

// Notes which runs of text land inside the display line being drawn, as a window would show them.
class VisibleTextSurface final : public DrawingSurface {
public:
  void drawText(const FontFace&, Fixed x, Fixed baseline, std::string_view codes) override {
    ++calls;
    if (clipped && x >= clip.x && x < clip.x1 && baseline >= clip.y && baseline < clip.y1)
      shown.push_back({nullptr, std::string(codes), x, baseline});
  }
  void drawLine(Fixed, Fixed, Fixed, Fixed, Fixed) override {}
  void fillRectangle(Fixed, Fixed, Fixed, Fixed, Fill) override {}
  void setClip(Fixed x, Fixed y, Fixed width, Fixed height) override {
    clip = {nullptr, {}, x, y, x + width, y + height};
    clipped = true;
  }
  void clearClip() override { clipped = false; }

  DrawnItem clip;
  bool clipped = false;
  std::vector<DrawnItem> shown;
  int calls = 0;
};

TEST_F(Typesetting, ALineFarWiderThanEightThousandPixelsBreaksWithEveryTermShown) {
  // 400 numbered terms, some 19,000 pixels in a row.
  constexpr int kTerms = 400;
  std::string text = "equal[char[y],plus[num[1,\"1\"]";
  for (int i = 2; i <= kTerms; ++i) text += ",num[" + std::to_string(i) + ",\"" + std::to_string(i) + "\"]";
  line->wrapWidth = px(600);
  layout(text + "]]");
  const MathObject& sum = at({1});
  ASSERT_EQ(sum.childCount(), kTerms);
  EXPECT_GT(line->root->width, px(8192) * 2);
  EXPECT_EQ(sum.lastChild()->left + sum.lastChild()->width, line->root->width);
  const std::vector<DisplayLine> lines = Typesetter::displayLines(*line);
  EXPECT_EQ(lines.back().end, line->root->width);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LE(lines[i].end - lines[i].start, line->wrapWidth);
    if (i > 0) {
      EXPECT_GT(lines[i].shift, lines[i - 1].shift);
    }
  }

  VisibleTextSurface surface;
  typesetter.drawLine(*line, surface, 0, 0);
  // Every term is drawn once inside the display line it falls on, each at a place of its own.
  std::vector<int> times(kTerms + 1, 0);
  std::vector<std::pair<Fixed, Fixed>> places;
  for (const DrawnItem& t : surface.shown) {
    const int value = std::atoi(t.codes.c_str());
    if (value < 1 || value > kTerms || std::to_string(value) != t.codes) continue;
    ++times[static_cast<std::size_t>(value)];
    places.emplace_back(t.y, t.x);
  }
  for (int i = 1; i <= kTerms; ++i) EXPECT_EQ(times[static_cast<std::size_t>(i)], 1) << "term " << i;
  // Each display line draws only what reaches into it, not the whole line again: the work grows
  // with the terms, not with terms times display lines.
  EXPECT_LE(surface.calls, 4 * kTerms);
  std::sort(places.begin(), places.end());
  EXPECT_EQ(std::adjacent_find(places.begin(), places.end()), places.end());
  // The last term, on the last display line.
  const LinePoint last = lineToDisplay(*line, {sum.lastChild()->left, baseline(*sum.lastChild())});
  EXPECT_EQ(last.y, baseline(*sum.lastChild()) + lines.back().shift);
  EXPECT_LT(last.x, line->wrapWidth);
}

TEST_F(Typesetting, OverflowingFractionsAndPowersAreSetInline) {
  line->wrapWidth = px(50);
  layout("plus[over[plus[char[a],char[b],char[c]],char[d]],power[char[x],plus[char[a],char[b],char[c]]]]");
  const MathObject& fraction = at({0});
  const MathObject& power = at({1});
  EXPECT_EQ(fraction.overflow, 1);
  EXPECT_EQ(fraction.textBox, 1);
  // Set in a row, a compound numerator and exponent need their parentheses: (a+b+c)/d.
  EXPECT_EQ(fraction.child(0)->kind, ObjectKind::id);
  EXPECT_EQ(fraction.child(1)->kind, ObjectKind::char_);
  EXPECT_EQ(power.child(1)->kind, ObjectKind::id);
  EXPECT_EQ(baseline(*fraction.child(0)), baseline(*fraction.child(1)));
  // The exponent of an overflowing power keeps the main size and stays on the baseline.
  EXPECT_EQ(power.overflow, 1);
  EXPECT_EQ(power.child(1)->sizeLevel, 2);
  EXPECT_EQ(baseline(*power.child(1)), baseline(power));
  // Each display line is drawn through its own clip, and draws only what reaches into it: the
  // slash and the caret sign once or twice (near a cut), not once per display line.
  const RecordingSurface drawn = draw();
  const auto lines = static_cast<std::size_t>(line->lineCount);
  ASSERT_GT(lines, 4u);
  for (const std::size_t count :
       {drawn.textsOf(symbol(), "\xA4").size(), drawn.textsOf(text(), "^").size()}) {
    EXPECT_GE(count, 1u);
    EXPECT_LE(count, 2u);
  }
  EXPECT_EQ(drawn.clips.size(), lines);
}

TEST_F(Typesetting, LayoutIsRepeatableAndPlacesChildrenInsideTheLine) {
  const char* trees[] = {
      "equal[char[y],plus[over[char[a],plus[char[b],sqrt[char[c],num[3,\"3\"]]]],power[id[char[x]],num[2,"
      "\"2\"]]]]",
      "times[num[2,\"2\"],abs[over[char[x],char[y]]],matrix[2,1,char[a],char[b]]]",
      "int[times[char[f],char[x]],num[0,\"0\"],num[1,\"1\"]]",
      "lim[over[sin[char[x]],char[x]],rightarrow[char[x],num[0,\"0\"]]]",
  };
  for (const char* tree : trees) {
    SCOPED_TRACE(tree);
    layout(tree);
    std::vector<Fixed> first;
    for (const MathObject* n = line->root.get(); n; n = nextPreorder(n, *line->root))
      first.insert(first.end(), {n->left, n->bottom, n->width, n->ascent, n->descent});
    typesetter.layoutLine(*line);
    draw();
    std::vector<Fixed> second;
    for (const MathObject* n = line->root.get(); n; n = nextPreorder(n, *line->root)) {
      second.insert(second.end(), {n->left, n->bottom, n->width, n->ascent, n->descent});
      EXPECT_GE(n->left, 0);
      EXPECT_LE(n->left + n->width, line->root->width);
      EXPECT_GE(n->bottom - n->descent - n->ascent, 0);
      EXPECT_LE(n->bottom, line->root->bottom);
    }
    EXPECT_EQ(first, second);
  }
}

TEST_F(Typesetting, FontsAreMadeOncePerFaceAndSize) {
  layout("plus[power[char[x],power[char[y],char[z]]],sum[char[a],char[b],char[c]]]");
  const int made = fonts.fontsCreated();
  typesetter.layoutLine(*line);
  draw();
  EXPECT_EQ(fonts.fontsCreated(), made);
  typesetter.setTypeface("Nimbus Roman");
  typesetter.layoutLine(*line);
  EXPECT_GT(fonts.fontsCreated(), made);
}

TEST_F(Typesetting, VeryDeepTreesLayOutWithoutRecursion) {
  ObjectPtr root = makeChar('x');
  for (int i = 0; i < 50000; ++i) root = makeObject(ObjectKind::minus, std::move(root));
  line->setRoot(std::move(root));
  typesetter.layoutLine(*line);
  EXPECT_EQ(line->layoutValid, 1);
  // Each sign adds its width: laid out in full, never wrapped around.
  EXPECT_GT(line->root->width, 50000 * px(5));
  EXPECT_LT(line->root->width, kLengthLimit);

  // Far taller too: a tower of fractions, exponents, roots and matrices.
  const ObjectKind kinds[] = {ObjectKind::over,   ObjectKind::power, ObjectKind::sqrt,
                              ObjectKind::matrix, ObjectKind::sum,   ObjectKind::abs};
  for (ObjectKind kind : kinds) {
    SCOPED_TRACE(kindName(kind));
    ObjectPtr tower = makeChar('x');
    for (int i = 0; i < 3000; ++i) {
      if (kind == ObjectKind::matrix) {
        ObjectPtr m = makeObject(ObjectKind::matrix, std::move(tower), makeChar('y'));
        m->setMatrixSize(2, 1);
        tower = std::move(m);
      } else if (kind == ObjectKind::abs) {
        tower = makeObject(kind, std::move(tower));
      } else if (kind == ObjectKind::sum) {
        tower = makeObject(kind, makeChar('y'), makeChar('i'), std::move(tower));
      } else {
        tower = makeObject(kind, std::move(tower), makeChar('y'));
      }
    }
    line->setRoot(std::move(tower));
    typesetter.layoutLine(*line);
    draw();
    EXPECT_GE(line->root->ascent, 0);
    EXPECT_GE(line->root->descent, 0);
  }
}

TEST_F(Typesetting, CurrentPromptIsBlankOnceTypingStarted) {
  layout("plus[char[a],prompt[]]");
  line->current = &at({1});
  EXPECT_EQ(draw().textsOf(text(), "?").size(), 1u);
  DrawOptions typingStarted;
  typingStarted.promptWithoutMark = true;
  EXPECT_TRUE(draw(typingStarted).textsOf(text(), "?").empty());
}

} // namespace
} // namespace vexmar::test
