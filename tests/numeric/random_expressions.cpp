#include "random_expressions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace vexmar::test {
namespace {

// Decimal literals, most of them not exactly doubles.
constexpr const char* kLiterals[] = {"0.1",  "0.3",  "2.5",  "1.1",     "3",      "0.7", "12",
                                     "1e-3", "7.25", "0.2",  "2",       "1",      "0.5", "10",
                                     "1.5",  "4",    "0.01", "6.02e23", "1e-300", "0"};
constexpr const char* kExponents[] = {"2", "3", "-1", "-2", "5", "0.5", "1.5", "0.1", "4", "-3", "7", "0"};
// Numerators and denominators of literal fractions, whose odd denominators give negative bases real
// powers, and root indices.
constexpr const char* kNumerators[] = {"1", "2", "-1", "-2", "4", "5", "3"};
constexpr const char* kDenominators[] = {"3", "5", "2", "7", "6", "3"};
constexpr const char* kRootIndices[] = {"2", "3", "3", "5", "-3", "4"};
constexpr const char* kFunctions[] = {"minus", "sqrt", "ln",    "log",   "exp",   "abs",   "sgn",   "fact",
                                      "sin",   "cos",  "tan",   "cot",   "sec",   "csc",   "asin",  "acos",
                                      "atan",  "acot", "asec",  "acsc",  "sinh",  "cosh",  "tanh",  "coth",
                                      "sech",  "csch", "asinh", "acosh", "atanh", "acoth", "asech", "acsch"};
// Poles, extrema and domain edges, and where the factorial turns.
constexpr double kSpecial[] = {0,
                               1,
                               -1,
                               2,
                               -2,
                               0.5,
                               -0.5,
                               1.5707963267948966,
                               -1.5707963267948966,
                               3.141592653589793,
                               4.71238898038469,
                               -3,
                               -1.5040830082644554,
                               0.46163214496836234,
                               710,
                               -710,
                               172,
                               -171.5,
                               1e-300,
                               30};

std::string show(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 17).ptr;
  return std::string(text, end);
}

} // namespace

int soakScaled(int count) {
  const char* soak = std::getenv("VEXMAR_SOAK");
  return soak ? count * std::max(1, std::atoi(soak)) : count;
}

std::string RandomExpressions::number(const char* text) {
  return "num[" + show(std::strtod(text, nullptr)) + ",\"" + text + "\"]";
}

std::string RandomExpressions::fraction() {
  const std::string over = "over[" + number(kNumerators[pick(std::size(kNumerators))]) + "," +
                           number(kDenominators[pick(std::size(kDenominators))]) + "]";
  return unit() < 0.2 ? "minus[" + over + "]" : over;
}

std::string RandomExpressions::leaf() {
  const double p = unit();
  if (p < 0.32) return "char[x]";
  if (p < 0.5) return "char[y]";
  if (p < 0.58) {
    constexpr const char* kConstants[] = {"char[e]", "char[pi]", "char[degree]"};
    return kConstants[pick(std::size(kConstants))];
  }
  if (p < 0.62) return unit() < 0.5 ? "char[r]" : "char[theta]";
  return number(kLiterals[pick(std::size(kLiterals))]);
}

