#include "graph/space/space_builders.h"

#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/space/parametric_curve_3d.h"
#include "graph/space/vector_field_3d.h"
#include "model/clock.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"

#include "../../text/text_form_builders.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
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

class SpaceBuildersTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
  void TearDown() override { resetNumericState(); }
  int build(const std::string& text, GraphBuildSettings settings = {}) {
    const ObjectPtr tree = read(text);
    if (!tree) return -2;
    return buildGraph(container, *prepareForEvaluation(*tree), true, settings);
  }

  ManualClock clock{0, 1};
  CGraphContainer container{kWindow, clock};
  GraphBuildSettings settings;
};

TEST_F(SpaceBuildersTest, EachFormGivesItsCartesianComponents) {
  const std::string x = c("x"), y = c("y"), z = c("z"), r = c("r"), t = c("t"), u = c("u"), v = c("v");
  const struct {
    const char* name;
    GraphForm form;
    std::string text;
    SpaceGraphKind kind;
    Coordinate uRange, vRange;
    std::function<Point(double, double, double)> expected;
  } rows[] = {
      {"z = x y", GraphForm::ZOfXY, eq(z, times(x, y)), SpaceGraphKind::Surface, Coordinate::X, Coordinate::Y,
       [](double a, double b, double) {
         return Point{a, b, a * b};
       }},
      {"x = y + 2 z", GraphForm::XOfYZ, eq(x, plus(y, times(n(2), z))), SpaceGraphKind::Surface,
       Coordinate::Y, Coordinate::Z,
       [](double a, double b, double) {
         return Point{a + 2 * b, a, b};
       }},
      {"y = x z", GraphForm::YOfXZ, eq(y, times(x, z)), SpaceGraphKind::Surface, Coordinate::X, Coordinate::Z,
       [](double a, double b, double) {
         return Point{a, a * b, b};
       }},
      {"r = theta phi", GraphForm::SphericalROfThetaPhi, eq(r, times(kTheta, kPhi)), SpaceGraphKind::Surface,
       Coordinate::Theta, Coordinate::Phi, [](double a, double b, double) { return spherical(a * b, a, b); }},
      {"theta = r phi", GraphForm::SphericalThetaOfRPhi, eq(kTheta, times(r, kPhi)), SpaceGraphKind::Surface,
       Coordinate::R, Coordinate::Phi, [](double a, double b, double) { return spherical(a, a * b, b); }},
      {"phi = r + theta", GraphForm::SphericalPhiOfRTheta, eq(kPhi, plus(r, kTheta)), SpaceGraphKind::Surface,
       Coordinate::R, Coordinate::Theta, [](double a, double b, double) { return spherical(a, b, a + b); }},
      {"r = theta + z", GraphForm::CylindricalROfThetaZ, eq(r, plus(kTheta, z)), SpaceGraphKind::Surface,
       Coordinate::Theta, Coordinate::Z, [](double a, double b, double) { return cylindrical(a + b, a, b); }},
      {"z = r theta", GraphForm::CylindricalZOfRTheta, eq(z, times(r, kTheta)), SpaceGraphKind::Surface,
       Coordinate::R, Coordinate::Theta, [](double a, double b, double) { return cylindrical(a, b, a * b); }},
      {"z = x + r", GraphForm::ZOfMixed, eq(z, plus(x, r)), SpaceGraphKind::Surface, Coordinate::X,
       Coordinate::Y,
       [](double a, double b, double) {
         return Point{a, b, a + std::hypot(a, b)};
       }},
      {"theta = r z", GraphForm::CylindricalThetaOfRZ, eq(kTheta, times(r, z)), SpaceGraphKind::Surface,
       Coordinate::Z, Coordinate::R, [](double a, double b, double) { return cylindrical(b, a * b, a); }},
      {"[r, theta] = [t, 2 t]", GraphForm::PolarCurve, eq(vec({r, kTheta}), vec({t, times(n(2), t)})),
       SpaceGraphKind::Curve, Coordinate::T, Coordinate::T,
       [](double a, double, double) { return cylindrical(a, 2 * a, 0); }},
      {"[x, y, z] = [y, x z, 3]", GraphForm::VectorField3D, eq(vec({x, y, z}), vec({y, times(x, z), n(3)})),
       SpaceGraphKind::VectorField, Coordinate::X, Coordinate::Y,
       [](double a, double b, double d) {
         return Point{b, a * d, 3};
       }},
      {"[x, y] = [t, t t]", GraphForm::ParametricCurveXY, eq(vec({x, y}), vec({t, times(t, t)})),
       SpaceGraphKind::Curve, Coordinate::T, Coordinate::T,
       [](double a, double, double) {
         return Point{a, a * a, 0};
       }},
      {"[x, y, z] = [t, 2, t t]", GraphForm::ParametricCurveXYZ,
       eq(vec({x, y, z}), vec({t, n(2), times(t, t)})), SpaceGraphKind::Curve, Coordinate::T, Coordinate::T,
       [](double a, double, double) {
         return Point{a, 2, a * a};
       }},
      {"[r, theta, phi] = [2, t, 2 t]", GraphForm::SphericalCurve,
       eq(vec({r, kTheta, kPhi}), vec({n(2), t, times(n(2), t)})), SpaceGraphKind::Curve, Coordinate::T,
       Coordinate::T, [](double a, double, double) { return spherical(2, a, 2 * a); }},
      {"[r, theta, z] = [t, 2 t, 3]", GraphForm::CylindricalCurve,
       eq(vec({r, kTheta, z}), vec({t, times(n(2), t), n(3)})), SpaceGraphKind::Curve, Coordinate::T,
       Coordinate::T, [](double a, double, double) { return cylindrical(a, 2 * a, 3); }},
      {"[x, y, z] = [v, u, u v]", GraphForm::ParametricSurfaceXYZ,
       eq(vec({x, y, z}), vec({v, u, times(u, v)})), SpaceGraphKind::Surface, Coordinate::U, Coordinate::V,
       [](double a, double b, double) {
         return Point{b, a, a * b};
       }},
      {"[r, theta, phi] = [u + v, u, v]", GraphForm::SphericalSurface,
       eq(vec({r, kTheta, kPhi}), vec({plus(u, v), u, v})), SpaceGraphKind::Surface, Coordinate::U,
       Coordinate::V, [](double a, double b, double) { return spherical(a + b, a, b); }},
      {"[r, theta, z] = [u, v, u v]", GraphForm::CylindricalSurface,
       eq(vec({r, kTheta, z}), vec({u, v, times(u, v)})), SpaceGraphKind::Surface, Coordinate::U,
       Coordinate::V, [](double a, double b, double) { return cylindrical(a, b, a * b); }},
      {"x y + r", GraphForm::ExpressionInXYRTheta, plus(times(x, y), r), SpaceGraphKind::Surface,
       Coordinate::X, Coordinate::Y,
       [](double a, double b, double) {
         return Point{a, b, a * b + std::hypot(a, b)};
       }},
      {"r theta", GraphForm::ExpressionInXYRTheta, times(r, kTheta), SpaceGraphKind::Surface, Coordinate::R,
       Coordinate::Theta, [](double a, double b, double) { return cylindrical(a, b, a * b); }},
      {"3", GraphForm::ExpressionInXYRTheta, n(3), SpaceGraphKind::Surface, Coordinate::X, Coordinate::Y,
       [](double a, double b, double) {
         return Point{a, b, 3};
       }},
  };
  const Point samples[] = {{0.5, 1.25, -0.75}, {-1.5, 0.3, 2.0}, {2.0, -0.8, 0.1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ObjectPtr equation = read(row.text);
    ASSERT_TRUE(equation);
    const auto trees = spaceComponentTrees(row.form, *equation);
    ASSERT_TRUE(trees);
    EXPECT_EQ(trees->kind, row.kind);
    if (row.kind == SpaceGraphKind::Surface) {
      EXPECT_EQ(trees->uRange, row.uRange);
      EXPECT_EQ(trees->vRange, row.vRange);
    }
    for (const Point& at : samples) {
      const Point got = evaluate(*trees, at[0], at[1], at[2]);
      const Point want = row.expected(at[0], at[1], at[2]);
      for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-12) << at[0] << " " << at[1] << " " << i;
    }
  }
}

