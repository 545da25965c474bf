#include "algebra/isolate.h"

#include "algebra/simplify.h"
#include "algebra/tree_services.h"
#include "model/insertion_point.h"
#include "model/memory_reserve.h"

#include <array>
#include <vector>

namespace vexmar {
namespace {

using K = ObjectKind;

// A function and its inverse; Isolate applies one where the other stood.
struct InversePair {
  K direct;
  K inverse;
};
constexpr std::array<InversePair, 12> kInverseFunctions = {{
    {K::sin, K::asin},
    {K::cos, K::acos},
    {K::tan, K::atan},
    {K::cot, K::acot},
    {K::csc, K::acsc},
    {K::sec, K::asec},
    {K::sinh, K::asinh},
    {K::cosh, K::acosh},
    {K::tanh, K::atanh},
    {K::coth, K::acoth},
    {K::csch, K::acsch},
    {K::sech, K::asech},
}};

const InversePair* findInverse(K kind) {
  for (const InversePair& pair : kInverseFunctions)
    if (pair.direct == kind || pair.inverse == kind) return &pair;
  return nullptr;
}

// What the other side becomes when operation `p` is taken off this side; `rest` is p with the
// operand leading to the selection (at `at`) removed, `other` the other side.
using Inverse = ObjectPtr (*)(ObjectPtr other, MathObject& rest, int at);

ObjectPtr remainingOperands(MathObject& rest) {
  if (rest.childCount() == 1) return removeChild(rest, 0);
  ObjectPtr group = makeObject(rest.kind, rest.childCount());
  for (int i = rest.childCount(); i-- > 0;) setChild(*group, i, removeChild(rest, i));
  return group;
}

ObjectPtr undoPlus(ObjectPtr other, MathObject& rest, int) {
  return makePlus(std::move(other), makeNegation(remainingOperands(rest)));
}
ObjectPtr undoTimes(ObjectPtr other, MathObject& rest, int) {
  return makeOver(std::move(other), remainingOperands(rest));
}
ObjectPtr undoMinus(ObjectPtr other, MathObject&, int) { return makeNegation(std::move(other)); }
ObjectPtr undoOver(ObjectPtr other, MathObject& rest, int at) {
  ObjectPtr kept = removeChild(rest, 0);
  return at == 0 ? makeTimes(std::move(other), std::move(kept)) : makeOver(std::move(kept), std::move(other));
}
ObjectPtr undoPower(ObjectPtr other, MathObject& rest, int at) {
  ObjectPtr kept = removeChild(rest, 0);
  if (at == 0) return makePower(std::move(other), makeReciprocal(std::move(kept)));
  if (isPlainLetter(kept.get(), 'e')) return makeFunction(K::ln, std::move(other));
  return makeObject(K::log, std::move(other), std::move(kept));
}
ObjectPtr undoRoot(ObjectPtr other, MathObject& rest, int at) {
  if (rest.childCount() == 0) return makeSquare(std::move(other));
  ObjectPtr kept = removeChild(rest, 0);
  if (at == 0) return makePower(std::move(other), std::move(kept));
  return makeReciprocal(makeObject(K::log, std::move(other), std::move(kept)));
}
ObjectPtr undoLn(ObjectPtr other, MathObject&, int) { return makePower(makeVariable('e'), std::move(other)); }
ObjectPtr undoLog(ObjectPtr other, MathObject& rest, int at) {
  if (rest.childCount() == 0) return makePower(makeAlgebraNumber(10), std::move(other));
  ObjectPtr kept = removeChild(rest, 0);
  if (at == 0) return makePower(std::move(kept), std::move(other));
  return makePower(std::move(kept), makeReciprocal(std::move(other)));
}
ObjectPtr undoExp(ObjectPtr other, MathObject&, int) { return makeFunction(K::ln, std::move(other)); }
ObjectPtr undoFunction(ObjectPtr other, MathObject& rest, int) {
  const InversePair& pair = *findInverse(rest.kind);
  return makeFunction(rest.kind == pair.direct ? pair.inverse : pair.direct, std::move(other));
}
ObjectPtr undoIdentity(ObjectPtr other, MathObject&, int) { return other; }

struct InverseRow {
  K kind;
  Inverse undo;
};
constexpr std::array<InverseRow, 10> kInverses = {{
    {K::plus, undoPlus},
    {K::times, undoTimes},
    {K::minus, undoMinus},
    {K::over, undoOver},
    {K::power, undoPower},
    {K::sqrt, undoRoot},
    {K::ln, undoLn},
    {K::log, undoLog},
    {K::id, undoIdentity},
    {K::exp, undoExp},
}};

Inverse findUndo(const MathObject& p) {
  if (findInverse(p.kind)) return p.childCount() == 1 ? undoFunction : nullptr;
  const bool twoOperands = p.kind == K::over || p.kind == K::power;
  const bool oneOrTwo = p.kind == K::sqrt || p.kind == K::log;
  if (twoOperands && p.childCount() != 2) return nullptr;
  if (oneOrTwo && (p.childCount() < 1 || p.childCount() > 2)) return nullptr;
  for (const InverseRow& row : kInverses)
    if (row.kind == p.kind) return row.undo;
  return nullptr;
}

void swapSides(MathObject& equation) {
  ObjectPtr right = removeChild(equation, 1);
  insertChild(equation, 0, std::move(right));
}

} // namespace

IsolateOutcome isolateSelection(InsertionPoint& ip, MathObject& selection, const SimplifyOptions& options) {
  MathObject* parent = selection.parent;
  if (parent && parent->kind == K::equal && parent->childCount() == 2 && selection.indexInParent == 1) {
    swapSides(*parent);
    setInsertionPoint(ip, selection, SelectionMode::Object);
    return IsolateOutcome::Isolated;
  }
  MathObject* equation = parent;
  while (equation && equation->kind != K::equal) equation = equation->parent;
  if (!equation || equation->childCount() != 2) return IsolateOutcome::NotInEquation;

  // The operations from the side down to the selection, outermost first.
  std::vector<MathObject*> path;
  for (MathObject* n = selection.parent; n != equation; n = n->parent) path.insert(path.begin(), n);
  for (MathObject* p : path) {
    if (!findUndo(*p)) {
      setInsertionPoint(ip, *p, SelectionMode::Object);
      return IsolateOutcome::NoInverse;
    }
  }

  const int side = path.empty() ? selection.indexInParent : path.front()->indexInParent;
  ObjectPtr right = removeChild(*equation, 1);
  ObjectPtr left = removeChild(*equation, 0);
  ObjectPtr& here = side == 0 ? left : right;
  ObjectPtr other = std::move(side == 0 ? right : left);
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (memoryReserve().isLow()) break;
    // `here` owns path[i]; the operand leading to the selection replaces it on this side.
    const int at = (i + 1 < path.size() ? path[i + 1] : &selection)->indexInParent;
    const Inverse undo = findUndo(*here);
    ObjectPtr operand = removeChild(*here, at);
    other = undo(std::move(other), *here, at);
    here = std::move(operand);
  }
  ObjectPtr mine = std::move(here);
  appendChild(*equation, std::move(mine));
  MathObject* otherSide = appendChild(*equation, std::move(other));
  if (options.switches.simplifyAfterSubstitution) simplifySelection(ip, *otherSide, options);
  MathObject& isolated = *equation->child(0);
  setInsertionPoint(ip, isolated, SelectionMode::Object);
  return IsolateOutcome::Isolated;
}

} // namespace vexmar
