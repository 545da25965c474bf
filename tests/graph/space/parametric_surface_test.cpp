#include "graph/space/parametric_surface.h"

#include "graph/space/graph_space_3d.h"
#include "model/clock.h"
#include "numeric/numeric_state.h"
#include "raster/frame_buffer.h"
#include "raster/rasteriser.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vexmar {
namespace {

const std::string U = "char[u]";
const std::string V = "char[v]";
std::string num(double v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
std::string f(const std::string& name, const std::string& a, const std::string& b) {
  return name + "[" + a + "," + b + "]";
}
std::string square(const std::string& a) { return f("power", a, num(2)); }
std::string minusOf(const std::string& a) { return "minus[" + a + "]"; }

std::unique_ptr<Evaluator> formula(const std::string& text) {
  if (text.empty()) return nullptr;
  ObjectPtr tree = readObjectText(text);
  EXPECT_TRUE(tree) << "bad text form in the test: " << text;
  return tree ? std::make_unique<Evaluator>(std::move(tree)) : nullptr;
}

constexpr int kWidth = 200;
constexpr int kHeight = 200;

// Surfaces over u and v in [-1, 1] in the default box [-2, 2]³, on a clock that stands still
// unless a test moves it, so that any positive budget runs sampling to the end.
struct SurfaceTest : ::testing::Test {
  SurfaceTest() {
    resetNumericState();
    space.ranges[1] = space.ranges[2] = {-1, 1};
    // Looking along -x with z up: the surface (0, u, v) faces the camera, u to the right, and
    // fills most of the frame.
    camera.update(kIdentity3, kWidth, kHeight, 0.6, 1.2);
    (void)buffer.resize(kWidth, kHeight);
  }
  ~SurfaceTest() override { resetNumericState(); }

  std::unique_ptr<CParametricSurface> make(const std::string& x, const std::string& y, const std::string& z,
                                           const std::string& condition = "", double resolution = 1,
                                           std::unique_ptr<GraphStyle> style = nullptr) {
    return std::make_unique<CParametricSurface>(
        space, SpaceComponents{formula(x), formula(y), formula(z)}, formula(condition), std::move(style),
        space.heldRange(Coordinate::U), space.heldRange(Coordinate::V), resolution, 0.25);
  }
  std::unique_ptr<CParametricSurface> facing(const std::string& condition = "", double resolution = 0) {
    auto surface = make(num(0), U, V, condition, resolution);
    surface->compute(1);
    return surface;
  }
  // Draws into a white frame; returns the triangle counter.
  long long draw(CParametricSurface& surface) {
    (void)buffer.beginFrame({255, 255, 255});
    (void)buffer.beginDrawing();
    Rasteriser rasteriser({buffer.target(), buffer.depthBuffer()});
    counters = {};
    surface.render({rasteriser, camera, SurfaceLighting{{0.6, 0, 0.8}, {1, 0, 0}}, counters});
    buffer.endDrawing();
    (void)buffer.endFrame();
    return counters.trianglesDrawn;
  }
  // The pixel where the point (u, v) of a facing surface is drawn.
  [[nodiscard]] PixelPoint pixelAt(double u, double v) const {
    const ProjectedPoint p = camera.project({0, u / 2, v / 2});
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
  }
  [[nodiscard]] bool painted(PixelPoint p) const {
    return buffer.pixel(p.x, p.y) != buffer.backgroundPixel();
  }

  ManualClock clock;
  CGraphSpace3D space{PixelRect{0, 0, kHeight, kWidth}, &clock};
  Camera camera;
  FrameBuffer buffer;
  SpaceFrameCounters counters;
};

TEST_F(SurfaceTest, StatusSaysWhetherAnythingIsDrawn) {
  struct Row {
    const char* name;
    std::string z;
    std::string condition;
    GraphStatus status;
  };
  const Row rows[] = {
      {"plain", f("plus", U, V), "", GraphStatus::None},
      {"root of a negative everywhere",
       "sqrt[" + f("plus", num(-1), f("plus", minusOf(square(U)), minusOf(square(V)))) + "]", "",
       GraphStatus::UndefinedOrInfiniteForRanges},
      {"condition never exactly one", U, f("greaterthan", U, num(5)),
       GraphStatus::UndefinedOrInfiniteForRanges},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto surface = make(U, V, row.z, row.condition, 0);
    EXPECT_EQ(surface->status(), GraphStatus::UndefinedOrInfiniteForRanges) << "nothing sampled yet";
    surface->compute(1);
    EXPECT_TRUE(surface->isComplete());
    EXPECT_EQ(surface->status(), row.status);
    const bool drawn = row.status == GraphStatus::None;
    EXPECT_EQ(draw(*surface) > 0, drawn);
    EXPECT_EQ(counters.verticesProcessed, 25);
  }
}

TEST_F(SurfaceTest, ResolutionSetsTheGridAndAChangeStartsAgain) {
  const std::pair<double, int> rows[] = {{0, 5}, {1, 65}, {0.5, 35}};
  for (const auto& [resolution, n] : rows) {
    auto surface = make(U, V, U, "", resolution);
    EXPECT_EQ(surface->gridSize(), n) << resolution;
  }
  auto surface = facing();
  surface->setOption(Graph3DOption::Resolution, 1);
  EXPECT_EQ(surface->gridSize(), 65);
  EXPECT_FALSE(surface->isComplete());
  EXPECT_FALSE(surface->sample(0, 0).valid);
  surface->compute(1);
  EXPECT_TRUE(surface->sample(64, 64).valid);
  EXPECT_EQ(draw(*surface), 2 * 64 * 64);
}

TEST_F(SurfaceTest, ConditionCutsAHoleOfSingleTriangles) {
  // Only the middle sample (0, 0) of the 5 x 5 grid fails; its four cells keep one triangle each,
  // the half away from it.
  const std::string away = f("greaterthan", f("plus", square(U), square(V)), num(0.001));
  auto whole = facing();
  EXPECT_EQ(draw(*whole), 2 * 16);
  EXPECT_TRUE(painted(pixelAt(0.2, 0.2)));
  auto holed = facing(away);
  EXPECT_FALSE(holed->sample(2, 2).valid);
  EXPECT_EQ(draw(*holed), 2 * 12 + 4);
  for (const auto& [u, v] : {std::pair{0.2, 0.2}, {-0.2, -0.2}, {0.2, -0.2}, {0.0, 0.0}}) {
    EXPECT_FALSE(painted(pixelAt(u, v))) << u << ", " << v;
    EXPECT_FALSE(holed->hitTest(pixelAt(u, v), camera));
  }
  for (const auto& [u, v] : {std::pair{0.35, 0.35}, {-0.35, 0.35}, {0.7, 0.1}}) {
    EXPECT_TRUE(painted(pixelAt(u, v))) << u << ", " << v;
    EXPECT_TRUE(holed->hitTest(pixelAt(u, v), camera));
  }
  EXPECT_FALSE(holed->hitTest({1, 1}, camera));
}

TEST_F(SurfaceTest, CheckersColourWholeCells) {
  auto style = std::make_unique<GraphStyle>();
  style->mode = 1;
  auto surface = make(num(0), U, V, "", 0, std::move(style));
  surface->compute(1);
  draw(*surface);
  const auto blue = [&](double u, double v) { return buffer.pixel(pixelAt(u, v).x, pixelAt(u, v).y) & 0xFF; };
  // Cell (0, 0) is the grey one, all over; its neighbour along u is white, lit alike.
  EXPECT_EQ(blue(-0.9, -0.9), blue(-0.6, -0.55));
  EXPECT_NEAR(blue(-0.9, -0.9) / static_cast<double>(blue(-0.25, -0.9)), 0.3, 0.02);
}

TEST_F(SurfaceTest, NumericNormalsAreUnitWhereAnalyticOnesAreNotUsed) {
  const std::string uv = f("times", U, V);
  const std::string sinU = "sin[" + U + "]";
  struct Row {
    const char* name;
    std::string x, y, z;
  };
  const Row rows[] = {
      {"factorial in a component", f("times", "fact[" + num(2) + "]", U), V, uv},
      {"z of r", U, V, "char[r]"},
      {"z of theta", U, V, "char[theta]"},
      {"sphere with a factorial: poles", f("times", sinU, "cos[" + V + "]"),
       f("times", f("times", sinU, "sin[" + V + "]"), "fact[" + num(1) + "]"), "cos[" + U + "]"},
  };
  space.ranges[1] = {0, 3.14159265358979};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto surface = make(row.x, row.y, row.z, "", 0.5);
    EXPECT_FALSE(surface->usesAnalyticNormals());
    surface->compute(1);
    for (int r = 0; r < surface->gridSize(); ++r)
      for (int c = 0; c < surface->gridSize(); ++c) {
        const auto s = surface->sample(r, c);
        ASSERT_TRUE(s.valid);
        const double length = std::hypot(s.normal[0], s.normal[1], s.normal[2]);
        ASSERT_NEAR(length, 1, 1e-5) << r << ", " << c;
      }
  }
}

TEST_F(SurfaceTest, AnalyticNormalsAgreeWithNeighbourNormalsInAStretchedBox) {
  space.ranges[5] = {-8, 8}; // z stretched, so normals in coordinates and in the box differ
  const std::string z = f("times", num(6), f("times", U, V));
  auto analytic = make(U, V, z);
  auto numeric = make(U, V, f("times", z, "fact[" + num(1) + "]"));
  ASSERT_TRUE(analytic->usesAnalyticNormals());
  analytic->compute(1);
  numeric->compute(1);
  for (const auto& [r, c] : {std::pair{10, 10}, {32, 5}, {50, 60}}) {
    const auto a = analytic->sample(r, c).normal;
    const auto b = numeric->sample(r, c).normal;
    // The surface is bilinear, so the differences between neighbours are exact tangents.
    for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(a[k], b[k], 1e-4) << r << ", " << c << " axis " << k;
  }
}

TEST_F(SurfaceTest, SlicedSamplingResumesAndMatchesOneLongRun) {
  const std::string z = "sin[" + f("times", U, f("plus", V, num(3))) + "]";
  auto whole = make(U, V, z, "", 0);
  whole->compute(1);
  auto sliced = make(U, V, z, "", 0);
  clock.setStepPerReading(1);
  sliced->compute(4); // the clock is read once to start and once per sample: three samples
  EXPECT_TRUE(sliced->sample(0, 2).valid);
  EXPECT_FALSE(sliced->sample(0, 3).valid);
  int slices = 1;
  for (; !sliced->isComplete() && slices < 100; ++slices) sliced->compute(4);
  EXPECT_EQ(slices, 9) << "25 samples, three a slice";
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) {
      EXPECT_EQ(sliced->sample(r, c).position, whole->sample(r, c).position);
      EXPECT_EQ(sliced->sample(r, c).normal, whole->sample(r, c).normal);
    }
  EXPECT_EQ(sliced->boundingRadius(), whole->boundingRadius());
}

