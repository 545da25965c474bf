#include "graph/space/space_builders.h"

#include "graph/equation_classifier.h"
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/space/parametric_curve_3d.h"
#include "graph/space/parametric_surface.h"
#include "graph/space/vector_field_3d.h"
#include "model/clock.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"

#include "../../text/text_form_builders.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vexmar {
namespace {

constexpr PixelRect kWindow{0, 0, 400, 600};

using namespace test::text;

std::string times(const std::string& a, const std::string& b) { return k("times", {a, b}); }
std::string plus(const std::string& a, const std::string& b) { return k("plus", {a, b}); }
const std::string kPhi = c("phi");

using Point = std::array<double, 3>;

Point spherical(double r, double theta, double phi) {
  return {r * std::cos(theta) * std::sin(phi), r * std::sin(theta) * std::sin(phi), r * std::cos(phi)};
}
Point cylindrical(double r, double theta, double z) { return {r * std::cos(theta), r * std::sin(theta), z}; }

// The components at (u, v) as the graphs evaluate them: a surface's grid puts u and v in x and y
// too, a curve reads u alone, a field reads x, y and z.
Point evaluate(const SpaceComponentTrees& trees, double u, double v, double w) {
  Point out{};
  const MathObject* parts[] = {trees.x.get(), trees.y.get(), trees.z.get()};
  for (std::size_t i = 0; i < 3; ++i) {
    Evaluator e(cloneTree(*parts[i]));
    compileBatch({&e});
    out[i] =
        trees.kind == SpaceGraphKind::VectorField ? e.evalUVXYZ(0, 0, u, v, w) : e.evalUVXYZ(u, v, u, v, 0);
  }
  return out;
}

// One equation of each form drawn in space, with its components written out by hand: of (u, v)
// for a surface, of u (as t) for a curve, of (x, y, z) for a field.
struct FormRow {
  const char* name;
  GraphForm form;
  std::string text;
  SpaceGraphKind kind;
  Coordinate uRange, vRange;
  Point (*expected)(double, double, double);
};

std::span<const FormRow> formRows() {
  const std::string x = c("x"), y = c("y"), z = c("z"), r = c("r"), t = c("t"), u = c("u"), v = c("v");
  using F = GraphForm;
  using C = Coordinate;
  constexpr SpaceGraphKind S = SpaceGraphKind::Surface, L = SpaceGraphKind::Curve,
                           A = SpaceGraphKind::VectorField;
  // clang-format off
  static const FormRow rows[] = {
      {"z = x y", F::ZOfXY, eq(z, times(x, y)), S, C::X, C::Y, [](double a, double b, double) { return Point{a, b, a * b}; }},
      {"x = y + 2 z", F::XOfYZ, eq(x, plus(y, times(n(2), z))), S, C::Y, C::Z, [](double a, double b, double) { return Point{a + 2 * b, a, b}; }},
      {"y = x z", F::YOfXZ, eq(y, times(x, z)), S, C::X, C::Z, [](double a, double b, double) { return Point{a, a * b, b}; }},
      {"r = theta phi", F::SphericalROfThetaPhi, eq(r, times(kTheta, kPhi)), S, C::Theta, C::Phi, [](double a, double b, double) { return spherical(a * b, a, b); }},
      {"theta = r phi", F::SphericalThetaOfRPhi, eq(kTheta, times(r, kPhi)), S, C::R, C::Phi, [](double a, double b, double) { return spherical(a, a * b, b); }},
      {"phi = r + theta", F::SphericalPhiOfRTheta, eq(kPhi, plus(r, kTheta)), S, C::R, C::Theta, [](double a, double b, double) { return spherical(a, b, a + b); }},
      {"r = theta + z", F::CylindricalROfThetaZ, eq(r, plus(kTheta, z)), S, C::Theta, C::Z, [](double a, double b, double) { return cylindrical(a + b, a, b); }},
      {"z = r theta", F::CylindricalZOfRTheta, eq(z, times(r, kTheta)), S, C::R, C::Theta, [](double a, double b, double) { return cylindrical(a, b, a * b); }},
      {"z = x + r", F::ZOfMixed, eq(z, plus(x, r)), S, C::X, C::Y, [](double a, double b, double) { return Point{a, b, a + std::hypot(a, b)}; }},
      {"theta = r z", F::CylindricalThetaOfRZ, eq(kTheta, times(r, z)), S, C::Z, C::R, [](double a, double b, double) { return cylindrical(b, a * b, a); }},
      {"[r, theta] = [t, 2 t]", F::PolarCurve, eq(vec({r, kTheta}), vec({t, times(n(2), t)})), L, C::T, C::T, [](double a, double, double) { return cylindrical(a, 2 * a, 0); }},
      {"[x, y, z] = [y, x z, 3]", F::VectorField3D, eq(vec({x, y, z}), vec({y, times(x, z), n(3)})), A, C::X, C::Y, [](double a, double b, double d) { return Point{b, a * d, 3}; }},
      {"[x, y] = [t, t t]", F::ParametricCurveXY, eq(vec({x, y}), vec({t, times(t, t)})), L, C::T, C::T, [](double a, double, double) { return Point{a, a * a, 0}; }},
      {"[x, y, z] = [t, 2, t t]", F::ParametricCurveXYZ, eq(vec({x, y, z}), vec({t, n(2), times(t, t)})), L, C::T, C::T, [](double a, double, double) { return Point{a, 2, a * a}; }},
      {"[r, theta, phi] = [2, t, 2 t]", F::SphericalCurve, eq(vec({r, kTheta, kPhi}), vec({n(2), t, times(n(2), t)})), L, C::T, C::T, [](double a, double, double) { return spherical(2, a, 2 * a); }},
      {"[r, theta, z] = [t, 2 t, 3]", F::CylindricalCurve, eq(vec({r, kTheta, z}), vec({t, times(n(2), t), n(3)})), L, C::T, C::T, [](double a, double, double) { return cylindrical(a, 2 * a, 3); }},
      {"[x, y, z] = [v, u, u v]", F::ParametricSurfaceXYZ, eq(vec({x, y, z}), vec({v, u, times(u, v)})), S, C::U, C::V, [](double a, double b, double) { return Point{b, a, a * b}; }},
      {"[r, theta, phi] = [u + v, u, v]", F::SphericalSurface, eq(vec({r, kTheta, kPhi}), vec({plus(u, v), u, v})), S, C::U, C::V, [](double a, double b, double) { return spherical(a + b, a, b); }},
      {"[r, theta, z] = [u, v, u v]", F::CylindricalSurface, eq(vec({r, kTheta, z}), vec({u, v, times(u, v)})), S, C::U, C::V, [](double a, double b, double) { return cylindrical(a, b, a * b); }},
      {"x y + r", F::ExpressionInXYRTheta, plus(times(x, y), r), S, C::X, C::Y, [](double a, double b, double) { return Point{a, b, a * b + std::hypot(a, b)}; }},
      {"r theta", F::ExpressionInXYRTheta, times(r, kTheta), S, C::R, C::Theta, [](double a, double b, double) { return cylindrical(a, b, a * b); }},
      {"3", F::ExpressionInXYRTheta, n(3), S, C::X, C::Y, [](double a, double b, double) { return Point{a, b, 3}; }},
  };
  // clang-format on
  return rows;
}

class SpaceBuildersTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
  void TearDown() override { resetNumericState(); }
  int build(const std::string& text) {
    const ObjectPtr tree = read(text);
    return tree ? buildGraph(container, *prepareForEvaluation(*tree), true, settings) : -2;
  }
  template <typename Kind> Kind* computed(int index) {
    auto* graph = dynamic_cast<Kind*>(container.space3D().graph(index));
    while (graph != nullptr && !graph->isComplete()) graph->compute(100);
    return graph;
  }

