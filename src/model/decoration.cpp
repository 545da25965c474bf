#include "model/decoration.h"

#include "model/insertion_point.h"

#include <algorithm>

namespace vexmar {
namespace {

using namespace Decoration;

std::uint32_t field(std::uint32_t word, std::uint32_t mask, std::uint32_t shift) {
  return (word & mask) >> shift;
}
std::uint32_t withField(std::uint32_t word, std::uint32_t mask, std::uint32_t shift, std::uint32_t value) {
  return (word & ~mask) | ((value << shift) & mask);
}

// Turns an accent or mark on, or off when it is already the one asked for.
std::uint32_t toggleTo(std::uint32_t word, std::uint32_t mask, std::uint32_t shift, std::uint32_t value) {
  return withField(word, mask, shift, field(word, mask, shift) == value ? 0 : value);
}

bool isLetter(const MathObject& o) { return o.kind == ObjectKind::char_ || o.kind == ObjectKind::dummy; }

// The letter-only commands: one rule per code, each a pure function of the decoration word.
std::uint32_t decorateLetter(int code, std::uint32_t d) {
  switch (code) {
  case 0x1500:
    return withField(d, kDotsMask, kDotsShift, (field(d, kDotsMask, kDotsShift) + 1) & 3);
  case 0x1501:
    return toggleTo(d, kAccentMask, 0, kAccentTilde);
  case 0x1502:
    return d ^ kBar;
  case 0x1503:
    return withField(d, kPrimesMask, kPrimesShift, (field(d, kPrimesMask, kPrimesShift) + 1) & 3);
  case 0x1504:
    return toggleTo(d, kAccentMask, 0, kAccentHat);
  case 0x1506:
    return toggleTo(d, kMarkBelowMask, kMarkBelowShift, 1);
  case 0x1507:
    return toggleTo(d, kMarkBelowMask, kMarkBelowShift, 2);
  default:
    return d;
  }
}

// 0x1505 and 0x1508 work on every leaf of a subtree.
void decorateLeaves(int code, MathObject& subtree) {
  for (MathObject* n = &subtree; n; n = nextPreorder(*n, subtree)) {
    if (!n->children.empty()) continue;
    if (code == 0x1505) {
      if (n->kind == ObjectKind::char_)
        n->decoration = withField(n->decoration, kAccentMask, 0,
                                  (n->decoration & kAccentMask) == kAccentArrow ? 0 : kAccentArrow);
    } else if (n->kind == ObjectKind::dummy) {
      n->kind = ObjectKind::char_;
    } else if (n->kind == ObjectKind::char_ && !isSpecialCharacterCode(n->characterCode())) {
      n->kind = ObjectKind::dummy;
    }
  }
}

} // namespace

bool applyDecoration(InsertionPoint& ip, int code) {
  if (code < kFirstDecorationCommand || code > kLastDecorationCommand || !ip.current) return false;
  if (ip.mode == SelectionMode::Operator || ip.mode == SelectionMode::Text) return false;
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  MathObject& current = *ip.current;

  if (code == 0x1505 || code == 0x1508) {
    if (ip.mode == SelectionMode::Cells) {
      const int last = std::min(ip.selLast, current.childCount() - 1);
      for (int i = std::max(ip.selFirst, 0); i <= last; ++i)
        if (MathObject* cell = current.child(i)) decorateLeaves(code, *cell);
    } else if (code == 0x1505 && current.kind == ObjectKind::dummy) {
      current.decoration = withField(current.decoration, kAccentMask, 0,
                                     (current.decoration & kAccentMask) == kAccentArrow ? 0 : kAccentArrow);
    } else {
      decorateLeaves(code, current);
    }
    markChanged(ip, current);
    return true;
  }

  if (isLetter(current)) {
    current.decoration = decorateLetter(code, current.decoration);
    markChanged(ip, current);
    return true;
  }
  if (code != 0x1502 || ip.mode == SelectionMode::Cells) return false;
  MathObject* wrapper = wrapObject(ip, current, ObjectKind::overline);
  setInsertionPoint(ip, *wrapper, ip.mode);
  markChanged(ip, *wrapper);
  return true;
}

} // namespace vexmar
