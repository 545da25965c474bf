#include "mpfr_reference.h"

#include "model/model_state.h"
#include "model/object_kind.h"
#include "numeric/numeric_state.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace vexmar::test {
namespace {

constexpr mpfr_rnd_t kNearest = MPFR_RNDN;
constexpr std::uint16_t kRho = 0x1317, kTheta = 0x1314, kPhi = 0x1306, kPi = 0x1312, kDegree = 0x1332;
// The two precisions of placeAgainst, and how closely they must agree.
constexpr mpfr_prec_t kLowBits = 120;
constexpr mpfr_prec_t kHighBits = 240;
constexpr int kAgreementBits = 90;

struct Point {
  double x;
  double y;
  mpfr_prec_t bits;
};

bool evaluate(const MathObject& node, const Point& at, mpfr_ptr out);

// A child's value into a fresh number of the same precision.
struct Operand {
  BigFloat value;
  bool defined;
  Operand(const MathObject* node, const Point& at)
      : value(at.bits), defined(node && evaluate(*node, at, value.get())) {}
  mpfr_ptr get() { return value.get(); }
};

bool setFromText(mpfr_ptr out, std::string text) {
  const char separator = modelState().decimalSeparator;
  if (const std::size_t at = text.find(separator); separator != '.' && at != std::string::npos)
    text[at] = '.';
  char* end = nullptr;
  mpfr_strtofr(out, text.c_str(), &end, 10, kNearest);
  return end != text.c_str();
}

bool number(const MathObject& node, mpfr_ptr out) {
  if (!node.number) return false;
  const NumberRecord& n = *node.number;
  if (!std::isfinite(n.value)) return false;
  // The text is the number meant when it reads as the value; a rounded display is not.
  if (n.showsOtherValue(modelState().decimalSeparator) || !setFromText(out, std::string(n.displayText())))
    mpfr_set_d(out, n.value, kNearest);
  return true;
}

void angle(mpfr_ptr out, mpfr_srcptr y, mpfr_srcptr x) {
  mpfr_atan2(out, y, x, kNearest);
  if (mpfr_sgn(out) < 0) {
    BigFloat twoPi(mpfr_get_prec(out));
    mpfr_const_pi(twoPi.get(), kNearest);
    mpfr_mul_ui(twoPi.get(), twoPi.get(), 2, kNearest);
    mpfr_add(out, out, twoPi.get(), kNearest);
  }
}

bool letter(std::uint16_t code, const Point& at, mpfr_ptr out) {
  const double animated = numericState().animatedVariable;
  switch (code) {
  case 'x':
  case 'u':
    mpfr_set_d(out, at.x, kNearest);
    return true;
  case 'y':
  case 'v':
    mpfr_set_d(out, at.y, kNearest);
    return true;
  case 'z':
    mpfr_set_zero(out, 1);
    return true;
  default:
    break;
  }
  if (static_cast<double>(code) == animated) {
    mpfr_set_d(out, numericState().animationValue, kNearest);
    return true;
  }
  BigFloat x(at.bits), y(at.bits);
  mpfr_set_d(x.get(), at.x, kNearest);
  mpfr_set_d(y.get(), at.y, kNearest);
  switch (code) {
  case 'r':
  case kRho:
    mpfr_hypot(out, x.get(), y.get(), kNearest);
    return true;
  case kTheta:
    if (at.x == 0 && at.y == 0) return false;
    angle(out, y.get(), x.get());
    return true;
  case kPhi: { // the angle of (z, r), z = 0
    if (at.x == 0 && at.y == 0) return false;
    mpfr_const_pi(out, kNearest);
    mpfr_div_2ui(out, out, 1, kNearest);
    return true;
  }
  case 'e':
    mpfr_set_ui(out, 1, kNearest);
    mpfr_exp(out, out, kNearest);
    return true;
  case kPi:
    mpfr_const_pi(out, kNearest);
    return true;
  case kDegree:
    mpfr_const_pi(out, kNearest);
    mpfr_div_ui(out, out, 180, kNearest);
    return true;
  default:
    break;
  }
  if (isSpecialCharacterCode(code)) return false;
  const Parameter* p =
      numericState().parameters.findByFirstCharacter(static_cast<unsigned char>(code & 0xFF));
  if (!p) {
    mpfr_set_zero(out, 1);
    return true;
  }
  return setFromText(out, p->valueText);
}

// base^exponent by the machine's rule: a negative base needs an integer exponent; 0 to a negative
// power is a pole.
bool power(mpfr_ptr out, mpfr_srcptr base, mpfr_srcptr exponent) {
  if (mpfr_zero_p(base)) {
    if (mpfr_sgn(exponent) < 0) return false;
    mpfr_set_ui(out, mpfr_zero_p(exponent) ? 1 : 0, kNearest);
    return true;
  }
  if (mpfr_sgn(base) < 0 && !mpfr_integer_p(exponent)) return false;
  mpfr_pow(out, base, exponent, kNearest);
  return mpfr_number_p(out);
}

/// An exact rational that frees itself.
class Rational {
public:
  Rational() { mpq_init(value_); }
  ~Rational() { mpq_clear(value_); }
  Rational(const Rational&) = delete;
  Rational& operator=(const Rational&) = delete;
  mpq_ptr get() { return value_; }

private:
  mpq_t value_;
};

// The exact value of a tree of integer literals joined by sums, products, quotients, negation and
// parentheses: an exponent the engine takes as a fraction. False for any other tree.
bool literalRational(const MathObject& node, mpq_ptr out) {
  if (node.kind == ObjectKind::num) {
    if (!node.number || !std::isfinite(node.number->value) ||
        std::trunc(node.number->value) != node.number->value)
      return false;
    mpq_set_d(out, node.number->value);
    return true;
  }
  const int n = node.childCount();
  const bool single = n == 1 && (node.kind == ObjectKind::id || node.kind == ObjectKind::minus);
  const bool many = n >= 1 && (node.kind == ObjectKind::plus || node.kind == ObjectKind::times ||
                               (node.kind == ObjectKind::over && n == 2));
  if (!single && !many) return false;
  for (int i = 0; i < n; ++i) {
    Rational term;
    if (!node.child(i) || !literalRational(*node.child(i), i == 0 ? out : term.get())) return false;
    if (i == 0) continue;
    if (node.kind == ObjectKind::plus) mpq_add(out, out, term.get());
    if (node.kind == ObjectKind::times) mpq_mul(out, out, term.get());
    if (node.kind == ObjectKind::over) {
      if (mpq_sgn(term.get()) == 0) return false;
      mpq_div(out, out, term.get());
    }
  }
  if (node.kind == ObjectKind::minus) mpq_neg(out, out);
  return true;
}

// base^(p/q) for an exact exponent in lowest terms: a negative base has a real value, of the sign
// of (-1)^p, when q is odd, and none when q is even.
bool rationalPower(mpfr_ptr out, mpfr_srcptr base, mpq_srcptr exponent) {
  if (mpfr_zero_p(base)) {
    if (mpq_sgn(exponent) < 0) return false;
    mpfr_set_ui(out, mpq_sgn(exponent) == 0 ? 1 : 0, kNearest);
    return true;
  }
  const bool negative = mpfr_sgn(base) < 0;
  if (negative && mpz_even_p(mpq_denref(exponent))) return false;
  BigFloat e(mpfr_get_prec(out)), magnitude(mpfr_get_prec(out));
  mpfr_set_q(e.get(), exponent, kNearest);
  mpfr_abs(magnitude.get(), base, kNearest);
  mpfr_pow(out, magnitude.get(), e.get(), kNearest);
  if (negative && mpz_odd_p(mpq_numref(exponent))) mpfr_neg(out, out, kNearest);
  return mpfr_number_p(out);
}

// A comparison is undecidable where the operands differ by no more than rounding could make.
std::optional<int> compare(mpfr_srcptr a, mpfr_srcptr b, mpfr_prec_t bits) {
  const int c = mpfr_cmp(a, b);
  if (c == 0) return 0;
  BigFloat difference(bits), scale(bits);
  mpfr_sub(difference.get(), a, b, kNearest);
  mpfr_abs(difference.get(), difference.get(), kNearest);
  mpfr_abs(scale.get(), mpfr_cmpabs(a, b) > 0 ? a : b, kNearest);
  mpfr_mul_2si(scale.get(), scale.get(), -(bits - 24), kNearest);
  if (mpfr_cmp(difference.get(), scale.get()) <= 0) return std::nullopt;
  return c;
}

// Functions of one argument: false outside the domain or at a pole.
bool unary(ObjectKind kind, mpfr_ptr v, const Point& at) {
  BigFloat t(at.bits);
  const auto outsideUnit = [&] { return mpfr_cmpabs_ui(v, 1) < 0; };
  switch (kind) {
  case ObjectKind::minus:
    mpfr_neg(v, v, kNearest);
    return true;
  case ObjectKind::abs:
    mpfr_abs(v, v, kNearest);
    return true;
  case ObjectKind::sgn:
    mpfr_set_si(v, mpfr_sgn(v), kNearest);
    return true;
  case ObjectKind::ln:
    if (mpfr_sgn(v) <= 0) return false;
    mpfr_log(v, v, kNearest);
    return true;
  case ObjectKind::exp:
    mpfr_exp(v, v, kNearest);
    return true;
  case ObjectKind::fact:
    mpfr_add_ui(v, v, 1, kNearest);
    if (mpfr_sgn(v) <= 0 && mpfr_integer_p(v)) return false;
    mpfr_gamma(v, v, kNearest);
    return true;
  case ObjectKind::sin:
    mpfr_sin(v, v, kNearest);
    return true;
  case ObjectKind::cos:
    mpfr_cos(v, v, kNearest);
    return true;
  case ObjectKind::tan:
    mpfr_tan(v, v, kNearest);
    return true;
  case ObjectKind::cot:
    if (mpfr_zero_p(v)) return false;
    mpfr_cot(v, v, kNearest);
    return true;
  case ObjectKind::sec:
    mpfr_sec(v, v, kNearest);
    return true;
  case ObjectKind::csc:
    if (mpfr_zero_p(v)) return false;
    mpfr_csc(v, v, kNearest);
    return true;
  case ObjectKind::asin:
    if (mpfr_cmpabs_ui(v, 1) > 0) return false;
    mpfr_asin(v, v, kNearest);
    return true;
  case ObjectKind::acos:
    if (mpfr_cmpabs_ui(v, 1) > 0) return false;
    mpfr_acos(v, v, kNearest);
    return true;
  case ObjectKind::atan:
    mpfr_atan(v, v, kNearest);
    return true;
  case ObjectKind::acot: // in (0, pi): atan(1/x) above 0 (pi/2 - atan x would cancel there)
    if (mpfr_sgn(v) > 0) {
      mpfr_ui_div(v, 1, v, kNearest);
      mpfr_atan(v, v, kNearest);
      return true;
    }
    mpfr_atan(v, v, kNearest);
    mpfr_const_pi(t.get(), kNearest);
    mpfr_div_2ui(t.get(), t.get(), 1, kNearest);
    mpfr_sub(v, t.get(), v, kNearest);
    return true;
  case ObjectKind::asec:
    if (outsideUnit()) return false;
    mpfr_ui_div(v, 1, v, kNearest);
    mpfr_acos(v, v, kNearest);
    return true;
  case ObjectKind::acsc:
    if (outsideUnit()) return false;
    mpfr_ui_div(v, 1, v, kNearest);
    mpfr_asin(v, v, kNearest);
    return true;
  case ObjectKind::sinh:
    mpfr_sinh(v, v, kNearest);
    return true;
  case ObjectKind::cosh:
    mpfr_cosh(v, v, kNearest);
    return true;
  case ObjectKind::tanh:
    mpfr_tanh(v, v, kNearest);
    return true;
  case ObjectKind::coth:
    if (mpfr_zero_p(v)) return false;
    mpfr_coth(v, v, kNearest);
    return true;
  case ObjectKind::sech:
    mpfr_sech(v, v, kNearest);
    return true;
  case ObjectKind::csch:
    if (mpfr_zero_p(v)) return false;
    mpfr_csch(v, v, kNearest);
    return true;
  case ObjectKind::asinh:
    mpfr_asinh(v, v, kNearest);
    return true;
  case ObjectKind::acosh:
    if (mpfr_cmp_ui(v, 1) < 0) return false;
    mpfr_acosh(v, v, kNearest);
    return true;
  case ObjectKind::atanh:
    if (mpfr_cmpabs_ui(v, 1) >= 0) return false;
    mpfr_atanh(v, v, kNearest);
    return true;
  case ObjectKind::acoth:
    if (mpfr_cmpabs_ui(v, 1) <= 0) return false;
    mpfr_ui_div(v, 1, v, kNearest);
    mpfr_atanh(v, v, kNearest);
    return true;
  case ObjectKind::asech:
    if (mpfr_sgn(v) <= 0 || mpfr_cmp_ui(v, 1) > 0) return false;
    mpfr_ui_div(v, 1, v, kNearest);
    mpfr_acosh(v, v, kNearest);
    return true;
  case ObjectKind::acsch:
    if (mpfr_zero_p(v)) return false;
    mpfr_ui_div(v, 1, v, kNearest);
    mpfr_asinh(v, v, kNearest);
    return true;
  default:
    return false;
  }
}

bool evaluate(const MathObject& node, const Point& at, mpfr_ptr out) {
  const int n = node.childCount();
  switch (node.kind) {
  case ObjectKind::num:
    return number(node, out);
  case ObjectKind::char_:
    return letter(node.characterCode(), at, out);
  case ObjectKind::plus:
  case ObjectKind::times: {
    if (n == 0) return false;
    if (!evaluate(*node.child(0), at, out)) return false;
    for (int i = 1; i < n; ++i) {
      Operand term(node.child(i), at);
      if (!term.defined) return false;
      if (node.kind == ObjectKind::plus)
        mpfr_add(out, out, term.get(), kNearest);
      else
        mpfr_mul(out, out, term.get(), kNearest);
    }
    return true;
  }
  case ObjectKind::id:
    return n == 1 && evaluate(*node.child(0), at, out);
  default:
    break;
  }
  if (n == 1) {
    if (!evaluate(*node.child(0), at, out)) return false;
    if (node.kind == ObjectKind::sqrt) {
      if (mpfr_sgn(out) < 0) return false;
      mpfr_sqrt(out, out, kNearest);
      return true;
    }
    if (node.kind == ObjectKind::log) {
      if (mpfr_sgn(out) <= 0) return false;
      mpfr_log10(out, out, kNearest);
      return true;
    }
    return unary(node.kind, out, at) && mpfr_number_p(out);
  }
  if (n != 2) return false;
  // A literal fraction as an exponent, or a literal root index, is exact.
  Rational exponent;
  if ((node.kind == ObjectKind::power || node.kind == ObjectKind::sqrt) && node.child(1) &&
      literalRational(*node.child(1), exponent.get())) {
    if (node.kind == ObjectKind::sqrt) {
      if (mpq_sgn(exponent.get()) == 0) return false;
      mpq_inv(exponent.get(), exponent.get());
    }
    return node.child(0) && evaluate(*node.child(0), at, out) && rationalPower(out, out, exponent.get());
  }
  Operand a(node.child(0), at), b(node.child(1), at);
  if (!a.defined || !b.defined) return false;
  switch (node.kind) {
  case ObjectKind::over:
    if (mpfr_zero_p(b.get())) return false;
    mpfr_div(out, a.get(), b.get(), kNearest);
    return true;
  case ObjectKind::power:
    return power(out, a.get(), b.get());
  case ObjectKind::sqrt: // a^(1/b)
    if (mpfr_zero_p(b.get())) return false;
    mpfr_ui_div(b.get(), 1, b.get(), kNearest);
    return power(out, a.get(), b.get());
  case ObjectKind::sn: // a 10^b
    mpfr_ui_pow(b.get(), 10, b.get(), kNearest);
    mpfr_mul(out, a.get(), b.get(), kNearest);
    return true;
  case ObjectKind::log: // ln a / ln b
    if (mpfr_sgn(a.get()) <= 0 || mpfr_sgn(b.get()) <= 0 || mpfr_cmp_ui(b.get(), 1) == 0) return false;
    mpfr_log(a.get(), a.get(), kNearest);
    mpfr_log(b.get(), b.get(), kNearest);
    mpfr_div(out, a.get(), b.get(), kNearest);
    return true;
  case ObjectKind::lessthan:
  case ObjectKind::greaterthan:
  case ObjectKind::equal: {
    const std::optional<int> c = compare(a.get(), b.get(), at.bits);
    if (!c) return false;
    const bool holds = node.kind == ObjectKind::lessthan      ? *c < 0
                       : node.kind == ObjectKind::greaterthan ? *c > 0
                                                              : *c == 0;
    mpfr_set_ui(out, holds ? 1 : 0, kNearest);
    return true;
  }
  case ObjectKind::wedge:
  case ObjectKind::vee: {
    const bool p = !mpfr_zero_p(a.get()), q = !mpfr_zero_p(b.get());
    mpfr_set_ui(out, (node.kind == ObjectKind::wedge ? p && q : p || q) ? 1 : 0, kNearest);
    return true;
  }
  default:
    return false;
  }
}

} // namespace

