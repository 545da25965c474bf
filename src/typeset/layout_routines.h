#pragma once

#include "model/object_kind.h"
#include "typeset/layout_context.h"

namespace vexmar {

/// A routine family's `layoutObject`: measures the node when the context is measuring (its
/// children are measured already) and draws the node's own glyphs and strokes when it is drawing
/// (the node is placed; children draw themselves).
using LayoutRoutine = void (*)(LayoutContext& ctx, MathObject& node);

/// The routine of a family, from the table indexed by LayoutFamily.
[[nodiscard]] LayoutRoutine layoutRoutine(LayoutFamily family);

// Atoms (layout_atoms.cpp).
void layoutNumber(LayoutContext& ctx, MathObject& node);
void layoutPrompt(LayoutContext& ctx, MathObject& node);
void layoutCharacter(LayoutContext& ctx, MathObject& node);
void layoutString(LayoutContext& ctx, MathObject& node);

// Operators in a row (layout_operators.cpp).
void layoutInfix(LayoutContext& ctx, MathObject& node);
void layoutAtop(LayoutContext& ctx, MathObject& node);
void layoutSign(LayoutContext& ctx, MathObject& node);
void layoutFunctionName(LayoutContext& ctx, MathObject& node);
void layoutFunctionApplication(LayoutContext& ctx, MathObject& node);
void layoutPrefixSymbol(LayoutContext& ctx, MathObject& node);
void layoutPostfixSymbol(LayoutContext& ctx, MathObject& node);
void layoutDagger(LayoutContext& ctx, MathObject& node);
void layoutAsterisk(LayoutContext& ctx, MathObject& node);
void layoutLaplacian(LayoutContext& ctx, MathObject& node);
void layoutBox(LayoutContext& ctx, MathObject& node);

// Scripts, fractions and limits (layout_scripts.cpp).
void layoutFraction(LayoutContext& ctx, MathObject& node);
void layoutPower(LayoutContext& ctx, MathObject& node);
void layoutSubscript(LayoutContext& ctx, MathObject& node);
void layoutRadical(LayoutContext& ctx, MathObject& node);
void layoutBigOperator(LayoutContext& ctx, MathObject& node);
void layoutLimit(LayoutContext& ctx, MathObject& node);
void layoutLog(LayoutContext& ctx, MathObject& node);
void layoutGrad(LayoutContext& ctx, MathObject& node);
void layoutDerivativeOperator(LayoutContext& ctx, MathObject& node);
void layoutSubstitution(LayoutContext& ctx, MathObject& node);
void layoutIndexes(LayoutContext& ctx, MathObject& node);
void layoutChem(LayoutContext& ctx, MathObject& node);
void layoutTensor(LayoutContext& ctx, MathObject& node);

// Delimiters (layout_delimiters.cpp).
void layoutParenthesis(LayoutContext& ctx, MathObject& node);
void layoutBraceAbove(LayoutContext& ctx, MathObject& node);
void layoutBraceBelow(LayoutContext& ctx, MathObject& node);
void layoutAbsoluteValue(LayoutContext& ctx, MathObject& node);
void layoutNorm(LayoutContext& ctx, MathObject& node);
void layoutAngleBrackets(LayoutContext& ctx, MathObject& node);
void layoutBra(LayoutContext& ctx, MathObject& node);
void layoutKet(LayoutContext& ctx, MathObject& node);
void layoutBraKet(LayoutContext& ctx, MathObject& node);
void layoutBracketPair(LayoutContext& ctx, MathObject& node);
void layoutOverline(LayoutContext& ctx, MathObject& node);
void layoutFloor(LayoutContext& ctx, MathObject& node);
void layoutCeiling(LayoutContext& ctx, MathObject& node);

// Matrices (layout_matrix.cpp).
void layoutMatrix(LayoutContext& ctx, MathObject& node);

// Shared by the families.
inline constexpr std::uint8_t kMultiplicationGlyph = 0xB4; ///< Symbol face ×
inline constexpr std::uint8_t kNablaGlyph = 0xD1;          ///< Symbol face ∇
/// Lays children out in a row on one baseline (the infix bookkeeping) starting at x; returns the
/// x after the last child.
Fixed placeInRow(LayoutContext& ctx, ChildPlacer& placer, MathObject& node, int first, int last, Fixed x,
                 Fixed gap);
/// The kind's glyph: character code and face from the kind table.
struct KindGlyph {
  std::uint8_t code = 0;
  Face face = Face::Symbol;
};
[[nodiscard]] KindGlyph kindGlyph(ObjectKind kind);
/// How far an exponent's bottom lies below the top of its base (the raise percentages).
[[nodiscard]] Fixed exponentOverlap(const LayoutContext& ctx, Fixed baseAscent, Fixed exponentHeight);
/// How far an index's top lies above the bottom of its base (the drop percentages).
[[nodiscard]] Fixed indexOverlap(const LayoutContext& ctx, Fixed baseHeight, Fixed indexHeight);

/// Delimiters around content. Content no taller than the font gets the text face's glyph; taller
/// content gets a delimiter drawn to its height.
enum class DelimiterShape : std::uint8_t {
  Parenthesis,
  Bracket,
  Brace,
  Bar,
  DoubleBar,
  Angle,
  Floor,
  Ceiling
};
/// Width of a delimiter around content reaching `ascent` above and `descent` below the baseline.
[[nodiscard]] Fixed delimiterWidth(const LayoutContext& ctx, DelimiterShape shape, Fixed ascent,
                                   Fixed descent);
/// How far such a delimiter reaches above and below the baseline.
[[nodiscard]] Fixed delimiterAscent(const LayoutContext& ctx, Fixed ascent, Fixed descent);
[[nodiscard]] Fixed delimiterDescent(const LayoutContext& ctx, Fixed ascent, Fixed descent);
/// Draws an opening (or closing) delimiter with its box's left edge at x.
void drawDelimiter(const LayoutContext& ctx, DelimiterShape shape, bool opening, Fixed x, Fixed baseline,
                   Fixed ascent, Fixed descent);

} // namespace vexmar
