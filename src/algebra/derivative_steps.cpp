#include "algebra/derivative_steps.h"

#include "algebra/tree_services.h"
#include "model/memory_reserve.h"

#include <array>
#include <cmath>
#include <vector>

namespace vexmar {
namespace {

using K = ObjectKind;

constexpr std::uint16_t kPiCode = 0x1312;
// Orders above this are left in the editor's notation rather than unrolled.
constexpr double kMaxUnrolledOrder = 64;
constexpr double kLog10OfE = 0.4342944819032518;

bool isInternalDerivative(const MathObject& o) {
  return o.kind == K::PartialDerivativeKind || o.kind == K::TotalDerivativeKind;
}

bool isEditorDerivative(const MathObject& o) {
  if (o.kind != K::function || o.childCount() != 2) return false;
  const MathObject* op = o.child(0);
  return op && (op->kind == K::oppartial || op->kind == K::optotal) && op->childCount() >= 1 &&
         op->childCount() <= 2 && o.child(1);
}

// Steps of the per-function rules: a postfix program over a stack of subtrees, u being the
// function's argument and D(u) a new derivative of it.
enum class RuleOp : std::uint8_t {
  End,
  Argument,      // push a copy of u
  Derivative,    // push D(u)
  Apply,         // pop x, push kind(x)
  Square,        // pop x, push x^2
  Times,         // pop a b, push a b
  Times3,        // pop a b c, push a b c
  Over,          // pop a b, push a / b
  Negate,        // pop x, push -x
  OnePlusSquare, // pop x, push 1 + x^2
  OneMinusSquare,
  SquareMinusOne,
  Two,
  Log10OfE,
  Zero,
};

struct RuleStep {
  RuleOp op = RuleOp::End;
  K kind = K::num;
};

struct FunctionRule {
  K kind;
  std::array<RuleStep, 10> steps;
};

constexpr RuleStep A{RuleOp::Argument}, D{RuleOp::Derivative}, Sq{RuleOp::Square}, Mul{RuleOp::Times},
    Mul3{RuleOp::Times3}, Div{RuleOp::Over}, Neg{RuleOp::Negate}, P1{RuleOp::OnePlusSquare},
    M1{RuleOp::OneMinusSquare}, S1{RuleOp::SquareMinusOne};
constexpr RuleStep apply(K kind) { return {RuleOp::Apply, kind}; }

// clang-format off
constexpr std::array<FunctionRule, 30> kFunctionRules = {{
    {K::sin,   {A, apply(K::cos), D, Mul}},
    {K::cos,   {A, apply(K::sin), D, Mul, Neg}},
    {K::tan,   {A, apply(K::sec), Sq, D, Mul}},
    {K::cot,   {A, apply(K::csc), Sq, D, Mul, Neg}},
    {K::sec,   {A, apply(K::sec), A, apply(K::tan), D, Mul3}},
    {K::csc,   {A, apply(K::csc), A, apply(K::cot), D, Mul3, Neg}},
    {K::asin,  {D, A, M1, apply(K::sqrt), Div}},
    {K::acos,  {D, A, M1, apply(K::sqrt), Div, Neg}},
    {K::atan,  {D, A, P1, Div}},
    {K::acot,  {D, A, P1, Div, Neg}},
    {K::asec,  {D, A, apply(K::abs), A, S1, apply(K::sqrt), Mul, Div}},
    {K::acsc,  {D, A, apply(K::abs), A, S1, apply(K::sqrt), Mul, Div, Neg}},
    {K::sinh,  {A, apply(K::cosh), D, Mul}},
    {K::cosh,  {A, apply(K::sinh), D, Mul}},
    {K::tanh,  {A, apply(K::sech), Sq, D, Mul}},
    {K::coth,  {A, apply(K::csch), Sq, D, Mul, Neg}},
    {K::sech,  {A, apply(K::sech), A, apply(K::tanh), D, Mul3, Neg}},
    {K::csch,  {A, apply(K::csch), A, apply(K::coth), D, Mul3, Neg}},
    {K::asinh, {D, A, P1, apply(K::sqrt), Div}},
    {K::acosh, {D, A, S1, apply(K::sqrt), Div}},
    {K::atanh, {D, A, M1, Div}},
    {K::acoth, {D, A, S1, Neg, Div}},
    {K::asech, {D, A, A, M1, apply(K::sqrt), Mul, Div, Neg}},
    {K::acsch, {D, A, apply(K::abs), A, P1, apply(K::sqrt), Mul, Div, Neg}},
    {K::ln,    {D, A, Div}},
    {K::exp,   {A, apply(K::exp), D, Mul}},
    {K::abs,   {A, apply(K::sgn), D, Mul}},
    {K::sgn,   {RuleStep{RuleOp::Zero}}},
    // One-child forms only; the two-child log and root are rewritten first.
    {K::log,   {RuleStep{RuleOp::Log10OfE}, D, Mul, A, Div}},
    {K::sqrt,  {D, RuleStep{RuleOp::Two}, A, apply(K::sqrt), Mul, Div}},
}};
// clang-format on

// Builds one step's result, recording the nodes it makes (each after its operands) so that they
// can be folded once the new derivatives inside them have been worked out.
class StepBuilder {
public:
  StepBuilder(const MathObject& derivative, std::vector<MathObject*>& built,
              std::vector<MathObject*>& pending)
      : derivative_(derivative), built_(built), pending_(pending) {}

