#include "typeset/layout_routines.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace vexmar {
namespace {

struct RoutineRow {
  LayoutFamily family;
  LayoutRoutine routine;
};

// One row per family, in the order of LayoutFamily.
constexpr std::array kRoutines = {
    RoutineRow{LayoutFamily::Number, layoutNumber},
    RoutineRow{LayoutFamily::Prompt, layoutPrompt},
    RoutineRow{LayoutFamily::Character, layoutCharacter},
    RoutineRow{LayoutFamily::String, layoutString},
    RoutineRow{LayoutFamily::Indexes, layoutIndexes},
    RoutineRow{LayoutFamily::Chem, layoutChem},
    RoutineRow{LayoutFamily::Tensor, layoutTensor},
    RoutineRow{LayoutFamily::Matrix, layoutMatrix},
    RoutineRow{LayoutFamily::Atop, layoutAtop},
    RoutineRow{LayoutFamily::Infix, layoutInfix},
    RoutineRow{LayoutFamily::FunctionApplication, layoutFunctionApplication},
    RoutineRow{LayoutFamily::Substitution, layoutSubstitution},
    RoutineRow{LayoutFamily::PostfixSymbol, layoutPostfixSymbol},
    RoutineRow{LayoutFamily::Dagger, layoutDagger},
    RoutineRow{LayoutFamily::Asterisk, layoutAsterisk},
    RoutineRow{LayoutFamily::Sign, layoutSign},
    RoutineRow{LayoutFamily::FunctionName, layoutFunctionName},
    RoutineRow{LayoutFamily::Log, layoutLog},
    RoutineRow{LayoutFamily::Radical, layoutRadical},
    RoutineRow{LayoutFamily::Grad, layoutGrad},
    RoutineRow{LayoutFamily::PrefixSymbol, layoutPrefixSymbol},
    RoutineRow{LayoutFamily::Laplacian, layoutLaplacian},
    RoutineRow{LayoutFamily::Box, layoutBox},
    RoutineRow{LayoutFamily::DerivativeOperator, layoutDerivativeOperator},
    RoutineRow{LayoutFamily::BigOperator, layoutBigOperator},
    RoutineRow{LayoutFamily::Parenthesis, layoutParenthesis},
    RoutineRow{LayoutFamily::BraceAbove, layoutBraceAbove},
    RoutineRow{LayoutFamily::BraceBelow, layoutBraceBelow},
    RoutineRow{LayoutFamily::AbsoluteValue, layoutAbsoluteValue},
    RoutineRow{LayoutFamily::Norm, layoutNorm},
    RoutineRow{LayoutFamily::AngleBrackets, layoutAngleBrackets},
    RoutineRow{LayoutFamily::Bra, layoutBra},
    RoutineRow{LayoutFamily::Ket, layoutKet},
    RoutineRow{LayoutFamily::Overline, layoutOverline},
    RoutineRow{LayoutFamily::Fraction, layoutFraction},
    RoutineRow{LayoutFamily::Power, layoutPower},
    RoutineRow{LayoutFamily::Subscript, layoutSubscript},
    RoutineRow{LayoutFamily::Limit, layoutLimit},
    RoutineRow{LayoutFamily::BracketPair, layoutBracketPair},
    RoutineRow{LayoutFamily::BraKet, layoutBraKet},
    RoutineRow{LayoutFamily::Floor, layoutFloor},
    RoutineRow{LayoutFamily::Ceiling, layoutCeiling},
};

constexpr bool rowsInFamilyOrder() {
  for (std::size_t i = 0; i < kRoutines.size(); ++i)
    if (static_cast<std::size_t>(kRoutines[i].family) != i) return false;
  return true;
}
static_assert(rowsInFamilyOrder(), "the routine table must follow LayoutFamily");
static_assert(kRoutines.size() == static_cast<std::size_t>(LayoutFamily::Ceiling) + 1,
              "every family needs a routine");

} // namespace

LayoutRoutine layoutRoutine(LayoutFamily family) {
  return kRoutines[static_cast<std::size_t>(family)].routine;
}

Fixed placeInRow(LayoutContext& ctx, ChildPlacer& placer, MathObject& node, int first, int last, Fixed x,
                 Fixed gap) {
  for (int i = first; i <= last && i < node.childCount(); ++i) {
    MathObject& c = *node.child(i);
    placer.put(c, x, ctx.alignedBaseline(c));
    x = saturatedAdd(x, c.width);
    if (i < last) x = saturatedAdd(x, gap);
  }
  return x;
}

KindGlyph kindGlyph(ObjectKind kind) {
  const std::uint32_t glyph = kindInfo(kind).glyph;
  return {static_cast<std::uint8_t>((glyph >> 8) & 0xFF), static_cast<Face>(glyph & 0xFF)};
}

Fixed exponentOverlap(const LayoutContext& ctx, Fixed baseAscent, Fixed exponentHeight) {
  const Fixed byBase =
      static_cast<Fixed>(static_cast<std::int64_t>(baseAscent) * ctx.raiseA() / 100) - ctx.rule() / 2;
  const Fixed byExponent = static_cast<Fixed>(static_cast<std::int64_t>(exponentHeight) * ctx.raiseB() / 100);
  return std::min(byBase, byExponent);
}

Fixed indexOverlap(const LayoutContext&, Fixed baseHeight, Fixed indexHeight) {
  const Fixed byBase = static_cast<Fixed>(static_cast<std::int64_t>(baseHeight) * Spacing::kDropA / 100);
  const Fixed byIndex = static_cast<Fixed>(static_cast<std::int64_t>(indexHeight) * Spacing::kDropB / 100);
  return std::min(byBase, byIndex);
}

} // namespace vexmar
