#pragma once

#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>

namespace vexmar::test {

/// Text forms of the trees the grid graph tests build.
inline std::string c(const std::string& letter) { return "char[" + letter + "]"; }
inline std::string n(double v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
/// A number whose text reads back as the same double.
inline std::string exactNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return std::string("num[") + text + ",\"" + text + "\"]";
}
inline std::string f(const std::string& name, const std::string& a) { return name + "[" + a + "]"; }
inline std::string f(const std::string& name, const std::string& a, const std::string& b) {
  return name + "[" + a + "," + b + "]";
}
inline std::string zIs(const std::string& right) { return f("equal", c("z"), right); }
inline std::string fieldIs(const std::string& first, const std::string& second) {
  return f("equal", "matrix[2,1," + c("x") + "," + c("y") + "]", "matrix[2,1," + first + "," + second + "]");
}
inline const std::string X = c("x");
inline const std::string Y = c("y");
inline const std::string R = c("r");
inline const std::string Theta = c("theta");

/// θ of the point (x, y), from 0 up to 2π, as the compiler works it out.
inline double polarAngle(double x, double y) {
  const double a = std::atan2(y, x);
  return a < 0 ? a + 2 * std::numbers::pi : a;
}

/// A function by its text form and its formula, for tables of cases.
struct FunctionRow {
  const char* name;
  std::string text;
  std::function<double(double, double)> value;
};

/// A 600 x 400 plane at 64 pixels per unit, origin in the middle, on a clock that stands still
/// unless a test moves it.
struct GridGraphTest : ::testing::Test {
  static constexpr PixelRect kWindow{0, 0, 400, 600};

  GridGraphTest() { resetNumericState(); }
  ~GridGraphTest() override { resetNumericState(); }

  /// Builds an equation given as a text form into the plane; null when no graph was made or it is
  /// not of the kind asked for.
  template <class Kind> Kind* build(const std::string& text, double plotStyle, double resolution) {
    const ObjectPtr tree = readObjectText(text);
    EXPECT_TRUE(tree) << "bad text form in the test: " << text;
    if (!tree) return nullptr;
    GraphBuildSettings settings;
    settings.plotStyle = plotStyle;
    settings.resolutionA = resolution;
    const int index = buildGraph(container, *prepareForEvaluation(*tree), false, settings);
    return dynamic_cast<Kind*>(container.plane().graph(index));
  }
  /// As build, then worked to completion.
  template <class Kind> Kind& completed(const std::string& text, double plotStyle, double resolution) {
    Kind* graph = build<Kind>(text, plotStyle, resolution);
    if (graph == nullptr) throw std::logic_error("no graph of the kind for " + text);
    graph->work(1);
    EXPECT_TRUE(graph->isComplete()) << text;
    return *graph;
  }
  [[nodiscard]] const PlaneMapping& mapping() const { return container.plane().mapping(); }

  ManualClock clock;
  CGraphContainer container{kWindow, clock};
};

} // namespace vexmar::test