bool trueValue(const MathObject& tree, double x, double y, mpfr_prec_t bits, BigFloat& result) {
  mpfr_set_prec(result.get(), bits);
  return evaluate(tree, {x, y, bits}, result.get()) && mpfr_number_p(result.get());
}

namespace {

// Both precisions' values, when they agree.
bool agreedValue(const MathObject& tree, double x, double y, BigFloat& high) {
  BigFloat low(kLowBits);
  if (!trueValue(tree, x, y, kLowBits, low) || !trueValue(tree, x, y, kHighBits, high)) return false;
  if (mpfr_equal_p(low.get(), high.get())) return true;
  BigFloat difference(kHighBits);
  mpfr_sub(difference.get(), low.get(), high.get(), kNearest);
  if (mpfr_zero_p(high.get())) return false;
  return mpfr_get_exp(difference.get()) < mpfr_get_exp(high.get()) - kAgreementBits;
}

} // namespace

std::optional<int> placeAgainst(const MathObject& tree, double x, double y, double lower, double upper) {
  BigFloat v(kHighBits);
  if (!agreedValue(tree, x, y, v)) return std::nullopt;
  if (mpfr_cmp_d(v.get(), lower) < 0) return -1;
  if (mpfr_cmp_d(v.get(), upper) > 0) return 1;
  return 0;
}