TEST_F(SpaceBuildersTest, FormsNotDrawnByComponentsHaveNone) {
  const ObjectPtr implicit = read(eq(times(c("x"), c("y")), c("z")));
  EXPECT_FALSE(spaceComponentTrees(GraphForm::ImplicitSurface, *implicit));
  EXPECT_FALSE(spaceComponentTrees(GraphForm::ExplicitYOfX, *implicit));
  // A vector form whose right side is no vector is refused rather than read out of bounds.
  const ObjectPtr notVector = read(eq(vec({c("x"), c("y"), c("z")}), c("x")));
  EXPECT_FALSE(spaceComponentTrees(GraphForm::VectorField3D, *notVector));
}

TEST_F(SpaceBuildersTest, ASphereAndAConeInSpace) {
  // r = 1 puts every point at distance 1; z = r puts every point on the cone z = √(x² + y²).
  const ObjectPtr sphere = read(eq(c("r"), n(1)));
  const ObjectPtr cone = read(eq(c("z"), c("r")));
  const auto sphereTrees = spaceComponentTrees(GraphForm::SphericalROfThetaPhi, *sphere);
  const auto coneTrees = spaceComponentTrees(GraphForm::CylindricalZOfRTheta, *cone);
  ASSERT_TRUE(sphereTrees && coneTrees);
  for (double a = 0.1; a < 3; a += 0.7) {
    for (double b = 0.2; b < 3; b += 0.9) {
      const Point p = evaluate(*sphereTrees, a, b, 0);
      EXPECT_NEAR(std::hypot(p[0], p[1], p[2]), 1.0, 1e-12);
      const Point q = evaluate(*coneTrees, a, b, 0);
      EXPECT_NEAR(q[2], std::hypot(q[0], q[1]), 1e-12);
    }
  }
}

