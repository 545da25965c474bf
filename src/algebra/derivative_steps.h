#pragma once

#include <cstdint>

namespace vexmar {

struct MathObject;

/// The editor's derivative notation (a `function` whose operator child is `optotal` or
/// `oppartial`) becomes internal derivative objects throughout `subtree`.
void convertDerivativesToInternal(MathObject& subtree);
/// Runs the derivative engine on every internal derivative object of `subtree`.
void runDerivativeEngine(MathObject& subtree);
/// Internal derivative objects left in `subtree` go back to the editor's notation.
void convertDerivativesToEditor(MathObject& subtree);

/// Character code of the infinity symbol, which stands for a derivative given up for lack of
/// memory.
inline constexpr std::uint16_t kInfinityCode = 0x1326;

} // namespace vexmar