std::optional<double> nearestTrueValue(const MathObject& tree, double x, double y) {
  BigFloat v(kHighBits);
  if (!agreedValue(tree, x, y, v)) return std::nullopt;
  return mpfr_get_d(v.get(), kNearest);
}

double ulpsBetween(double computed, const BigFloat& exact) {
  const mpfr_srcptr e = exact.get();
  if (std::isnan(computed)) return std::numeric_limits<double>::infinity();
  if (std::isinf(computed)) {
    // Right when the true value lies beyond the largest double on the same side.
    const bool beyond = computed > 0 ? mpfr_cmp_d(e, DBL_MAX) > 0 : mpfr_cmp_d(e, -DBL_MAX) < 0;
    return beyond ? 0 : std::numeric_limits<double>::infinity();
  }
  BigFloat difference(mpfr_get_prec(e) + 64);
  mpfr_set_d(difference.get(), computed, kNearest);
  mpfr_sub(difference.get(), difference.get(), e, kNearest);
  mpfr_abs(difference.get(), difference.get(), kNearest);
  // 2^(exp - 1) <= |e| < 2^exp: an ulp is 2^(exp - 53), at least the least subnormal.
  const long exponent = mpfr_zero_p(e) ? -2000 : mpfr_get_exp(e);
  const long ulpExponent = std::max(exponent - 53, -1074L);
  mpfr_mul_2si(difference.get(), difference.get(), -ulpExponent, kNearest);
  return mpfr_get_d(difference.get(), kNearest);
}

} // namespace vexmar::test