TEST_F(SpaceBuildersTest, APlaneCurveInASpaceDocumentIsACircleInTheXYPlane) {
  settings.resolutionA = 0.25;
  ASSERT_EQ(build(eq(vec({c("x"), c("y")}), vec({"cos[" + c("t") + "]", "sin[" + c("t") + "]"})), settings),
            0);
  EXPECT_TRUE(container.is3DActive());
  EXPECT_EQ(container.plane().graphCount(), 0);
  const std::vector<int> shown{0, 1, 2, static_cast<int>(Coordinate::T)};
  EXPECT_EQ(container.shownRanges(), shown);
  auto* curve = dynamic_cast<CParametricCurve3D*>(container.space3D().graph(0));
  ASSERT_NE(curve, nullptr);
  EXPECT_EQ(curve->pointCount(), 400);
  while (!curve->isComplete()) curve->compute(100);
  // Radius 1 over the x and y ranges [-2, 2] is 0.5 box units.
  for (const Vector3& p : curve->points()) {
    EXPECT_NEAR(std::hypot(p[0], p[1]), 0.5, 1e-12);
    EXPECT_EQ(p[2], 0.0);
  }
}

TEST_F(SpaceBuildersTest, ACurveConditionSpeaksOfT) {
  // [x, y, z] = [t, 0, 0], t < 0.5 over t in [0, 1]: the first half only.
  const std::string curve = eq(vec({c("x"), c("y"), c("z")}), vec({c("t"), n(0), n(0)}));
  ASSERT_EQ(build("comma[" + curve + ",lessthan[" + c("t") + ",over[" + n(1) + "," + n(2) + "]]]"), 0);
  auto* graph = dynamic_cast<CParametricCurve3D*>(container.space3D().graph(0));
  ASSERT_NE(graph, nullptr);
  while (!graph->isComplete()) graph->compute(100);
  const auto flags = graph->validFlags();
  const std::size_t last = flags.size() - 1;
  for (std::size_t i = 0; i < flags.size(); ++i)
    EXPECT_EQ(flags[i] == 1, static_cast<double>(i) / static_cast<double>(last) < 0.5) << i;
}

TEST_F(SpaceBuildersTest, AVectorFieldGoesIntoSpace) {
  settings.resolutionA = 1.0;
  const std::string field = eq(vec({c("x"), c("y"), c("z")}), vec({c("y"), "minus[" + c("x") + "]", n(0)}));
  ASSERT_EQ(build(field, settings), 0);
  ASSERT_EQ(build(field, settings), 1);
  auto* arrows = dynamic_cast<CVectorField3D*>(container.space3D().graph(1));
  ASSERT_NE(arrows, nullptr);
  EXPECT_EQ(arrows->latticeSize(), 16);
  EXPECT_TRUE(container.is3DActive());
  const std::vector<int> shown{0, 1, 2};
  EXPECT_EQ(container.shownRanges(), shown);
}

} // namespace
} // namespace vexmar