TEST_F(SurfaceTest, OnlyAUsedLetterStartsAgain) {
  auto style = std::make_unique<GraphStyle>();
  style->mode = static_cast<int>(GraphStyleMode::RgbFormula);
  style->colourEvaluators = {formula("char[c]"), formula(U), formula(V)};
  auto surface = make(U, V, f("times", "char[a]", U), f("lessthan", "char[b]", num(1)), 0, std::move(style));
  const std::pair<char, bool> rows[] = {{'a', true}, {'b', true}, {'c', true}, {'q', false}};
  for (const auto& [letter, used] : rows) {
    SCOPED_TRACE(letter);
    surface->compute(1);
    ASSERT_TRUE(surface->isComplete());
    EXPECT_EQ(surface->dependsOn(static_cast<std::uint16_t>(letter)), used);
    EXPECT_EQ(surface->isComplete(), !used);
  }
}

TEST_F(SurfaceTest, AnimatedLetterIsReadAfresh) {
  // The animated letter is read live, so a restart alone must pick up its new value.
  numericState().animationValue = 1;
  auto surface = make(U, V, f("plus", f("times", "char[n]", U), V), "", 0);
  surface->compute(1);
  EXPECT_DOUBLE_EQ(surface->sample(4, 4).position[2], 1.0); // (1·1 + 1) / 2 in box units
  numericState().animationValue = 2;
  ASSERT_TRUE(surface->dependsOn('n'));
  surface->compute(1);
  EXPECT_DOUBLE_EQ(surface->sample(4, 4).position[2], 1.5); // (2·1 + 1) / 2 in box units
}

} // namespace
} // namespace vexmar
