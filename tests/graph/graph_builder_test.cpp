#include "graph/graph_builder.h"

#include "graph/graph_container.h"
#include "graph/plane/explicit_curve.h"
#include "model/clock.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexmar {
namespace {

constexpr PixelRect kWindow{0, 0, 400, 600};

std::string c(const std::string& letter) { return "char[" + letter + "]"; }
std::string n(int v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
std::string eq(const std::string& a, const std::string& b) { return "equal[" + a + "," + b + "]"; }
std::string sq(const std::string& a) { return "power[" + a + "," + n(2) + "]"; }
const std::string kTheta = "char[theta]";

ObjectPtr read(const std::string& text) {
  ObjectPtr tree = readObjectText(text);
  EXPECT_TRUE(tree) << "bad text form in the test: " << text;
  return tree;
}

double evaluateAt(const MathObject& tree, double x, double y) {
  Evaluator evaluator(cloneTree(tree));
  compileBatch({&evaluator});
  return evaluator.evalUVXYZ(0, 0, x, y, 0);
}

class GraphBuilderTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
  int build(const std::string& text, GraphBuildSettings settings = {}) {
    const ObjectPtr tree = read(text);
    if (!tree) return -2;
    const ObjectPtr prepared = prepareForEvaluation(*tree);
    return buildGraph(container, *prepared, false, settings);
  }

  ManualClock clock{0, 1};
  CGraphContainer container{kWindow, clock};
};

TEST_F(GraphBuilderTest, AChainSplitsIntoPairwiseComparisonsAndABoundaryProduct) {
  // 0 < x < y
  const ObjectPtr chain = read("lessthan[" + n(0) + "," + c("x") + "," + c("y") + "]");
  const ConditionTrees split = splitInequality(*chain);
  ASSERT_TRUE(split.conjunction && split.boundary);
  ASSERT_EQ(split.conjunction->kind, ObjectKind::wedge);
  ASSERT_EQ(split.conjunction->childCount(), 2);
  EXPECT_EQ(split.conjunction->child(0)->kind, ObjectKind::lessthan);
  EXPECT_EQ(split.conjunction->child(1)->kind, ObjectKind::lessthan);
  EXPECT_EQ(split.boundary->kind, ObjectKind::times);
  // (0 - x)(x - y) at x = 2, y = 5.
  EXPECT_DOUBLE_EQ(evaluateAt(*split.boundary, 2, 5), 6.0);
  EXPECT_EQ(evaluateAt(*split.conjunction, 2, 5), 1.0);
  EXPECT_EQ(evaluateAt(*split.conjunction, 6, 5), 0.0);

  // A single comparison stays a single comparison.
  const ObjectPtr single = read("greaterthan[" + c("x") + "," + n(1) + "]");
  const ConditionTrees one = splitInequality(*single);
  ASSERT_TRUE(one.conjunction);
  EXPECT_EQ(one.conjunction->kind, ObjectKind::greaterthan);
  EXPECT_DOUBLE_EQ(evaluateAt(*one.boundary, 4, 0), 3.0);
}

TEST_F(GraphBuilderTest, ExplicitFormsBuildCurvesIndexedInListOrder) {
  EXPECT_EQ(build(eq(c("y"), sq(c("x")))), 0);              // y = x^2
  EXPECT_EQ(build(eq(c("x"), sq(c("y")))), 1);              // x = y^2
  EXPECT_EQ(build(eq(sq(c("y")), c("x"))), 2);              // y^2 = x, sides exchanged
  EXPECT_EQ(build("plus[" + c("x") + "," + n(1) + "]"), 3); // x + 1
  EXPECT_EQ(build(n(3)), 4);                                // the line y = 3
  EXPECT_EQ(container.plane().graphCount(), 5);
  EXPECT_FALSE(container.is3DActive());
  const bool overX[] = {true, false, false, true, true};
  for (int i = 0; i < 5; ++i) {
    const auto* curve = dynamic_cast<const CExplicitCurve*>(container.plane().graph(i));
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->overX(), overX[i]) << "graph " << i;
  }
}

TEST_F(GraphBuilderTest, FormsWithoutAGraphKindAndUngraphableEquationsBuildNothing) {
  EXPECT_EQ(build("comma[" + eq(c("y"), c("x")) + ",greaterthan[" + c("x") + "," + n(0) + "]]"), -1);
  EXPECT_EQ(build(eq(c("y"), "prompt[]")), -1);
  EXPECT_EQ(container.plane().graphCount(), 0);
}

