#include "algebra/evaluate.h"

#include "algebra/simplify.h"
#include "algebra/substitution.h"
#include "algebra/tree_services.h"
#include "model/memory_reserve.h"
#include "numeric/compile_batch.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "numeric/real_functions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>

namespace vexmar {
namespace {

using K = ObjectKind;

constexpr std::uint16_t kPiCode = 0x1312, kDegreeCode = 0x1332;
// Integral exponents written out as products by the power step; larger ones stay powers.
constexpr double kLargestWrittenPower = 10;

// The operators the numeric engine evaluates; relations and containers are not values.
constexpr std::array kEvaluableKinds = {
    K::num,  K::plus, K::times, K::minus, K::over,  K::power, K::sqrt,  K::log,   K::ln,    K::exp,
    K::abs,  K::sgn,  K::fact,  K::sn,    K::cmut,  K::sin,   K::cos,   K::tan,   K::cot,   K::csc,
    K::sec,  K::asin, K::acos,  K::atan,  K::acot,  K::acsc,  K::asec,  K::sinh,  K::cosh,  K::tanh,
    K::coth, K::csch, K::sech,  K::asinh, K::acosh, K::atanh, K::acoth, K::acsch, K::asech,
};

bool isConstantLetter(std::uint16_t code) {
  return code == 'e' || code == kPiCode || code == kDegreeCode ||
         static_cast<double>(code) == numericState().animatedVariable;
}

// The object itself, not looking at its children, could have a value.
bool isConstantNode(const MathObject& n) {
  if (n.kind == K::char_) return isConstantLetter(n.characterCode()) && (n.decoration & 0xFFFF) == 0;
  if (std::find(kEvaluableKinds.begin(), kEvaluableKinds.end(), n.kind) == kEvaluableKinds.end())
    return false;
  return n.kind != K::num || n.number;
}

// Every object of the subtree with a value, found in one walk from the leaves up.
std::unordered_set<const MathObject*> constantObjects(MathObject& subtree) {
  std::unordered_set<const MathObject*> constants;
  for (MathObject* n = firstPostorder(subtree); n; n = nextPostorder(*n, subtree)) {
    bool constant = isConstantNode(*n);
    for (int i = 0; constant && i < n->childCount(); ++i)
      constant = !n->child(i) || constants.count(n->child(i)) != 0;
    if (constant) constants.insert(n);
  }
  return constants;
}

bool isEBaseOfPower(const MathObject& o) {
  return o.kind == K::char_ && o.characterCode() == 'e' && o.parent && o.parent->kind == K::power &&
         o.indexInParent == 0;
}

void replaceByValue(MathObject& object) {
  Evaluator evaluator(cloneTree(object));
  compileBatch({&evaluator});
  if (containsKind(object, K::cmut)) {
    // Written lower bound first, so that the literal evaluates to the same interval again.
    const IntervalValue v = evaluator.evalIntervalXYZ(0, 0, 0, 0, 0, 0);
    replaceWithTree(makeObject(K::cmut, makeAlgebraNumber(v.lower), makeAlgebraNumber(v.upper)), object);
    return;
  }
  replaceWithNumber(object, evaluator.evalUVXYZ(0, 0, 0, 0, 0));
}

ObjectPtr applyToEach(K kind, MathObject& product) {
  ObjectPtr sum = makeObject(K::plus, product.childCount());
  for (int i = 0; i < product.childCount(); ++i)
    setChild(*sum, i, makeFunction(kind, cloneTree(*product.child(i))));
  return sum;
}

bool logarithmStep(MathObject& o, const SimplifyOptions&) {
  if (o.kind == K::log && o.childCount() == 2) {
    replaceWithTree(
        makeOver(makeFunction(K::ln, cloneTree(*o.child(0))), makeFunction(K::ln, cloneTree(*o.child(1)))),
        o);
    return true;
  }
  if (o.childCount() != 1) return false;
  MathObject& argument = *o.child(0);
  if (argument.kind == K::times) {
    replaceWithTree(applyToEach(o.kind, argument), o);
    return true;
  }
  if (argument.kind == K::power && argument.childCount() == 2) {
    replaceWithTree(
        makeTimes(cloneTree(*argument.child(1)), makeFunction(o.kind, cloneTree(*argument.child(0)))), o);
    return true;
  }
  return false;
}

bool factorialStep(MathObject& o, const SimplifyOptions&) {
  if (o.childCount() != 1 || !isNumber(o.child(0)) || !(o.child(0)->number->value >= 0)) return false;
  replaceWithNumber(o, factorial(o.child(0)->number->value));
  return true;
}

bool determinantStep(MathObject& o, const SimplifyOptions& options) {
  if (o.childCount() != 1 || o.child(0)->kind != K::matrix) return false;
  const MathObject& m = *o.child(0);
  const int n = m.matrixRows();
  if (n != m.matrixColumns() || m.childCount() != n * n) return false;
  if (n == 1) {
    replaceWithTree(cloneTree(*m.child(0)), o);
    return true;
  }
  if (n != 2) return false;
  replaceWithTree(makeDifference(makeTimes(cloneTree(*m.child(0)), cloneTree(*m.child(3))),
                                 makeTimes(cloneTree(*m.child(1)), cloneTree(*m.child(2)))),
                  o);
  rewriteBottomUp(o, options);
  finalTidyPass(o);
  return true;
}

bool binomialStep(MathObject& o, const SimplifyOptions&) {
  if (o.childCount() != 2) return false;
  const MathObject& n = *o.child(0);
  const MathObject& k = *o.child(1);
  ObjectPtr denominator = makeTimes(makeObject(K::fact, cloneTree(k)),
                                    makeObject(K::fact, makeDifference(cloneTree(n), cloneTree(k))));
  replaceWithTree(makeOver(makeObject(K::fact, cloneTree(n)), std::move(denominator)), o);
  return true;
}

// An integral exponent from 2 to kLargestWrittenPower is written out as a product (a negative
// one as its reciprocal), so that Evaluate shows the multiplication it stands for.
bool powerStep(MathObject& o, const SimplifyOptions&) {
  if (o.childCount() != 2 || !isNumber(o.child(1))) return false;
  const double e = o.child(1)->number->value;
  const double n = std::fabs(e);
  if (n != std::floor(n) || n < 2 || n > kLargestWrittenPower) return false;
  ObjectPtr product = makeObject(K::times, static_cast<int>(n));
  for (int i = 0; i < static_cast<int>(n); ++i) setChild(*product, i, cloneTree(*o.child(0)));
  replaceWithTree(e < 0 ? makeReciprocal(std::move(product)) : std::move(product), o);
  return true;
}

bool substitutionStep(MathObject& o, const SimplifyOptions&) { return carryOutSubstitution(o); }
bool peelStep(MathObject& o, const SimplifyOptions&) { return peelTerm(o); }

struct StepRow {
  K kind;
  bool (*step)(MathObject&, const SimplifyOptions&);
  bool simplifyAfter; // with automatic simplification on
};

// Not after the power step: Simplify would gather the product straight back into a power.
constexpr std::array<StepRow, 9> kEvaluationSteps = {{
    {K::substitution, substitutionStep, true},
    {K::log, logarithmStep, false},
    {K::ln, logarithmStep, false},
    {K::fact, factorialStep, false},
    {K::abs, determinantStep, false},
    {K::choice, binomialStep, false},
    {K::power, powerStep, false},
    {K::sum, peelStep, true},
    {K::prod, peelStep, true},
}};

const StepRow* findStep(K kind) {
  for (const StepRow& row : kEvaluationSteps)
    if (row.kind == kind) return &row;
  return nullptr;
}

} // namespace

void replaceConstantsByValues(MathObject& subtree) {
  unwrapIdentity(subtree);
  // Found before any is replaced: a replacement keeps the record of the object it replaces,
  // and the walk skips what it replaced.
  const std::unordered_set<const MathObject*> constants = constantObjects(subtree);
  MathObject* node = &subtree;
  while (node) {
    if (memoryReserve().isLow()) return;
    if (node->kind != K::num && !isEBaseOfPower(*node) && constants.count(node) != 0) {
      replaceByValue(*node);
      node = nextAfterSubtree(*node, subtree);
    } else {
      node = nextPreorder(*node, subtree);
    }
  }
  finalTidyPass(subtree);
}

std::vector<std::uint16_t> freeLetters(const MathObject& subtree) {
  // A letter an operator binds (i in the sum from i = 1, x in the substitution x = 2) has its
  // values there.
  std::vector<std::uint16_t> bound;
  for (const MathObject* n = &subtree; n; n = nextPreorder(n, subtree)) {
    const MathObject* binder = n->parent;
    if (n->kind != K::equal || !binder || n->childCount() < 1 || n->child(0)->kind != K::char_) continue;
    if (isBigOperator(binder->kind) || binder->kind == K::substitution || binder->kind == K::lim)
      bound.push_back(n->child(0)->characterCode());
  }
  std::vector<std::uint16_t> letters;
  for (const MathObject* n = &subtree; n; n = nextPreorder(n, subtree)) {
    if (n->kind != K::char_) continue;
    const std::uint16_t code = n->characterCode();
    if (isConstantLetter(code) && (n->decoration & 0xFFFF) == 0) continue;
    if (std::find(bound.begin(), bound.end(), code) != bound.end()) continue;
    if (std::find(letters.begin(), letters.end(), code) == letters.end()) letters.push_back(code);
  }
  return letters;
}

bool evaluationStep(MathObject& object, const SimplifyOptions& options) {
  const StepRow* row = findStep(object.kind);
  return row && row->step(object, options);
}

void evaluateSelection(InsertionPoint& ip, MathObject& selection, const SimplifyOptions& options) {
  // The equations inside bounds and substitutions are not statements to lift.
  if (!containsKind(selection, K::substitution) && !containsKind(selection, K::sum) &&
      !containsKind(selection, K::prod))
    liftEquations(selection);
  replaceConstantsByValues(selection);
  simplifySelection(ip, selection, options);
  if (memoryReserve().isLow()) return;
  const StepRow* row = findStep(selection.kind);
  if (row && row->step(selection, options) && row->simplifyAfter &&
      options.switches.simplifyAfterSubstitution)
    simplifySelection(ip, selection, options);
}

} // namespace vexmar
