#include "graph/plane/vector_field_2d.h"

#include "../../raster/canvas.h"
#include "grid_graph_fixture.h"
#include "raster/drawing_port.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vexmar {
namespace {

using namespace test;

using VectorField2DTest = GridGraphTest;

TEST_F(VectorField2DTest, SpacingAndGridFollowTheResolution) {
  struct Row {
    double resolution;
    int spacing;
    int columns;
    int rows;
  };
  // 600 x 400 pixels, the first point half a spacing in from the top left.
  for (const Row row : {Row{1.0, 10, 60, 40}, Row{0.0, 100, 6, 4}, Row{0.5, 55, 11, 7}, Row{-2.0, 100, 6, 4},
                        Row{9.0, 10, 60, 40}}) {
    SCOPED_TRACE(row.resolution);
    auto& field = completed<CVectorField2D>(fieldIs(X, Y), 1.0, row.resolution);
    EXPECT_EQ(field.spacing(), row.spacing);
    EXPECT_EQ(field.columns(), row.columns);
    EXPECT_EQ(field.rows(), row.rows);
    EXPECT_EQ(field.gridPoint(0, 0), (PixelPoint{row.spacing / 2, row.spacing / 2}));
  }
  // Twice the device pixels of the same view: the same arrows, twice as far apart in pixels.
  container.plane().setPixelRatio(2.0);
  auto& sharp = completed<CVectorField2D>(fieldIs(X, Y), 1.0, 0.0);
  EXPECT_EQ(sharp.spacing(), 200);
  EXPECT_EQ(sharp.columns(), 3);
}

TEST_F(VectorField2DTest, ArrowsPointAlongTheFieldAndTheLongestIsOneSpacing) {
  struct Row {
    const char* name;
    std::string text;
  };
  const std::string r2 = f("plus", f("power", X, n(2)), f("power", Y, n(2)));
  for (const Row& row : {Row{"[-y, x]", fieldIs(f("minus", Y), X)},
                         Row{"[x, y] / r^2", fieldIs(f("over", X, r2), f("over", Y, r2))},
                         Row{"[1, sin x]", fieldIs(n(1), f("sin", X))},
                         Row{"[x y, sin x]", fieldIs(f("times", Y, X), f("sin", X))}}) {
    SCOPED_TRACE(row.name);
    auto& field = completed<CVectorField2D>(row.text, 1.0, 0.8);
    EXPECT_EQ(field.status(), GraphStatus::None);
    double longest = 0.0;
    for (int j = 0; j < field.rows(); ++j) {
      for (int i = 0; i < field.columns(); ++i) {
        const FieldSample& s = field.samples()[static_cast<std::size_t>(j * field.columns() + i)];
        double headColumn = 0.0, headRow = 0.0;
        ASSERT_TRUE(field.arrowHead(i, j, headColumn, headRow));
        const PixelPoint p = field.gridPoint(i, j);
        const double dx = headColumn - p.x;
        const double dy = p.y - headRow; // rows grow downward
        // Parallel to the field and pointing its way.
        EXPECT_NEAR(dx * s.g - dy * s.f, 0.0, 1e-9 * std::hypot(s.f, s.g) * field.spacing());
        EXPECT_GE(dx * s.f + dy * s.g, 0.0);
        longest = std::max(longest, std::hypot(dx, dy));
      }
    }
    EXPECT_NEAR(longest, field.spacing(), 1e-9);
  }
}

TEST_F(VectorField2DTest, UndefinedFieldsReportIt) {
  const std::string undefined = f("sqrt", f("minus", n(1)));
  EXPECT_EQ(completed<CVectorField2D>(fieldIs(undefined, n(1)), 1.0, 0.5).status(),
            GraphStatus::UndefinedInRegion);
  EXPECT_EQ(completed<CVectorField2D>(fieldIs(n(1), undefined), 1.0, 0.5).status(),
            GraphStatus::UndefinedInRegion);
  // Defined on half the plane is a graph.
  EXPECT_EQ(completed<CVectorField2D>(fieldIs(f("sqrt", X), n(1)), 1.0, 0.5).status(), GraphStatus::None);
  // A field of zeros has arrows of no length, but arrows.
  auto& zero = completed<CVectorField2D>(fieldIs(n(0), n(0)), 1.0, 0.5);
  EXPECT_EQ(zero.status(), GraphStatus::None);
  double headColumn = 0.0, headRow = 0.0;
  ASSERT_TRUE(zero.arrowHead(1, 1, headColumn, headRow));
  EXPECT_EQ(headColumn, zero.gridPoint(1, 1).x);
  EXPECT_EQ(headRow, zero.gridPoint(1, 1).y);
}

TEST_F(VectorField2DTest, DrawsArrowsWithADotAtTheHead) {
  auto& field = completed<CVectorField2D>(fieldIs(n(1), n(0)), 1.0, 0.0);
  test::Canvas canvas(PixelFormatCode::Xrgb8888, 600, 400);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  field.draw(port);
  const Rgb colour = colourOf(field.style());
  // Every arrow runs 100 pixels to the right, to the next grid point, with a 3 x 3 dot around its end.
  const PixelPoint p = field.gridPoint(0, 1);
  for (int x = p.x; x <= p.x + 100; ++x) EXPECT_FALSE(canvas.isBackground(x, p.y)) << x;
  EXPECT_EQ(canvas.rgb(p.x + 50, p.y), colour);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) EXPECT_FALSE(canvas.isBackground(p.x + 100 + dx, p.y + dy));
  EXPECT_EQ(canvas.rgb(p.x + 101, p.y + 1), colour);
  EXPECT_TRUE(canvas.isBackground(p.x - 1, p.y));
  EXPECT_TRUE(canvas.isBackground(p.x + 102, p.y + 2));
  EXPECT_TRUE(canvas.guardsIntact());
}

TEST_F(VectorField2DTest, ParameterAndResolutionChangesStartAgain) {
  auto& field = completed<CVectorField2D>(fieldIs(f("sqrt", c("a")), n(1)), 1.0, 0.5);
  EXPECT_EQ(field.status(), GraphStatus::None);
  container.parameterChanged('a', -1.0);
  EXPECT_FALSE(field.isComplete());
  field.work(1);
  EXPECT_EQ(field.status(), GraphStatus::UndefinedInRegion);
  container.plane().setProperty(GraphProperty::Resolution, 1.0, 0);
  field.work(1);
  EXPECT_EQ(field.spacing(), 10);

  // In slices as in one go.
  clock.setStepPerReading(1);
  container.parameterChanged('a', 4.0);
  int slices = 0;
  while (!field.isComplete() && slices < 10000) {
    field.work(3);
    ++slices;
  }
  EXPECT_GT(slices, 10);
  EXPECT_EQ(field.status(), GraphStatus::None);
  EXPECT_DOUBLE_EQ(field.largestMagnitude(), std::hypot(2.0, 1.0));
}

} // namespace
} // namespace vexmar
