// Every enclosure the interval machine returns holds every true value of the expression over the
// box: random expressions of every function over random boxes, checked at many points of each box
// against MPFR. VEXMAR_SOAK=N runs N times as many.

#include "mpfr_reference.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "random_expressions.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace vexmar {
namespace {

std::string show(IntervalValue v) {
  char text[80];
  std::snprintf(text, sizeof text, "[%.17g, %.17g]", v.lower, v.upper);
  return text;
}

struct Miss {
  std::string expression;
  IntervalValue x, y, enclosure;
  double atX, atY;
  int side;
};

TEST(EnclosureProperty, EveryTrueValueLiesInsideTheEnclosure) {
  test::RandomExpressions source(0x5eed13);
  const int expressions = test::soakScaled(4000);
  int checked = 0, outside = 0;
  std::vector<Miss> misses;
  for (int n = 0; n < expressions; ++n) {
    const std::string text = source.expression(1 + static_cast<int>(source.pick(4)));
    ObjectPtr tree = readObjectText(text);
    ASSERT_TRUE(tree) << text;
    Evaluator e(cloneTree(*tree));
    compileBatch({&e});
    const IntervalValue x = source.interval();
    const IntervalValue y = source.unit() < 0.5 ? source.interval() : IntervalValue{0.3, 0.3};
    const IntervalValue enclosure = e.evalIntervalXY(x.lower, x.upper, y.lower, y.upper);
    for (const auto& [px, py] : source.pointsIn(x, y, 12)) {
      // An undefined enclosure holds nothing, so every true value lies outside it.
      const double lower = isUndefined(enclosure) ? INFINITY : enclosure.lower;
      const double upper = isUndefined(enclosure) ? -INFINITY : enclosure.upper;
      const std::optional<int> side = test::placeAgainst(*tree, px, py, lower, upper);
      if (!side) continue;
      ++checked;
      if (*side == 0) continue;
      if (outside++ == 0 || misses.back().expression != text)
        if (misses.size() < 8) misses.push_back({text, x, y, enclosure, px, py, *side});
    }
  }
  for (const Miss& m : misses)
    ADD_FAILURE() << m.expression << " over x " << show(m.x) << ", y " << show(m.y) << " is "
                  << show(m.enclosure) << ", but at (" << m.atX << ", " << m.atY << ") the true value lies "
                  << (m.side < 0 ? "below" : "above");
  std::printf("%d true values checked, %d outside\n", checked, outside);
  EXPECT_EQ(outside, 0) << "of " << checked << " true values";
  EXPECT_GT(checked, expressions * 5); // most samples have a value to check
}

// For a narrow box the enclosure should be a small multiple of the true range: the ratio of the
// enclosure's width to the spread of true values sampled in the box, over random expressions.
TEST(EnclosureProperty, NarrowBoxesGiveTightEnclosures) {
  test::RandomExpressions source(0x7167);
  std::vector<double> ratios;
  const int expressions = test::soakScaled(800);
  for (int n = 0; n < expressions; ++n) {
    const std::string text = source.expression(1 + static_cast<int>(source.pick(3)));
    ObjectPtr tree = readObjectText(text);
    Evaluator e(cloneTree(*tree));
    compileBatch({&e});
    const IntervalValue x = source.narrowInterval(1e-6);
    const IntervalValue enclosure = e.evalIntervalXY(x.lower, x.upper, 0.3, 0.3);
    if (isUndefined(enclosure) || !std::isfinite(enclosure.upper - enclosure.lower)) continue;
    double least = INFINITY, greatest = -INFINITY;
    bool everywhere = true;
    for (int i = 0; i <= 32 && everywhere; ++i) {
      const double px = i == 32 ? x.upper : x.lower + (x.upper - x.lower) * i / 32;
      const std::optional<double> v = test::nearestTrueValue(*tree, px, 0.3);
      everywhere = v.has_value();
      if (v) {
        least = std::min(least, *v);
        greatest = std::max(greatest, *v);
      }
    }
    // Constant over the box, or not defined all over it: no ratio to take.
    if (!everywhere || !(greatest > least)) continue;
    ratios.push_back((enclosure.upper - enclosure.lower) / (greatest - least));
  }
  ASSERT_GT(ratios.size(), 50u);
  std::sort(ratios.begin(), ratios.end());
  const double median = ratios[ratios.size() / 2];
  const double ninetieth = ratios[ratios.size() * 9 / 10];
  std::printf("narrow boxes (relative width 1e-6), %zu expressions: width / true range median %.3g, "
              "90th percentile %.3g, worst %.3g\n",
              ratios.size(), median, ninetieth, ratios.back());
  EXPECT_LT(median, 1.5);
  EXPECT_LT(ninetieth, 10);
}

} // namespace
} // namespace vexmar