  ManualClock clock{0, 1};
  CGraphContainer container{kWindow, clock};
  GraphBuildSettings settings;
};

TEST_F(SpaceBuildersTest, EachFormBuildsItsKindWithItsCartesianComponents) {
  const Point samples[] = {{0.5, 1.25, -0.75}, {-1.5, 0.3, 2.0}, {2.0, -0.8, 0.1}};
  int index = 0;
  for (const FormRow& row : formRows()) {
    SCOPED_TRACE(row.name);
    const ObjectPtr tree = prepareForEvaluation(*read(row.text));
    ASSERT_EQ(classifyWithConditions(*tree, true), row.form) << "the row is of another form";
    const auto trees = spaceComponentTrees(row.form, *tree);
    ASSERT_TRUE(trees);
    EXPECT_EQ(trees->kind, row.kind);
    EXPECT_EQ(std::pair(trees->uRange, trees->vRange), std::pair(row.uRange, row.vRange));
    for (const Point& at : samples) {
      const Point got = evaluate(*trees, at[0], at[1], at[2]);
      const Point want = row.expected(at[0], at[1], at[2]);
      for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-12) << at[0] << " " << at[1] << " " << i;
    }

    ASSERT_EQ(buildGraph(container, *tree, true, settings), index);
    const CGraph3D* graph = container.space3D().graph(index++);
    const bool rightKind =
        row.kind == SpaceGraphKind::Surface ? dynamic_cast<const CParametricSurface*>(graph) != nullptr
        : row.kind == SpaceGraphKind::Curve ? dynamic_cast<const CParametricCurve3D*>(graph) != nullptr
                                            : dynamic_cast<const CVectorField3D*>(graph) != nullptr;
    EXPECT_TRUE(rightKind);
  }
  EXPECT_EQ(container.plane().graphCount(), 0);
  EXPECT_TRUE(container.is3DActive());
  // Implicit surfaces have no graph kind yet; a vector form without its vector makes nothing.
  EXPECT_EQ(build(eq(plus(times(c("x"), c("x")), times(c("y"), c("y"))), times(c("z"), c("z")))), -1);
  EXPECT_FALSE(
      spaceComponentTrees(GraphForm::VectorField3D, *read(eq(vec({c("x"), c("y"), c("z")}), c("x")))));
}