TEST_F(GraphBuilderTest, StyleFollowsTheColourIndex) {
  ASSERT_EQ(build(eq(c("y"), c("x")), {3.0}), 0);
  EXPECT_EQ(container.plane().graph(0)->style().colour, 0xFF0000u);
}

TEST_F(GraphBuilderTest, ParametersAreRegistered) {
  ASSERT_EQ(build(eq(c("y"), "times[" + c("a") + "," + c("x") + "]")), 0);
  ASSERT_NE(numericState().parameters.find("a"), nullptr);
  EXPECT_TRUE(numericState().parameters.find("a")->inUse);
}

// Letters used only after the comma are parameters as well, listed with the value every new
// parameter starts with; a colour formula's own letters (r, g, b) are not.
TEST_F(GraphBuilderTest, LettersOfConditionsAndColourFormulasAreRegistered) {
  const std::string equation = eq(c("z"), "times[" + c("x") + "," + c("y") + "]");
  const std::string colours =
      eq("matrix[3,1,char[r],char[g],char[b]]", "matrix[3,1," + c("k") + "," + n(0) + ",char[x]]");
  const struct {
    const char* name;
    std::string text;
    bool for3D;
    std::vector<std::string> listed;
  } rows[] = {
      {"a condition",
       "comma[" + eq(c("y"), c("x")) + ",lessthan[" + c("x") + "," + c("a") + "]]",
       false,
       {"a"}},
      {"a chain of conditions",
       "comma[" + eq(c("y"), "times[" + c("m") + "," + c("x") + "]") + ",lessthan[" + c("a") + "," + c("x") +
           "," + c("b") + "]]",
       false,
       {"m", "a", "b"}},
      {"a colour formula and a condition",
       "comma[" + equation + "," + colours + ",greaterthan[" + c("x") + "," + c("q") + "]]",
       true,
       {"k", "q"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    resetNumericState();
    const ObjectPtr tree = read(row.text);
    ASSERT_TRUE(tree);
    (void)buildGraph(container, *prepareForEvaluation(*tree), row.for3D, {});
    std::vector<std::string> listed;
    for (const Parameter& p : numericState().parameters.all()) {
      listed.push_back(p.name);
      EXPECT_EQ(p.valueText, "1") << p.name;
      EXPECT_TRUE(p.inUse) << p.name;
    }
    EXPECT_EQ(listed, row.listed);
  }
}

} // namespace
} // namespace vexmar

namespace vexmar {
namespace {

TEST_F(GraphBuilderTest, ReadoutFollowsTheCurveAndSnapsToACrossing) {
  // y = x and y = 2 - x cross at (1, 1).
  ASSERT_EQ(build(eq(c("y"), c("x"))), 0);
  ASSERT_EQ(build(eq(c("y"), "plus[" + n(2) + ",minus[" + c("x") + "]]")), 1);
  CGraphPlane& plane = container.plane();
  while (!plane.allComplete()) plane.work(1000);

  // On y = x at x = 0.5, far from the crossing: the readout shows the curve's own point.
  const PlaneMapping& m = plane.mapping();
  const PixelPoint onFirst{m.columnOf(0.5), m.rowOf(0.5)};
  plane.mouseDown(onFirst, 0, false);
  ASSERT_EQ(plane.dragMode(), DragMode::Reading);
  EXPECT_NEAR(plane.readout().x, 0.5, m.unitsPerPixelX);
  EXPECT_NEAR(plane.readout().y, 0.5, 2 * m.unitsPerPixelX);
  ASSERT_GE(plane.readout().lineCount, 2);
  EXPECT_EQ(plane.readout().lines[0].label, "x: ");

  // Two pixels from the crossing the readout moves onto it.
  const PixelPoint nearCrossing{m.columnOf(1.0) + 2, m.rowOf(1.0) - 2};
  plane.mouseMove(nearCrossing, onFirst);
  EXPECT_NEAR(plane.readout().x, 1.0, 1e-9);
  EXPECT_NEAR(plane.readout().y, 1.0, 1e-9);
  plane.mouseUp(nearCrossing);
}

} // namespace
} // namespace vexmar