  ObjectPtr make(K kind, ObjectPtr a) { return record(makeObject(kind, std::move(a))); }
  ObjectPtr make(K kind, ObjectPtr a, ObjectPtr b) {
    return record(makeObject(kind, std::move(a), std::move(b)));
  }
  ObjectPtr make(K kind, ObjectPtr a, ObjectPtr b, ObjectPtr c) {
    return record(makeObject(kind, std::move(a), std::move(b), std::move(c)));
  }
  ObjectPtr negate(ObjectPtr a) { return make(K::minus, std::move(a)); }
  ObjectPtr number(double value) { return makeAlgebraNumber(value); }
  ObjectPtr copy(const MathObject& o) { return cloneTree(o); }
  /// D(o): a new derivative of the same kind and variable, worked out after this step.
  ObjectPtr derivativeOf(ObjectPtr o) {
    // The argument is destroyed when the derivative is worked out, so it is not folded later.
    std::erase_if(built_, [&o](const MathObject* n) { return isAncestorOrSelf(*o, *n); });
    ObjectPtr d = makeObject(derivative_.kind, std::move(o), cloneTree(*derivative_.child(1)));
    pending_.push_back(d.get());
    return d;
  }
  ObjectPtr derivativeOfCopy(const MathObject& o) { return derivativeOf(cloneTree(o)); }
  ObjectPtr record(ObjectPtr o) {
    built_.push_back(o.get());
    return o;
  }

private:
  const MathObject& derivative_;
  std::vector<MathObject*>& built_;
  std::vector<MathObject*>& pending_;
};

ObjectPtr applyFunctionRule(const FunctionRule& rule, const MathObject& u, StepBuilder& b) {
  std::vector<ObjectPtr> stack;
  auto pop = [&stack] {
    ObjectPtr top = std::move(stack.back());
    stack.pop_back();
    return top;
  };
  for (const RuleStep& step : rule.steps) {
    switch (step.op) {
    case RuleOp::End:
      break;
    case RuleOp::Argument:
      stack.push_back(b.copy(u));
      continue;
    case RuleOp::Derivative:
      stack.push_back(b.derivativeOfCopy(u));
      continue;
    case RuleOp::Apply:
      stack.push_back(b.make(step.kind, pop()));
      continue;
    case RuleOp::Square:
      stack.push_back(b.make(K::power, pop(), b.number(2)));
      continue;
    case RuleOp::Times: {
      ObjectPtr right = pop();
      stack.push_back(b.make(K::times, pop(), std::move(right)));
      continue;
    }
    case RuleOp::Times3: {
      ObjectPtr third = pop();
      ObjectPtr second = pop();
      stack.push_back(b.make(K::times, pop(), std::move(second), std::move(third)));
      continue;
    }
    case RuleOp::Over: {
      ObjectPtr denominator = pop();
      stack.push_back(b.make(K::over, pop(), std::move(denominator)));
      continue;
    }
    case RuleOp::Negate:
      stack.push_back(b.negate(pop()));
      continue;
    case RuleOp::OnePlusSquare:
      stack.push_back(b.make(K::plus, b.number(1), b.make(K::power, pop(), b.number(2))));
      continue;
    case RuleOp::OneMinusSquare:
      stack.push_back(b.make(K::plus, b.number(1), b.negate(b.make(K::power, pop(), b.number(2)))));
      continue;
    case RuleOp::SquareMinusOne:
      stack.push_back(b.make(K::plus, b.make(K::power, pop(), b.number(2)), b.negate(b.number(1))));
      continue;
    case RuleOp::Two:
      stack.push_back(b.number(2));
      continue;
    case RuleOp::Log10OfE:
      stack.push_back(b.number(kLog10OfE));
      continue;
    case RuleOp::Zero:
      stack.push_back(b.number(0));
      continue;
    }
    break;
  }
  return stack.size() == 1 ? pop() : nullptr;
}

const FunctionRule* findFunctionRule(K kind) {
  for (const FunctionRule& rule : kFunctionRules)
    if (rule.kind == kind) return &rule;
  return nullptr;
}

ObjectPtr differentiateTimes(const MathObject& f, StepBuilder& b) {
  const int n = f.childCount();
  if (n == 0) return b.number(0);
  if (n == 1) return b.derivativeOfCopy(*f.child(0));
  const MathObject& a = *f.child(0);
  auto rest = [&] {
    if (n == 2) return b.copy(*f.child(1));
    ObjectPtr r = makeObject(K::times, n - 1);
    for (int i = 1; i < n; ++i) setChild(*r, i - 1, cloneTree(*f.child(i)));
    return b.record(std::move(r));
  };
  if (a.kind == K::num) return b.make(K::times, b.copy(a), b.derivativeOf(rest()));
  ObjectPtr first = b.make(K::times, b.copy(a), b.derivativeOf(rest()));
  ObjectPtr second = b.make(K::times, rest(), b.derivativeOfCopy(a));
  return b.make(K::plus, std::move(first), std::move(second));
}

ObjectPtr differentiatePower(const MathObject& f, const MathObject& v, bool partial, StepBuilder& b) {
  const MathObject& base = *f.child(0);
  const MathObject& exponent = *f.child(1);
  if (isPlainLetter(&base, 'e')) return b.make(K::times, b.copy(f), b.derivativeOfCopy(exponent));
  const bool baseIsVariable = v.kind == K::char_ && treeEqual(base, v);
  auto withChain = [&](ObjectPtr outer) {
    return baseIsVariable ? std::move(outer) : b.make(K::times, std::move(outer), b.derivativeOfCopy(base));
  };
  if (exponent.kind == K::num && exponent.number) {
    const double n = exponent.number->value;
    return withChain(b.make(K::times, b.number(n), b.make(K::power, b.copy(base), b.number(n - 1))));
  }
  if (partial && isFreeOf(exponent, v)) {
    ObjectPtr lowered = b.make(K::plus, b.copy(exponent), b.number(-1));
    return withChain(b.make(K::times, b.copy(exponent), b.make(K::power, b.copy(base), std::move(lowered))));
  }
  ObjectPtr viaExponent = b.make(K::times, b.make(K::ln, b.copy(base)), b.derivativeOfCopy(exponent));
  ObjectPtr viaBase =
      b.make(K::times, b.make(K::over, b.copy(exponent), b.copy(base)), b.derivativeOfCopy(base));
  return b.make(K::times, b.copy(f), b.make(K::plus, std::move(viaExponent), std::move(viaBase)));
}

// One row of the derivative table applied to D; null when D stays as it is.
ObjectPtr differentiateOnce(const MathObject& derivative, StepBuilder& b) {
  const MathObject& f = *derivative.child(0);
  const MathObject& v = *derivative.child(1);
  const bool partial = derivative.kind == K::PartialDerivativeKind;
  if (v.kind != K::char_ && treeEqual(f, v)) return b.number(1);
  if (partial && isFreeOf(f, v)) return b.number(0);
  switch (f.kind) {
  case K::num:
    return b.number(0);
  case K::char_:
    if (treeEqual(f, v)) return b.number(1);
    if (partial || isPlainLetter(&f, 'e') || isPlainLetter(&f, kPiCode)) return b.number(0);
    return nullptr;
  case K::plus: {
    ObjectPtr sum = makeObject(K::plus, f.childCount());
    for (int i = 0; i < f.childCount(); ++i) setChild(*sum, i, b.derivativeOfCopy(*f.child(i)));
    return b.record(std::move(sum));
  }
  case K::times:
    return differentiateTimes(f, b);
  case K::minus:
    return f.childCount() == 1 ? b.negate(b.derivativeOfCopy(*f.child(0))) : nullptr;
  case K::over: {
    if (f.childCount() != 2) return nullptr;
    const MathObject& a = *f.child(0);
    const MathObject& d = *f.child(1);
    ObjectPtr numerator = b.make(K::plus, b.make(K::times, b.copy(d), b.derivativeOfCopy(a)),
                                 b.negate(b.make(K::times, b.copy(a), b.derivativeOfCopy(d))));
    return b.make(K::over, std::move(numerator), b.make(K::power, b.copy(d), b.number(2)));
  }
  case K::power:
    return f.childCount() == 2 ? differentiatePower(f, v, partial, b) : nullptr;
  case K::log:
    if (f.childCount() == 2)
      return b.derivativeOf(
          b.make(K::over, b.make(K::ln, b.copy(*f.child(0))), b.make(K::ln, b.copy(*f.child(1)))));
    break;
  case K::sqrt:
    if (f.childCount() == 2)
      return b.derivativeOf(
          b.make(K::power, b.copy(*f.child(0)), b.make(K::over, b.number(1), b.copy(*f.child(1)))));
    break;
  case K::sum: {
    if (f.childCount() < 1) return nullptr;
    ObjectPtr inside = makeObject(K::sum, f.childCount());
    setChild(*inside, 0, b.derivativeOfCopy(*f.child(0)));
    for (int i = 1; i < f.childCount(); ++i) setChild(*inside, i, cloneTree(*f.child(i)));
    return b.record(std::move(inside));
  }
  default:
    break;
  }
  if (f.childCount() != 1) return nullptr;
  const FunctionRule* rule = findFunctionRule(f.kind);
  return rule ? applyFunctionRule(*rule, *f.child(0), b) : nullptr;
}

void collapseOntoOnlyChild(MathObject& o) { replaceObject(removeChild(o, 0), o); }

// Local clean-up of a node built by a step, once its operands are final: drops the zeros and
// ones the table produces, so that repeated derivatives do not grow with dead terms.
void fold(MathObject& o) {
  switch (o.kind) {
  case K::times: {
    for (int i = o.childCount(); i-- > 0;)
      if (o.child(i)->kind == K::times) flattenChild(o, i);
    double coefficient = 1;
    bool hadNumber = false;
    for (int i = o.childCount(); i-- > 0;) {
      const MathObject& c = *o.child(i);
      if (!isNumber(&c)) continue;
      coefficient *= c.number->value;
      hadNumber = true;
      removeChild(o, i);
    }
    if (hadNumber && coefficient == 0) {
      replaceWithNumber(o, 0);
      return;
    }
    if (coefficient != 1 || o.childCount() == 0) insertChild(o, 0, makeAlgebraNumber(coefficient));
    if (o.childCount() == 1) collapseOntoOnlyChild(o);
    return;
  }
  case K::plus: {
    for (int i = o.childCount(); i-- > 0;)
      if (o.child(i)->kind == K::plus) flattenChild(o, i);
    double constant = 0;
    for (int i = o.childCount(); i-- > 0;) {
      const MathObject& c = *o.child(i);
      if (!isNumber(&c)) continue;
      constant += c.number->value;
      removeChild(o, i);
    }
    if (constant != 0 || o.childCount() == 0) appendChild(o, makeAlgebraNumber(constant));
    if (o.childCount() == 1) collapseOntoOnlyChild(o);
    return;
  }
  case K::minus: {
    if (o.childCount() != 1) return;
    MathObject& c = *o.child(0);
    if (isNumber(&c)) {
      replaceWithNumber(o, c.number->value == 0 ? 0.0 : -c.number->value);
    } else if (c.kind == K::minus && c.childCount() == 1) {
      collapseOntoOnlyChild(c);
      collapseOntoOnlyChild(o);
    }
    return;
  }
  case K::over:
    if (o.childCount() != 2) return;
    if (isNumber(o.child(0), 0)) {
      replaceWithNumber(o, 0);
    } else if (isNumber(o.child(1), 1)) {
      removeChild(o, 1);
      collapseOntoOnlyChild(o);
    }
    return;
  case K::power:
    if (o.childCount() != 2) return;
    if (isNumber(o.child(1), 1)) {
      removeChild(o, 1);
      collapseOntoOnlyChild(o);
    } else if (isNumber(o.child(1), 0) || isNumber(o.child(0), 1)) {
      replaceWithNumber(o, 1);
    }
    return;
  default:
    return;
  }
}

} // namespace

void convertDerivativesToInternal(MathObject& subtree) {
  // Innermost first: converting an outer derivative destroys its operator, and a derivative can
  // stand inside that operator (in its variable slot); the converted record keeps its place.
  std::vector<MathObject*> found = collectPreorder(subtree, isEditorDerivative);
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    MathObject* node = *it;
    MathObject& op = *node->child(0);
    int order = 1;
    if (op.childCount() == 2) {
      const MathObject& given = *op.child(1);
      if (!isNumber(&given)) continue;
      const double value = given.number->value;
      if (!(value >= 1 && value <= kMaxUnrolledOrder) || value != std::floor(value)) continue;
      order = static_cast<int>(value);
    }
    const K kind = op.kind == K::oppartial ? K::PartialDerivativeKind : K::TotalDerivativeKind;
    ObjectPtr result = removeChild(*node, 1);
    for (int i = 0; i < order; ++i) result = makeObject(kind, std::move(result), cloneTree(*op.child(0)));
    replaceObject(std::move(result), *node);
  }
}

