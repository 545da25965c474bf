#include "graph/graph_kinds.h"

#include "graph/graph_container.h"
#include "graph/plane/explicit_curve.h"
#include "graph/plane/parametric_curve_2d.h"
#include "model/clock.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vexmar {
namespace {

constexpr PixelRect kWindow{0, 0, 400, 600};

std::string c(const std::string& letter) { return "char[" + letter + "]"; }
std::string eq(const std::string& a, const std::string& b) { return "equal[" + a + "," + b + "]"; }
const std::string kSquareOfX = "power[" + c("x") + ",num[2,\"2\"]]";

ObjectPtr read(const std::string& text) {
  ObjectPtr tree = readObjectText(text);
  EXPECT_TRUE(tree) << "bad text form in the test: " << text;
  return tree;
}

TEST(GraphKindTableTest, FormsThatDrawAlikeShareAFactory) {
  // An expression in x alone is drawn as y = expression, and one in y alone as x = expression.
  const GraphKindFactory overX = graphKindFactory(GraphForm::ExplicitYOfX, false);
  const GraphKindFactory overY = graphKindFactory(GraphForm::ExplicitXOfY, false);
  ASSERT_NE(overX, nullptr);
  ASSERT_NE(overY, nullptr);
  EXPECT_NE(overX, overY);
  EXPECT_EQ(graphKindFactory(GraphForm::ExpressionInX, false), overX);
  EXPECT_EQ(graphKindFactory(GraphForm::ExpressionInY, false), overY);
}

TEST(GraphKindTableTest, NoFormIsBuiltWhereItCannotBeDrawn) {
  for (int code = 0; code < kGraphFormCount; ++code) {
    const auto form = static_cast<GraphForm>(code);
    SCOPED_TRACE(code);
    if (isSpaceOnlyForm(form)) {
      EXPECT_EQ(graphKindFactory(form, false), nullptr);
    }
  }
  for (const bool for3D : {false, true}) {
    EXPECT_EQ(graphKindFactory(GraphForm::None, for3D), nullptr);
    EXPECT_EQ(graphKindFactory(static_cast<GraphForm>(kGraphFormCount), for3D), nullptr);
    EXPECT_EQ(graphKindFactory(static_cast<GraphForm>(255), for3D), nullptr);
  }
}

class GraphKindFactoryTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
  void TearDown() override { resetNumericState(); }

  // Runs a factory on a request made by hand, as buildGraph would make it.
  int add(GraphKindFactory factory, const MathObject& equation, const MathObject* right, ColourRef colour) {
    auto style = std::make_unique<GraphStyle>();
    style->colour = colour;
    GraphKindRequest request{container, equation, right,   std::move(style), 1,
                             settings,  nullptr,  nullptr, nullptr};
    return factory(request);
  }
  const CExplicitCurve& curve(int index) {
    const auto* found = dynamic_cast<const CExplicitCurve*>(container.plane().graph(index));
    EXPECT_NE(found, nullptr);
    return *found;
  }

  ManualClock clock{0, 1};
  CGraphContainer container{kWindow, clock};
  GraphBuildSettings settings;
};

TEST_F(GraphKindFactoryTest, AnEquationAndItsRightSideAloneDrawTheSameCurve) {
  const ObjectPtr equation = read(eq(c("y"), kSquareOfX));
  const ObjectPtr expression = read(kSquareOfX);
  const GraphKindFactory factory = graphKindFactory(GraphForm::ExplicitYOfX, false);
  ASSERT_EQ(add(factory, *equation, equation->child(1), 0x0000FF), 0);
  ASSERT_EQ(add(factory, *expression, nullptr, 0x00FF00), 1);
  while (!container.plane().allComplete()) container.plane().work(1000);

  const CExplicitCurve& fromEquation = curve(0);
  const CExplicitCurve& fromExpression = curve(1);
  EXPECT_TRUE(fromEquation.overX());
  EXPECT_EQ(fromEquation.curveMode(), CExplicitCurve::Bounds);
  EXPECT_EQ(fromEquation.style().colour, 0x0000FFu);
  EXPECT_EQ(fromExpression.style().colour, 0x00FF00u);
  ASSERT_EQ(fromEquation.samples().size(), fromExpression.samples().size());
  ASSERT_FALSE(fromEquation.samples().empty());
  for (std::size_t i = 0; i < fromEquation.samples().size(); ++i) {
    const CurveSample& a = fromEquation.samples()[i];
    const CurveSample& b = fromExpression.samples()[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.low, b.low);
    EXPECT_EQ(a.high, b.high);
  }
}

TEST_F(GraphKindFactoryTest, BuildingShowsTheSpaceTheGraphWentInto) {
  container.setActive3D(true);
  const ObjectPtr surface = prepareForEvaluation(*read(eq(c("z"), "times[" + c("x") + "," + c("y") + "]")));
  EXPECT_EQ(buildGraph(container, *surface, true, settings), 0);
  EXPECT_TRUE(container.is3DActive());
  EXPECT_EQ(container.plane().graphCount(), 0);
  EXPECT_EQ(container.space3D().graphCount(), 1);

  const ObjectPtr parabola = prepareForEvaluation(*read(eq(c("y"), kSquareOfX)));
  EXPECT_EQ(buildGraph(container, *parabola, false, settings), 0);
  EXPECT_FALSE(container.is3DActive());
}

TEST_F(GraphKindFactoryTest, CurvesAlongAParameterRunOverTheRangeTheyShow) {
  const std::string pair = "matrix[2,1," + c("t") + ",sin[" + c("t") + "]]";
  const struct {
    const char* name;
    GraphForm form;
    std::string text;
    ParameterKind kind;
    Coordinate shown;
    bool inSpace; ///< also drawn as a curve in space
  } cases[] = {
      {"r = f(theta)", GraphForm::PolarROfTheta, eq(c("r"), c("theta")), ParameterKind::ROfTheta,
       Coordinate::Theta, false},
      {"theta = f(r)", GraphForm::PolarThetaOfR, eq(c("theta"), c("r")), ParameterKind::ThetaOfR,
       Coordinate::R, false},
      {"[r, theta] of t", GraphForm::PolarCurve, eq("matrix[2,1," + c("r") + "," + c("theta") + "]", pair),
       ParameterKind::RThetaOfT, Coordinate::T, true},
      {"[x, y] of t", GraphForm::ParametricCurveXY, eq("matrix[2,1," + c("x") + "," + c("y") + "]", pair),
       ParameterKind::XYOfT, Coordinate::T, true},
  };
  settings.resolutionA = 0.25;
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    container.clearGraphs();
    container.showRange(-1);
    container.setActive3D(true);
    const ObjectPtr equation = read(row.text);
    const GraphKindFactory factory = graphKindFactory(row.form, false);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(graphKindFactory(row.form, true) != nullptr, row.inSpace);
    ASSERT_EQ(add(factory, *equation, equation->child(1), 0x0000FF), 0);
    EXPECT_FALSE(container.is3DActive());
    EXPECT_EQ(container.shownRanges(), std::vector<int>{static_cast<int>(row.shown)});
    const auto* curve = dynamic_cast<const CParametricCurve2D*>(container.plane().graph(0));
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->parameterKind(), row.kind);
    EXPECT_EQ(curve->samples().size(), 400u);
    EXPECT_EQ(curve->style().colour, 0x0000FFu);
  }
}

} // namespace
} // namespace vexmar
