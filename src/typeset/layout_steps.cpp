#include "typeset/layout_steps.h"

#include "model/model_state.h"
#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <string>

namespace vexmar {
namespace {

bool isOneOf(ObjectKind kind, std::initializer_list<ObjectKind> kinds) {
  return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

// An empty text shows nothing at all, whatever the value (a computed 0 included).
bool isStale(const NumberRecord& record, char separator) {
  return record.displayText().empty() || record.showsOtherValue(separator);
}

// The exponent of a number shown in scientific notation; a negative one carries its sign as a
// `minus` so that it is drawn as a real minus sign.
ObjectPtr exponentObject(int exponent) {
  const int magnitude = exponent < 0 ? -exponent : exponent;
  ObjectPtr number = makeNumber(magnitude, std::to_string(magnitude));
  if (exponent >= 0) return number;
  return makeObject(ObjectKind::minus, std::move(number));
}

void reformat(InsertionPoint& ip, MathObject& number) {
  NumberRecord& record = *number.number;
  SplitNumber split = formatNumberSplit(record.value);
  if (!split.exponent || *split.exponent == 0) {
    record.setDisplayText(split.mantissa);
    return;
  }
  record.keepMantissa(split.mantissa, *split.exponent);
  MathObject* scientific = wrapObject(ip, number, ObjectKind::sn);
  appendChild(*scientific, exponentObject(*split.exponent));
}

// Kinds whose children after the first (limits, indices, a root's index) are set one size smaller.
constexpr std::array kScriptChildrenKinds = {
    ObjectKind::sum,  ObjectKind::prod, ObjectKind::bigcup,  ObjectKind::bigcap, ObjectKind::substitution,
    ObjectKind::int_, ObjectKind::oint, ObjectKind::indexes, ObjectKind::tensor, ObjectKind::chem,
    ObjectKind::log,  ObjectKind::grad, ObjectKind::sqrt,    ObjectKind::lim,
};

bool setSmaller(const MathObject& parent, int index) {
  switch (parent.kind) {
  case ObjectKind::power:
    return index == 1 && !parent.overflow;
  case ObjectKind::sn:
    return index == 1 && parent.style[1] == 0 && !parent.overflow;
  case ObjectKind::optotal:
  case ObjectKind::oppartial:
    return index == 1;
  default:
    return index >= 1 && std::find(kScriptChildrenKinds.begin(), kScriptChildrenKinds.end(), parent.kind) !=
                             kScriptChildrenKinds.end();
  }
}

bool containsFunctionLike(const MathObject& node) {
  for (const MathObject* n = &node; n; n = nextPreorder(n, node))
    if (isFunctionLike(n->kind)) return true;
  return false;
}

constexpr int kMainLevel = 2;
constexpr int kSmallestLevel = 4;

struct BreakCandidate {
  Fixed x;
  int depth;
};

} // namespace

void prepareNumbers(InsertionPoint& ip) {
  if (!ip.root) return;
  const char separator = modelState().decimalSeparator;
  std::vector<MathObject*> stale;
  for (MathObject* n = ip.root.get(); n; n = nextPreorder(*n, *ip.root))
    if (n->kind == ObjectKind::num && n->number && isStale(*n->number, separator)) stale.push_back(n);
  for (MathObject* n : stale) reformat(ip, *n);
}

bool needsDisplayParentheses(const MathObject& parent, const MathObject& child) {
  const ObjectKind p = parent.kind, k = child.kind;
  const KindShape parentShape = kindShape(p), shape = kindShape(k);
  if (isOneOf(k, {ObjectKind::string, ObjectKind::char_, ObjectKind::dummy})) return false;
  if (isOneOf(p, {ObjectKind::id, ObjectKind::sum, ObjectKind::prod, ObjectKind::bigcup, ObjectKind::bigcap,
                  ObjectKind::substitution}))
    return false;
  if (parent.overflow && (p == ObjectKind::over || p == ObjectKind::power)) {
    // Set inline as a ⁄ b or a ^ b, an operand that is itself an operation needs parentheses.
    return shape == KindShape::Infix || shape == KindShape::Prefix ||
           (child.overflow && (k == ObjectKind::over || k == ObjectKind::power));
  }
  if (k == ObjectKind::equal)
    return !isOneOf(p, {ObjectKind::bigcup, ObjectKind::bigcap, ObjectKind::substitution, ObjectKind::list,
                        ObjectKind::comma, ObjectKind::lparen, ObjectKind::rparen, ObjectKind::atop,
                        ObjectKind::indexes});
  if (p == ObjectKind::times) {
    if (k == ObjectKind::power || isFunctionLike(k)) return false;
    if (shape == KindShape::Prefix && !child.isLastChild() &&
        !isOneOf(k, {ObjectKind::sqrt, ObjectKind::optotal, ObjectKind::oppartial}))
      return true;
    return shape == KindShape::Infix ||
           isOneOf(k, {ObjectKind::minus, ObjectKind::cross, ObjectKind::bullet});
  }
  if (p == ObjectKind::power) {
    if (child.indexInParent != 0) return false;
    return shape == KindShape::Infix || isOneOf(k, {ObjectKind::power, ObjectKind::over, ObjectKind::minus});
  }
  if (parentShape == KindShape::Infix) return k == p;
  if (isFunctionLike(p) && k == ObjectKind::times) {
    for (const ObjectPtr& factor : child.children)
      if (factor && (factor->kind == ObjectKind::over || containsFunctionLike(*factor))) return true;
    return false;
  }
  if (parentShape == KindShape::Prefix && p != ObjectKind::lparen && p != ObjectKind::sqrt)
    return shape == KindShape::Infix && k != ObjectKind::times;
  if (parentShape == KindShape::Postfix && p != ObjectKind::rparen && p != ObjectKind::substitution)
    return shape == KindShape::Infix || shape == KindShape::Prefix;
  if (p == ObjectKind::cross || p == ObjectKind::bullet)
    return shape == KindShape::Infix || shape == KindShape::Prefix;
  return false;
}

void insertDisplayParentheses(InsertionPoint& ip) {
  if (!ip.root) return;
  for (MathObject* n = ip.root.get(); n; n = nextPreorder(*n, *ip.root)) {
    for (int i = 0; i < n->childCount(); ++i) {
      MathObject* c = n->child(i);
      if (!c || !needsDisplayParentheses(*n, *c)) continue;
      MathObject* parentheses = wrapObject(ip, *c, ObjectKind::id);
      // A caret between two factors stands on the left one, which is now the parenthesised one.
      if (ip.current == c && ip.mode == SelectionMode::BetweenFactors) ip.current = parentheses;
    }
  }
}

void assignSizeLevels(MathObject& root) {
  root.sizeLevel = kMainLevel;
  for (MathObject* n = nextPreorder(root, root); n; n = nextPreorder(*n, root)) {
    const MathObject& p = *n->parent;
    const int level = p.sizeLevel + (setSmaller(p, n->indexInParent) ? 1 : 0);
    n->sizeLevel = static_cast<std::uint8_t>(std::min(level, kSmallestLevel));
  }
}

void breakLines(InsertionPoint& ip) {
  ip.lineBreaks.clear();
  ip.lineCount = 1;
  MathObject* root = ip.root.get();
  if (!root || !root->overflow || ip.wrapWidth <= 0) return;

  // A line may be cut after any operand of an overflowing node; the next display line then
  // starts with the operator that follows. Only overflowing nodes have such operands.
  std::vector<BreakCandidate> cuts;
  std::vector<std::pair<MathObject*, int>> pending{{root, 0}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    if (!node->overflow) continue;
    for (const ObjectPtr& c : node->children) {
      cuts.push_back({saturatedAdd(c->left, c->width), depth + 1});
      pending.emplace_back(c.get(), depth + 1);
    }
  }
  std::sort(cuts.begin(), cuts.end(),
            [](const BreakCandidate& a, const BreakCandidate& b) { return a.x < b.x; });

  const Fixed end = saturatedAdd(root->left, root->width);
  const Fixed height = root->bottom;
  const Fixed lead = height / 5;
  auto shiftOf = [&](std::size_t index) {
    return clampLength(static_cast<std::int64_t>(index) * (static_cast<std::int64_t>(height) + lead));
  };
  std::vector<LineRecord> lines;
  Fixed start = 0;
  auto from = cuts.begin();
  while (end - start > ip.wrapWidth) {
    const Fixed limit = start + ip.wrapWidth;
    // The shallowest cut in the second half of the room (the rightmost of equals), else the last
    // cut that fits, else the first one beyond (an operand wider than the room gets a line alone).
    const Fixed halfway = start + ip.wrapWidth / 2;
    const BreakCandidate* chosen = nullptr;
    const BreakCandidate* firstBeyond = nullptr;
    // Cuts are sorted and lines only move right: a line thousands of terms long breaks in one pass.
    while (from != cuts.end() && from->x <= start) ++from;
    for (auto c = from; c != cuts.end(); ++c) {
      if (c->x > limit) {
        firstBeyond = &*c;
        break;
      }
      if (!chosen || c->x < halfway || chosen->x < halfway || c->depth <= chosen->depth) chosen = &*c;
    }
    if (!chosen) chosen = firstBeyond;
    if (!chosen || chosen->x >= end) break;
    LineRecord record;
    record.words = {start, chosen->x, shiftOf(lines.size())};
    lines.push_back(record);
    start = chosen->x;
  }
  if (lines.empty()) return;
  LineRecord last;
  last.words = {start, end, shiftOf(lines.size())};
  lines.push_back(last);
  ip.lineCount = static_cast<int>(lines.size());
  ip.lineBreaks = std::move(lines);
}

} // namespace vexmar
