// Atoms: numbers, prompts, characters with their decorations, and text.
#include "typeset/layout_routines.h"

#include <string_view>

namespace vexmar {
namespace {

constexpr std::uint8_t kEllipsis = 188;     // Symbol face
constexpr std::uint8_t kQuestionMark = '?'; // text face
constexpr std::uint8_t kApostrophe = 39;    // text face: one prime
constexpr std::uint8_t kHat = 246;          // text face (Mac Roman circumflex accent)
constexpr std::uint8_t kTilde = 247;        // text face (Mac Roman small tilde)
constexpr std::uint8_t kDot = 250;          // text face (Mac Roman dot above)

// Heights of a letter's top above the baseline, in thousandths of the line height: the accent
// glyphs sit over a lowercase letter; over a tall one they are raised by the difference.
constexpr int kLowLetterTop = 420;
constexpr int kTallLetterTop = 640;
constexpr int kAccentRoom = 200;
constexpr int kBarRoom = 150;
constexpr int kMarkRoom = 200;

// Which face and character draw a `char` or `dummy`.
struct CharacterGlyph {
  Face face;
  std::uint8_t code;
};

CharacterGlyph characterGlyph(const MathObject& node) {
  const std::uint16_t code = node.characterCode();
  if (isSpecialCharacterCode(code))
    return {Face::Symbol, specialCharacter(code - kFirstSpecialCode).symbolCode};
  const auto letter = static_cast<std::uint8_t>(code & 0xFF);
  if (node.style[2] == 2) return {Face::Arial, letter};
  if (node.style[3] != 0) return {Face::Symbol, letter};
  return {Face::Text, letter};
}

bool isTall(const CharacterGlyph& g) {
  const char c = static_cast<char>(g.code);
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  const std::string_view tall = g.face == Face::Symbol ? "bdfJlqxzy" : "bdfhiklt";
  return tall.find(c) != std::string_view::npos;
}

struct Decorations {
  unsigned accent, dots, primes, markBelow;
  bool bar;
};

Decorations decorationsOf(const MathObject& node) {
  const std::uint32_t d = node.decoration;
  return {d & Decoration::kAccentMask, (d & Decoration::kDotsMask) >> Decoration::kDotsShift,
          (d & Decoration::kPrimesMask) >> Decoration::kPrimesShift,
          (d & Decoration::kMarkBelowMask) >> Decoration::kMarkBelowShift, (d & Decoration::kBar) != 0};
}

void drawDecorations(const LayoutContext& ctx, const MathObject& node, const CharacterGlyph& g,
                     const Decorations& d) {
  const Fixed x = node.left, baseline = baselineOf(node);
  const Fixed glyphWidth = ctx.glyphWidth(g.face, g.code);
  const Fixed inset = ctx.units(Spacing::kDecorationInset);
  const Fixed top = baseline - ctx.units(isTall(g) ? kTallLetterTop : kLowLetterTop);
  const Fixed raise = isTall(g) ? ctx.units(kTallLetterTop - kLowLetterTop) : 0;
  const Fixed thin = ctx.hairline();
  auto centred = [&](Face face, std::uint8_t code, Fixed y) {
    ctx.drawGlyph(face, code, x + (glyphWidth - ctx.glyphWidth(face, code)) / 2, y);
  };

  Fixed above = top - ctx.units(120);
  if (d.accent == Decoration::kAccentArrow) {
    // Narrow letters would leave no room for an arrow: it may reach to the glyph's edges.
    const Fixed x0 = x + inset / 3, x1 = x + glyphWidth - inset / 3, head = ctx.units(110);
    ctx.drawLine(x0, above, x1, above, thin);
    ctx.drawLine(x1 - head, above - head / 2, x1, above, thin);
    ctx.drawLine(x1 - head, above + head / 2, x1, above, thin);
    above -= ctx.units(kAccentRoom);
  } else if (d.accent == Decoration::kAccentHat || d.accent == Decoration::kAccentTilde) {
    centred(Face::Text, d.accent == Decoration::kAccentHat ? kHat : kTilde, baseline - raise);
    above -= ctx.units(kAccentRoom);
  }
  if (d.dots > 0) {
    const Fixed dotWidth = ctx.glyphWidth(Face::Text, kDot);
    const Fixed run = dotWidth * static_cast<Fixed>(d.dots);
    for (unsigned i = 0; i < d.dots; ++i)
      ctx.drawGlyph(Face::Text, kDot, x + (glyphWidth - run) / 2 + dotWidth * static_cast<Fixed>(i),
                    baseline - raise - (d.accent ? ctx.units(kAccentRoom) : 0));
    above -= ctx.units(kAccentRoom);
  }
  if (d.bar) ctx.drawLine(x + inset, above, x + glyphWidth - inset, above, thin);
  for (unsigned i = 0; i < d.primes; ++i)
    ctx.drawGlyph(Face::Text, kApostrophe,
                  x + glyphWidth + ctx.glyphWidth(Face::Text, kApostrophe) * Fixed(i), baseline);
  if (d.markBelow == 1) {
    // The tilde glyph sits above the x-height; lowered below the letter it marks it from under.
    centred(Face::Text, kTilde, baseline + ctx.units(kLowLetterTop + kMarkRoom - 20));
  } else if (d.markBelow == 2) {
    const Fixed y = baseline + ctx.units(kMarkRoom);
    ctx.drawLine(x, y, x + glyphWidth, y, thin);
  }
}

void measureAtom(const LayoutContext& ctx, MathObject& node, Fixed width) {
  node.width = width;
  node.ascent = ctx.metrics().ascent;
  node.descent = ctx.metrics().descent;
  node.textBox = 1;
}

} // namespace

void layoutNumber(LayoutContext& ctx, MathObject& node) {
  const std::string_view text = node.number ? node.number->displayText() : std::string_view("0");
  const bool ellipsis = node.number && node.number->ellipsis;
  const Fixed textWidth = ctx.textWidth(Face::Text, text);
  if (ctx.measuring()) {
    measureAtom(ctx, node, textWidth + (ellipsis ? ctx.glyphWidth(Face::Symbol, kEllipsis) : 0));
    return;
  }
  ctx.drawText(Face::Text, node.left, baselineOf(node), text);
  if (ellipsis) ctx.drawGlyph(Face::Symbol, kEllipsis, node.left + textWidth, baselineOf(node));
}

void layoutPrompt(LayoutContext& ctx, MathObject& node) {
  if (ctx.measuring()) {
    measureAtom(ctx, node, ctx.glyphWidth(Face::Text, kQuestionMark));
    return;
  }
  if (&node != ctx.blankPrompt()) ctx.drawGlyph(Face::Text, kQuestionMark, node.left, baselineOf(node));
}

void layoutCharacter(LayoutContext& ctx, MathObject& node) {
  const CharacterGlyph g = characterGlyph(node);
  const Decorations d = decorationsOf(node);
  if (ctx.measuring()) {
    const Fixed primes = ctx.glyphWidth(Face::Text, kApostrophe) * static_cast<Fixed>(d.primes);
    measureAtom(ctx, node, ctx.glyphWidth(g.face, g.code) + primes);
    const int rooms = (d.accent ? 1 : 0) + (d.dots ? 1 : 0);
    node.ascent += ctx.units(kAccentRoom * rooms + (d.bar ? kBarRoom : 0));
    if (d.markBelow) node.descent += ctx.units(kMarkRoom);
    return;
  }
  ctx.drawGlyph(g.face, g.code, node.left, baselineOf(node));
  drawDecorations(ctx, node, g, d);
}

void layoutString(LayoutContext& ctx, MathObject& node) {
  if (ctx.measuring()) {
    measureAtom(ctx, node, ctx.textWidth(Face::Text, node.text));
    return;
  }
  ctx.drawText(Face::Text, node.left, baselineOf(node), node.text);
}

} // namespace vexmar