std::string RandomExpressions::expression(int depth) {
  if (depth <= 0 || unit() < 0.2) return leaf();
  const auto sub = [&] { return expression(depth - 1); };
  const double p = unit();
  if (p < 0.4) return std::string(kFunctions[pick(std::size(kFunctions))]) + "[" + sub() + "]";
  if (p < 0.5)
    return (unit() < 0.5 ? "plus[" : "times[") + sub() + "," + sub() + (unit() < 0.3 ? "," + sub() : "") +
           "]";
  if (p < 0.57) return "over[" + sub() + "," + sub() + "]";
  if (p < 0.68) {
    const double form = unit();
    std::string exponent;
    if (form < 0.45)
      exponent = number(kExponents[pick(std::size(kExponents))]);
    else if (form < 0.7)
      exponent = fraction();
    else
      exponent = sub();
    return "power[" + sub() + "," + exponent + "]";
  }
  if (p < 0.73) return "power[char[e]," + sub() + "]";
  if (p < 0.77)
    return "sqrt[" + sub() + "," +
           (unit() < 0.7 ? number(kRootIndices[pick(std::size(kRootIndices))]) : sub()) + "]";
  if (p < 0.8) return "log[" + sub() + "," + (unit() < 0.7 ? number(unit() < 0.5 ? "2" : "10") : sub()) + "]";
  if (p < 0.83)
    return "sn[" + number(kLiterals[pick(std::size(kLiterals))]) + "," + number(unit() < 0.5 ? "3" : "-2") +
           "]";
  if (p < 0.9) return (unit() < 0.5 ? "lessthan[" : "greaterthan[") + sub() + "," + sub() + "]";
  if (p < 0.93) return (unit() < 0.5 ? "wedge[" : "vee[") + sub() + "," + sub() + "]";
  if (p < 0.95) return "equal[" + sub() + "," + sub() + "]";
  return "id[" + sub() + "]";
}

IntervalValue RandomExpressions::interval() {
  const double p = unit();
  double a, b;
  if (p < 0.25) {
    const double centre =
        unit() < 0.5 ? uniform(-6, 6) : kSpecial[pick(std::size(kSpecial))] + uniform(-1e-3, 1e-3);
    const double width = std::max(std::fabs(centre), 1.0) * std::pow(10.0, -uniform(2, 10));
    a = centre;
    b = centre + width;
  } else if (p < 0.45) {
    a = uniform(-5, 5);
    b = a + uniform(0, 2);
  } else if (p < 0.6) {
    a = -std::pow(10.0, uniform(-1, 3));
    b = std::pow(10.0, uniform(-1, 3));
  } else if (p < 0.7) {
    a = -std::pow(10.0, -uniform(1, 12));
    b = std::pow(10.0, -uniform(1, 12));
  } else if (p < 0.82) {
    // Just beside, or across, a pole, an extremum or a domain edge.
    const double at = kSpecial[pick(std::size(kSpecial))];
    const double offset = std::pow(10.0, -uniform(1, 15)) * (unit() < 0.5 ? -1 : 1);
    a = at + offset;
    b = unit() < 0.5 ? at : at + 2 * offset;
  } else if (p < 0.92) {
    const double magnitude = std::pow(10.0, uniform(-300, 300));
    a = (unit() < 0.3 ? -1 : 1) * magnitude;
    b = a * (1 + std::pow(10.0, -uniform(0, 8)));
  } else {
    a = b = unit() < 0.5 ? kSpecial[pick(std::size(kSpecial))] : uniform(-10, 10);
  }
  return {std::min(a, b), std::max(a, b)};
}

IntervalValue RandomExpressions::narrowInterval(double relativeWidth) {
  const double centre = uniform(-4, 4);
  const double width = std::max(std::fabs(centre), 0.1) * relativeWidth;
  return {centre - width / 2, centre + width / 2};
}

double RandomExpressions::valueIn(IntervalValue v) {
  if (v.lower == v.upper) return v.lower;
  return std::clamp(v.lower + (v.upper - v.lower) * unit(), v.lower, v.upper);
}

std::vector<std::pair<double, double>> RandomExpressions::pointsIn(IntervalValue x, IntervalValue y,
                                                                   int random) {
  std::vector<std::pair<double, double>> points;
  const double xs[] = {x.lower, x.upper, x.lower + (x.upper - x.lower) / 2};
  const double ys[] = {y.lower, y.upper, y.lower + (y.upper - y.lower) / 2};
  for (double px : xs)
    for (double py : ys) points.push_back({px, py});
  for (double s : kSpecial) {
    if (x.lower < s && s < x.upper) points.push_back({s, valueIn(y)});
    if (y.lower < s && s < y.upper) points.push_back({valueIn(x), s});
  }
  for (int i = 0; i < random; ++i) points.push_back({valueIn(x), valueIn(y)});
  return points;
}

} // namespace vexmar::test
