#include "algebra/rewrite_functions.h"

#include "algebra/detail/rewrite_helpers.h"
#include "algebra/simplify.h"
#include "algebra/tree_services.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace vexmar {
using namespace detail;

void rewriteSqrt(MathObject& o, RewriteContext& context) {
  if (o.childCount() == 1) {
    MathObject& radicand = *o.child(0);
    if (isNumber(&radicand) && valueOf(radicand) >= 0) {
      if (const auto root = exactRoot(valueOf(radicand), 2)) return setNumber(o, *root);
    }
    replaceObject(makePower(removeChild(o, 0), makeOver(makeNumber(1), makeNumber(2))), o);
    return rewriteObject(o, context);
  }
  if (o.childCount() != 2 || !isNumber(o.child(0)) || !isNumber(o.child(1))) return;
  const double radicand = valueOf(*o.child(0)), index = valueOf(*o.child(1));
  if (const auto root = exactRoot(radicand, index)) return setNumber(o, *root);
  // A negative radicand has an odd root that the power form would lose.
  if (radicand < 0 || index == 0) return;
  ObjectPtr base = removeChild(o, 0);
  ObjectPtr degree = removeChild(o, 0);
  replaceObject(makePower(std::move(base), makeOver(makeNumber(1), std::move(degree))), o);
  rewriteObject(o, context);
}

void rewriteScientific(MathObject& o, RewriteContext&) {
  if (o.childCount() != 2 || !isNumber(o.child(0)) || !isNumber(o.child(1))) return;
  const double value = valueOf(*o.child(0)) * std::pow(10.0, valueOf(*o.child(1)));
  if (std::isfinite(value)) setNumber(o, value);
}

void rewriteLn(MathObject& o, RewriteContext&) {
  if (isPlainLetter(o.child(0), 'e')) return setNumber(o, 1);
  if (isNumber(o.child(0), 1)) setNumber(o, 0);
}

void rewriteLog(MathObject& o, RewriteContext&) {
  if (isNumber(o.child(0), 1)) setNumber(o, 0);
}

void rewriteFactorial(MathObject& o, RewriteContext&) {
  MathObject& n = *o.child(0);
  if (isIntegerNumber(&n) && valueOf(n) >= 0 && valueOf(n) <= 4) setNumber(o, factorial(valueOf(n)));
}

void rewriteDerivativeOperator(MathObject& o, RewriteContext&) {
  if (o.childCount() == 2 && isNumber(o.child(1), 1)) removeChild(o, 1);
}

namespace {

// The argument as a whole number of half turns of pi/2: 0, pi, n pi, n pi / 2.
std::optional<double> quarterTurns(const MathObject& argument) {
  static const std::uint16_t pi = greekCode("pi");
  const auto multipleOfPi = [](const MathObject& o) -> std::optional<double> {
    if (isPlainLetter(&o, pi)) return 1;
    if (o.kind == ObjectKind::times && o.childCount() == 2 && isIntegerNumber(o.child(0)) &&
        isPlainLetter(o.child(1), pi))
      return valueOf(*o.child(0));
    return std::nullopt;
  };
  if (isNumber(&argument, 0)) return 0;
  if (argument.kind == ObjectKind::minus && argument.childCount() == 1) {
    // A negative multiple has had its sign pulled out by the time the function is rewritten.
    const MathObject& inner = *argument.child(0);
    if (inner.kind != ObjectKind::minus)
      if (const auto turns = quarterTurns(inner)) return -*turns;
    return std::nullopt;
  }
  if (const auto n = multipleOfPi(argument)) return 2 * *n;
  if (argument.kind == ObjectKind::over && argument.childCount() == 2 && isNumber(argument.child(1), 2))
    return multipleOfPi(*argument.child(0));
  return std::nullopt;
}

void rewriteSineOrCosine(MathObject& o, bool cosine) {
  const std::optional<double> turns = quarterTurns(*o.child(0));
  if (!turns || std::fabs(*turns) > kExactLimit / 4) return;
  const auto quarter = static_cast<int>(*turns - 4 * std::floor(*turns / 4));
  static constexpr double kSine[4] = {0, 1, 0, -1};
  setNumber(o, kSine[(quarter + (cosine ? 1 : 0)) % 4]);
}

} // namespace

void rewriteSine(MathObject& o, RewriteContext&) { rewriteSineOrCosine(o, false); }
void rewriteCosine(MathObject& o, RewriteContext&) { rewriteSineOrCosine(o, true); }

} // namespace vexmar