void runDerivativeEngine(MathObject& subtree) {
  // Work list instead of recursion: a step's new derivatives are pushed above it, and a step's
  // built nodes are folded once everything above has been worked out.
  struct Work {
    MathObject* object;
    bool foldPass;
    std::vector<MathObject*> built;
  };
  std::vector<Work> work;
  for (MathObject* d : collectPreorder(subtree, isInternalDerivative)) work.push_back({d, false, {}});
  while (!work.empty()) {
    Work item = std::move(work.back());
    work.pop_back();
    if (item.foldPass) {
      for (MathObject* node : item.built) fold(*node);
      continue;
    }
    MathObject& derivative = *item.object;
    if (memoryReserve().isLow()) {
      replaceWithTree(makeVariable(kInfinityCode), derivative);
      continue;
    }
    if (derivative.childCount() != 2) continue;
    std::vector<MathObject*> built;
    std::vector<MathObject*> pending;
    StepBuilder builder(derivative, built, pending);
    ObjectPtr result = differentiateOnce(derivative, builder);
    if (!result) continue;
    // The result's root record is freed as its content moves into the derivative's record.
    const MathObject* movedRoot = result.get();
    replaceWithTree(std::move(result), derivative);
    for (MathObject*& p : built)
      if (p == movedRoot) p = &derivative;
    for (MathObject*& p : pending)
      if (p == movedRoot) p = &derivative;
    work.push_back({&derivative, true, std::move(built)});
    for (MathObject* p : pending) work.push_back({p, false, {}});
  }
}

void convertDerivativesToEditor(MathObject& subtree) {
  std::vector<MathObject*> found = collectPreorder(subtree, isInternalDerivative);
  // Later in pre-order first, so that inner derivatives are converted before outer ones and
  // repeated derivatives in one variable merge into one operator with an order.
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    MathObject& d = **it;
    if (d.childCount() != 2) continue;
    const K opKind = d.kind == K::PartialDerivativeKind ? K::oppartial : K::optotal;
    ObjectPtr expression = removeChild(d, 0);
    ObjectPtr variable = removeChild(d, 0);
    if (isEditorDerivative(*expression) && expression->child(0)->kind == opKind &&
        treeEqual(*expression->child(0)->child(0), *variable)) {
      MathObject& op = *expression->child(0);
      if (op.childCount() == 1) {
        appendChild(op, makeAlgebraNumber(2));
        replaceObject(std::move(expression), d);
        continue;
      }
      MathObject& order = *op.child(1);
      if (isNumber(&order)) {
        replaceWithNumber(order, order.number->value + 1);
        replaceObject(std::move(expression), d);
        continue;
      }
    }
    replaceObject(makeObject(K::function, makeObject(opKind, std::move(variable)), std::move(expression)), d);
  }
}

} // namespace vexmar
