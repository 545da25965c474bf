#pragma once

#include "graph/graph_form.h"
#include "graph/graph_messages.h"
#include "model/math_object.h"

#include <array>
#include <cstdint>
#include <string>

namespace vexmar {

class ParameterList;

/// Character codes of the letters that play a part in graphing.
namespace Letter {
inline constexpr std::uint16_t X = 'x';
inline constexpr std::uint16_t Y = 'y';
inline constexpr std::uint16_t Z = 'z';
inline constexpr std::uint16_t R = 'r';
inline constexpr std::uint16_t T = 't';
inline constexpr std::uint16_t U = 'u';
inline constexpr std::uint16_t V = 'v';
inline constexpr std::uint16_t Theta = 0x1314;
inline constexpr std::uint16_t Phi = 0x1306;
inline constexpr std::uint16_t Rho = 0x1317; ///< internal: r inside colour formulas and conditions
} // namespace Letter

/// Up to four coordinate letters; the unused places hold codes that are no coordinate.
using SymbolSet = std::array<std::uint16_t, 4>;

/// Which structure, besides arithmetic and functions, counts as graphable.
namespace Graphable {
inline constexpr unsigned Derivatives = 1;
inline constexpr unsigned EquationStructure = 2;  ///< comma, <, >, =, matrix and any letter
inline constexpr unsigned ConditionStructure = 8; ///< <, > and any letter
inline constexpr unsigned PlainOperands = 16;     ///< any letter
} // namespace Graphable

/// True when this one node is graphable under the option bits.
[[nodiscard]] bool isGraphableNode(const MathObject& node, unsigned options);
/// True when every node of the subtree is graphable under the option bits.
[[nodiscard]] bool isGraphableTree(const MathObject& tree, unsigned options);
/// True when the subtree is graphable and its only coordinate letters are among `symbols`.
[[nodiscard]] bool dependsOnlyOn(const MathObject& tree, const SymbolSet& symbols);
/// True for a `char` of x, y, z, r, θ, φ, t, u or v: a side that is one of them makes an equation explicit.
[[nodiscard]] bool isLoneVariable(const MathObject& node);
/// True for `lessthan` and `greaterthan`, the only relations graphed as inequalities.
[[nodiscard]] bool isInequality(const MathObject& node);
/// True for a condition `[r, g, b] = [...]` or `[h, s, v] = [...]` whose entries can be graphed.
[[nodiscard]] bool isColourFormula(const MathObject& condition);
/// True for a condition `a < b` (or a chain) whose whole subtree can be graphed.
[[nodiscard]] bool isInequalityCondition(const MathObject& condition);
/// True when the letter `code` stands for itself somewhere in the tree; the letters of a
/// subscripted name (the n of n_1) do not.
[[nodiscard]] bool usesLetter(const MathObject& tree, std::uint16_t code);
/// True for a `char` that is a parameter: neither a coordinate letter nor e, π or the degree sign.
[[nodiscard]] bool isParameterLetter(const MathObject& node);
/// The parameter name of a letter with one subscript of digits and letters (`a_1`, `x_n`,
/// `alpha_12`): a parameter of its own, apart from its letter (x_1 is no coordinate); empty for
/// any other node. The letters inside play no part of their own in graphing.
[[nodiscard]] std::string subscriptedName(const MathObject& node);
[[nodiscard]] bool isSubscriptedName(const MathObject& node);

/// The form of the equation `tree`; for3D leaves out the forms drawn only in the plane.
[[nodiscard]] GraphForm classify(const MathObject& tree, bool for3D);
/// As classify, but None when a condition after the comma does not fit the form.
[[nodiscard]] GraphForm classifyWithConditions(const MathObject& tree, bool for3D);
/// Why an equation that got no graph cannot be graphed (WrongForm when nothing more precise).
[[nodiscard]] CanGraphReason whyNotGraphable(const MathObject& tree, bool for3D);
/// Marks the equation's parameter letters and subscripted names in use, adding those not yet
/// listed with value 1.
void registerParameters(const MathObject& tree, ParameterList& parameters);
/// Puts each subscripted name's parameter value in its place (0 when the name is not listed), as
/// the compiler does for a letter; the compiler itself knows parameters only by letter.
void substituteSubscriptedNames(MathObject& tree, const ParameterList& parameters);

} // namespace vexmar