TEST_F(SpaceBuildersTest, APlaneCurveInASpaceDocumentIsACircleInTheXYPlane) {
  settings.resolutionA = 0.25;
  ASSERT_EQ(build(eq(vec({c("x"), c("y")}), vec({"cos[" + c("t") + "]", "sin[" + c("t") + "]"}))), 0);
  EXPECT_EQ(container.shownRanges(), (std::vector<int>{0, 1, 2, static_cast<int>(Coordinate::T)}));
  auto* curve = computed<CParametricCurve3D>(0);
  ASSERT_NE(curve, nullptr);
  EXPECT_EQ(curve->pointCount(), 400);
  // Radius 1 over the x and y ranges [-2, 2] is 0.5 box units.
  EXPECT_NEAR(curve->boundingRadius(), 0.5, 1e-12);
  for (const Vector3& p : curve->points()) {
    EXPECT_NEAR(std::hypot(p[0], p[1]), 0.5, 1e-12);
    EXPECT_EQ(p[2], 0.0);
  }
}

TEST_F(SpaceBuildersTest, ACurveConditionSpeaksOfT) {
  // [x, y, z] = [t, 0, 0], t < 0.5 over t in [0, 1]: the first half only.
  const std::string curve = eq(vec({c("x"), c("y"), c("z")}), vec({c("t"), n(0), n(0)}));
  ASSERT_EQ(build("comma[" + curve + ",lessthan[" + c("t") + ",over[" + n(1) + "," + n(2) + "]]]"), 0);
  auto* graph = computed<CParametricCurve3D>(0);
  ASSERT_NE(graph, nullptr);
  const auto flags = graph->validFlags();
  for (std::size_t i = 0; i < flags.size(); ++i)
    EXPECT_EQ(flags[i] == 1, static_cast<double>(i) / static_cast<double>(flags.size() - 1) < 0.5) << i;
}

TEST_F(SpaceBuildersTest, ASphereAndAConeAsDrawn) {
  // θ from 0 to 2π, φ from 0 to π, r from 0 to 2; x, y and z from -2 to 2, so that one unit is
  // half a box unit on every axis.
  const struct {
    const char* name;
    std::string text;
    std::vector<int> shown;
    double (*offSurface)(const Vector3&);
  } rows[] = {
      {"r = 1",
       eq(c("r"), n(1)),
       {0, 1, 2, 4, 5},
       [](const Vector3& p) { return std::hypot(p[0], p[1], p[2]) - 0.5; }},
      {"z = r",
       eq(c("z"), c("r")),
       {0, 1, 2, 3, 4},
       [](const Vector3& p) { return p[2] - std::hypot(p[0], p[1]); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    container.clearGraphs();
    container.showRange(-1);
    ASSERT_EQ(build(row.text), 0);
    EXPECT_EQ(container.shownRanges(), row.shown);
    auto* surface = computed<CParametricSurface>(0);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->gridSize(), 35);
    for (int i = 0; i < 35; ++i) {
      for (int j = 0; j < 35; ++j) {
        ASSERT_TRUE(surface->sample(i, j).valid) << i << " " << j;
        EXPECT_NEAR(row.offSurface(surface->sample(i, j).position), 0.0, 1e-12) << i << " " << j;
      }
    }
  }
}

} // namespace
} // namespace vexmar
