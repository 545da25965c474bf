#pragma once

namespace vexmar {

struct InsertionPoint;

inline constexpr int kFirstDecorationCommand = 0x1500;
inline constexpr int kLastDecorationCommand = 0x1508;

/// Applies decoration command 0x1500..0x1508 to the selection: dots, tilde, bar (or an
/// `overline` around anything that is not a letter), primes, hat, marks below, vector arrows on
/// every letter, and letter/pattern-variable exchange. Returns true when the tree changed.
bool applyDecoration(InsertionPoint& ip, int code);

} // namespace vexmar
