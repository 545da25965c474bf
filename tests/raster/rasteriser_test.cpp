#include "raster/rasteriser.h"

#include "raster/frame_buffer.h"

#include "canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vexmar {
namespace {

using test::Canvas;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr double kEmptyDepth = 2.0;

// A canvas with its own depth buffer, cleared to black and far depth.
struct Scene {
  explicit Scene(PixelFormatCode format = PixelFormatCode::Xrgb8888, int width = kWidth, int height = kHeight)
      : canvas(format, width, height, {0, 0, 0}),
        depth(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kEmptyDepth),
        raster({canvas.target(), depth.data()}) {}
  [[nodiscard]] bool drawn(int x, int y) const { return !canvas.isBackground(x, y); }
  [[nodiscard]] double depthAt(int x, int y) const { return depth[static_cast<std::size_t>(y * kWidth + x)]; }
  Canvas canvas;
  std::vector<double> depth;
  Rasteriser raster;
};

RasterVertex vertex(double x, double y, double z = 0.5, Rgb colour = {255, 255, 255}) {
  return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1.0f,
          colour.red / 255.0f,   colour.green / 255.0f, colour.blue / 255.0f,  0.0f};
}

// The plain rule the scanline code must agree with: a pixel is covered when its centre is
// strictly inside, or on an edge that has the triangle to its right (or, if horizontal, below).
// With coordinates on a 1/256 grid every product here is exact.
struct ReferenceTriangle {
  ReferenceTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) : v{a, b, c} {
    if (edge(0, c.x, c.y) < 0) std::swap(v[1], v[2]);
    degenerate = edge(0, v[2].x, v[2].y) == 0;
  }
  // Positive on the triangle's side of the edge from v[i] to v[i + 1].
  [[nodiscard]] double edge(int i, double x, double y) const {
    const RasterVertex& p = v[i];
    const RasterVertex& q = v[(i + 1) % 3];
    return (double{q.x} - p.x) * (y - p.y) - (double{q.y} - p.y) * (x - p.x);
  }
  [[nodiscard]] bool covers(int column, int row) const {
    if (degenerate) return false;
    const double x = column + 0.5, y = row + 0.5;
    for (int i = 0; i < 3; ++i) {
      const double e = edge(i, x, y);
      if (e > 0) continue;
      if (e < 0) return false;
      const RasterVertex& p = v[i];
      const RasterVertex& q = v[(i + 1) % 3];
      const bool leftOrTop = p.y == q.y ? q.x > p.x : q.y < p.y;
      if (!leftOrTop) return false;
    }
    return true;
  }
  // True when the centre is within `margin` pixels of an edge's line, where rounded cut points
  // may fairly decide either way.
  [[nodiscard]] bool nearEdge(int column, int row, double margin) const {
    for (int i = 0; i < 3; ++i) {
      const RasterVertex& p = v[i];
      const RasterVertex& q = v[(i + 1) % 3];
      const double length = std::hypot(double{q.x} - p.x, double{q.y} - p.y);
      if (std::abs(edge(i, column + 0.5, row + 0.5)) <= margin * length) return true;
    }
    return false;
  }
  // Plane through the three vertices' values of `field`, at a pixel centre.
  [[nodiscard]] double valueAt(float RasterVertex::*field, int column, int row) const {
    const double area = edge(0, v[2].x, v[2].y);
    const double x = column + 0.5, y = row + 0.5;
    // Barycentric weight of each vertex is the edge opposite it over the area.
    return (edge(1, x, y) * v[0].*field + edge(2, x, y) * v[1].*field + edge(0, x, y) * v[2].*field) / area;
  }
  std::array<RasterVertex, 3> v;
  bool degenerate = false;
};

struct RandomVertices {
  std::mt19937 rng{12345};
  double grid(double low, double high, double unit = 1.0 / 256) {
    std::uniform_real_distribution<double> d(low, high);
    return std::round(d(rng) / unit) * unit;
  }
  RasterVertex inBox(double low, double high, double zLow = 0.1, double zHigh = 0.9) {
    return vertex(grid(low, high), grid(low * kHeight / kWidth, high * kHeight / kWidth), grid(zLow, zHigh));
  }
};

TEST(RasteriserTriangle, CoverageMatchesReferenceOnRandomTriangles) {
  RandomVertices random;
  // Large, small and sliver triangles, partly off the target to exercise the edge clamping.
  struct Range {
    const char* name;
    double low, high, unit;
  };
  const Range ranges[] = {
      {"spread", -16, 80, 1.0 / 256}, {"small", 20, 28, 1.0 / 256}, {"half pixels", -4, 68, 0.5}};
  for (const Range& range : ranges) {
    SCOPED_TRACE(range.name);
    for (int n = 0; n < 1000; ++n) {
      const double x0 = random.grid(range.low, range.high, range.unit);
      const double y0 = random.grid(range.low, range.high, range.unit) * kHeight / kWidth;
      const RasterVertex a = vertex(x0, y0);
      const RasterVertex b =
          vertex(random.grid(range.low, range.high, range.unit), y0 + random.grid(-8, 8, range.unit));
      const RasterVertex c =
          vertex(x0 + random.grid(-3, 3, range.unit), random.grid(range.low, range.high, range.unit));
      Scene scene;
      scene.raster.drawTriangle(a, b, c);
      const ReferenceTriangle reference(a, b, c);
      int mismatches = 0;
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) mismatches += scene.drawn(x, y) != reference.covers(x, y);
      ASSERT_EQ(mismatches, 0) << "triangle " << n;
      ASSERT_TRUE(scene.canvas.guardsIntact());
    }
  }
}

TEST(RasteriserTriangle, DegenerateAndBadTrianglesDrawNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Row {
    const char* name;
    RasterVertex a, b, c;
  };
  const Row rows[] = {
      {"one row", vertex(2, 5.5), vertex(30, 5.5), vertex(50, 5.5)},
      {"one column", vertex(7.5, 2), vertex(7.5, 20), vertex(7.5, 30)},
      {"collinear slope", vertex(1, 1), vertex(11, 6), vertex(21, 11)},
      {"one point", vertex(9, 9), vertex(9, 9), vertex(9, 9)},
      {"not a number", vertex(1, 1), vertex(nan, 30), vertex(40, 2)},
      {"infinite", vertex(1, 1), vertex(inf, 30), vertex(40, 2)},
      {"between centres", vertex(10.6, 10.6), vertex(11.4, 10.6), vertex(10.6, 11.4)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Scene scene;
    scene.raster.drawTriangle(row.a, row.b, row.c);
    scene.raster.clipTriangle(row.a, row.b, row.c);
    EXPECT_EQ(scene.canvas.countDrawn(), 0);
  }
}

TEST(RasteriserTriangle, TriangulatedGridCoversEveryPixelOnce) {
  RandomVertices random;
  constexpr int kColumns = 8, kRows = 6;
  for (int mesh = 0; mesh < 40; ++mesh) {
    SCOPED_TRACE(mesh);
    // Half the meshes put vertices on half pixels, so many centres fall exactly on edges.
    const double unit = mesh % 2 == 0 ? 1.0 / 256 : 0.5;
    std::vector<RasterVertex> points;
    for (int j = 0; j <= kRows; ++j)
      for (int i = 0; i <= kColumns; ++i) {
        double x = i * double{kWidth} / kColumns, y = j * double{kHeight} / kRows;
        // Border points stay on the border so the mesh covers the whole target; moving each point
        // less than a third of a cell keeps every cell convex, so neither diagonal folds.
        if (i > 0 && i < kColumns) x += random.grid(-1.9, 1.9, unit);
        if (j > 0 && j < kRows) y += random.grid(-1.9, 1.9, unit);
        points.push_back(vertex(x, y, random.grid(0.1, 0.9)));
      }
    std::vector<int> hits(kWidth * kHeight, 0);
    auto at = [&](int i, int j) { return points[static_cast<std::size_t>(j * (kColumns + 1) + i)]; };
    auto draw = [&](const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
      Scene scene;
      scene.raster.drawTriangle(a, b, c);
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) hits[static_cast<std::size_t>(y * kWidth + x)] += scene.drawn(x, y);
    };
    for (int j = 0; j < kRows; ++j)
      for (int i = 0; i < kColumns; ++i) {
        if (random.rng() % 2 == 0) {
          draw(at(i, j), at(i + 1, j), at(i + 1, j + 1));
          draw(at(i, j), at(i + 1, j + 1), at(i, j + 1));
        } else {
          draw(at(i, j), at(i + 1, j), at(i, j + 1));
          draw(at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        }
      }
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        ASSERT_EQ(hits[static_cast<std::size_t>(y * kWidth + x)], 1) << x << "," << y;
  }
}

TEST(RasteriserTriangle, NearerSurfaceWinsInEitherOrder) {
  // Two triangles that pass through each other: each pixel shows whichever is nearer there.
  const RasterVertex a[3] = {vertex(2, 2, 0.2, {255, 0, 0}), vertex(60, 4, 0.8, {255, 0, 0}),
                             vertex(10, 46, 0.2, {255, 0, 0})};
  const RasterVertex b[3] = {vertex(4, 10, 0.7, {0, 0, 255}), vertex(62, 20, 0.1, {0, 0, 255}),
                             vertex(30, 44, 0.7, {0, 0, 255})};
  const ReferenceTriangle refA(a[0], a[1], a[2]), refB(b[0], b[1], b[2]);
  for (bool aFirst : {true, false}) {
    SCOPED_TRACE(aFirst ? "red first" : "blue first");
    Scene scene;
    for (int pass = 0; pass < 2; ++pass) {
      const RasterVertex* t = (pass == 0) == aFirst ? a : b;
      scene.raster.drawTriangle(t[0], t[1], t[2]);
    }
    int overlap = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        if (!refA.covers(x, y) || !refB.covers(x, y)) continue;
        const double zA = refA.valueAt(&RasterVertex::z, x, y), zB = refB.valueAt(&RasterVertex::z, x, y);
        if (std::abs(zA - zB) < 1e-4) continue;
        ++overlap;
        EXPECT_EQ(scene.canvas.rgb(x, y), (zA < zB ? Rgb{255, 0, 0} : Rgb{0, 0, 255})) << x << "," << y;
        EXPECT_NEAR(scene.depthAt(x, y), std::min(zA, zB), 1e-5);
      }
    EXPECT_GT(overlap, 200);
  }
}

TEST(RasteriserTriangle, EqualDepthKeepsTheFirstDrawn) {
  Scene scene;
  scene.raster.drawTriangle(vertex(0, 0, 0.5, {255, 0, 0}), vertex(64, 0, 0.5, {255, 0, 0}),
                            vertex(0, 48, 0.5, {255, 0, 0}));
  scene.raster.drawTriangle(vertex(0, 0, 0.5, {0, 255, 0}), vertex(64, 0, 0.5, {0, 255, 0}),
                            vertex(0, 48, 0.5, {0, 255, 0}));
  EXPECT_EQ(scene.canvas.rgb(5, 5), (Rgb{255, 0, 0}));
}

TEST(RasteriserTriangle, ColourAndDepthFollowTheVertices) {
  const RasterVertex a = vertex(3, 2, 0.1, {255, 0, 40}), b = vertex(61, 9, 0.9, {0, 255, 200}),
                     c = vertex(20, 45, 0.5, {30, 60, 255});
  Scene scene;
  scene.raster.drawTriangle(a, b, c);
  const ReferenceTriangle reference(a, b, c);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (!reference.covers(x, y)) continue;
      const Rgb got = scene.canvas.rgb(x, y);
      EXPECT_NEAR(got.red, 255 * reference.valueAt(&RasterVertex::r, x, y), 1.0) << x << "," << y;
      EXPECT_NEAR(got.green, 255 * reference.valueAt(&RasterVertex::g, x, y), 1.0) << x << "," << y;
      EXPECT_NEAR(got.blue, 255 * reference.valueAt(&RasterVertex::b, x, y), 1.0) << x << "," << y;
      EXPECT_NEAR(scene.depthAt(x, y), reference.valueAt(&RasterVertex::z, x, y), 1e-5);
    }
}

TEST(RasteriserTriangle, EveryFormatPacksTheSameCoverage) {
  const RasterVertex a{5, 3, 0.5f, 1, 1.0f, 0.5f, 0.0f, 0}, b{50, 12, 0.5f, 1, 1.0f, 0.5f, 0.0f, 0},
      c{22, 40, 0.5f, 1, 1.0f, 0.5f, 0.0f, 0};
  const ReferenceTriangle reference(a, b, c);
  for (PixelFormatCode format : test::allFormats()) {
    SCOPED_TRACE(static_cast<int>(format));
    const PixelFormatRow& row = pixelFormatRow(format);
    const ChannelLayout red = channelLayout(row.redMask), green = channelLayout(row.greenMask);
    // Full red, half green rounded to nearest, no blue: 0.5 in a 5-bit channel is 16.
    const std::uint32_t expected =
        red.maximum << red.shift | static_cast<std::uint32_t>(std::floor(0.5 * green.maximum + 0.5))
                                       << green.shift;
    Scene scene(format);
    scene.raster.drawTriangle(a, b, c);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        if (reference.covers(x, y))
          ASSERT_EQ(scene.canvas.get(x, y), expected) << x << "," << y;
        else
          ASSERT_TRUE(scene.canvas.isBackground(x, y)) << x << "," << y;
      }
    EXPECT_TRUE(scene.canvas.guardsIntact());
  }
  EXPECT_EQ(&spanRoutines(PixelFormatCode::Unsupported), &spanRoutines(PixelFormatCode::Rgb555));
}

TEST(RasteriserTriangle, CountsScanlinesPerTriangle) {
  Scene scene;
  scene.raster.drawTriangle(vertex(1, 0.5), vertex(20, 0.5), vertex(1, 3.5)); // rows 0, 1, 2
  scene.raster.drawTriangle(vertex(1, 0), vertex(20, 0), vertex(1, 300));     // rows 0..47
  EXPECT_EQ(scene.raster.statistics().trianglesDrawn, 2);
  EXPECT_EQ(scene.raster.statistics().scanlines[3], 1);
  EXPECT_EQ(scene.raster.statistics().scanlines[48], 1);
}

} // namespace
} // namespace vexmar

namespace vexmar {
namespace {

TEST(RasteriserClipping, MatchesReferenceAcrossScreenEdgesAndGuardBand) {
  RandomVertices random;
  // Corners within the guard band are drawn uncut; farther ones go through the screen planes.
  struct Range {
    const char* name;
    double low, high;
  };
  const Range ranges[] = {{"near the screen", -200, 260}, {"far off", -30000, 30000}};
  for (const Range& range : ranges) {
    SCOPED_TRACE(range.name);
    int drawnTriangles = 0;
    for (int n = 0; n < 1000; ++n) {
      const RasterVertex a = random.inBox(range.low, range.high), b = random.inBox(range.low, range.high),
                         c = random.inBox(-10, 74);
      Scene scene;
      scene.raster.clipTriangle(a, b, c);
      const ReferenceTriangle reference(a, b, c);
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
          if (scene.drawn(x, y) != reference.covers(x, y)) {
            ASSERT_TRUE(reference.nearEdge(x, y, 1e-3)) << "triangle " << n << " at " << x << "," << y;
          }
      ASSERT_TRUE(scene.canvas.guardsIntact());
      drawnTriangles += scene.canvas.countDrawn() > 0;
    }
    EXPECT_GT(drawnTriangles, 300);
  }
}

TEST(RasteriserClipping, TriangleCoveringTheTargetWithAllCornersOutsideFillsIt) {
  Scene scene;
  scene.raster.clipTriangle(vertex(-500, -500), vertex(900, -20), vertex(-40, 700));
  EXPECT_EQ(scene.canvas.countDrawn(), kWidth * kHeight);
}

TEST(RasteriserClipping, KeepsOnlyTheDepthRange) {
  RandomVertices random;
  for (int n = 0; n < 500; ++n) {
    const RasterVertex a = random.inBox(-10, 74, -0.6, 1.6), b = random.inBox(-10, 74, -0.6, 1.6),
                       c = random.inBox(-10, 74, -0.6, 1.6);
    Scene scene;
    scene.raster.clipTriangle(a, b, c);
    const ReferenceTriangle reference(a, b, c);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        if (scene.drawn(x, y)) {
          ASSERT_GE(scene.depthAt(x, y), -1e-4);
          ASSERT_LE(scene.depthAt(x, y), 1 + 1e-4);
        }
        if (!reference.covers(x, y) || reference.nearEdge(x, y, 1e-3)) continue;
        const double z = reference.valueAt(&RasterVertex::z, x, y);
        if (z > 1e-3 && z < 1 - 1e-3) {
          ASSERT_TRUE(scene.drawn(x, y)) << n << ": " << x << "," << y;
        }
      }
  }
  // A custom range moves the planes.
  Scene scene;
  scene.raster.setDepthRange(0.4f, 0.6f);
  scene.raster.clipTriangle(vertex(0, 0, 0.0), vertex(64, 0, 1.0), vertex(0, 48, 0.0));
  for (int x = 0; x < kWidth; ++x) {
    const double z = (x + 0.5) / kWidth;
    if (std::abs(z - 0.4) > 0.01 && std::abs(z - 0.6) > 0.01) {
      EXPECT_EQ(scene.drawn(x, 0), z > 0.4 && z < 0.6) << x;
    }
  }
}

TEST(RasteriserLine, OnePixelPerStepAlongTheMajorAxis) {
  RandomVertices random;
  for (int n = 0; n < 500; ++n) {
    const RasterVertex a = random.inBox(0.1, 63.9), b = random.inBox(0.1, 63.9);
    Scene scene;
    scene.raster.drawLine(a, b);
    const bool xMajor = std::abs(b.y - a.y) <= std::abs(b.x - a.x);
    const int size = xMajor ? kWidth : kHeight;
    const float lowEnd = std::min(xMajor ? a.x : a.y, xMajor ? b.x : b.y);
    const float highEnd = std::max(xMajor ? a.x : a.y, xMajor ? b.x : b.y);
    for (int m = 0; m < size; ++m) {
      int count = 0;
      for (int k = 0; k < (xMajor ? kHeight : kWidth); ++k)
        count += xMajor ? scene.drawn(m, k) : scene.drawn(k, m);
      const bool inRange = m >= std::floor(lowEnd) && m <= std::floor(highEnd);
      ASSERT_EQ(count, inRange ? 1 : 0) << "line " << n << " step " << m;
    }
    // Both ends' pixels are drawn, so polylines join up.
    ASSERT_TRUE(scene.drawn(static_cast<int>(a.x), static_cast<int>(a.y)));
    ASSERT_TRUE(scene.drawn(static_cast<int>(b.x), static_cast<int>(b.y)));
  }
}

TEST(RasteriserLine, ColourAndDepthFollowTheEnds) {
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "drawn right to left" : "drawn left to right");
    const RasterVertex left = vertex(0.5, 5.5, 0.0, {255, 0, 0}),
                       right = vertex(63.5, 12.5, 1.0, {0, 0, 255});
    Scene scene;
    if (reversed)
      scene.raster.drawLine(right, left);
    else
      scene.raster.drawLine(left, right);
    for (int x = 0; x < kWidth; ++x) {
      const double t = x / 63.0;
      const int y = static_cast<int>(std::floor(5.5 + 7 * t));
      ASSERT_TRUE(scene.drawn(x, y)) << x;
      EXPECT_NEAR(scene.depthAt(x, y), t, 1e-5) << x;
      EXPECT_NEAR(scene.canvas.rgb(x, y).red, 255 * (1 - t), 1.0) << x;
      EXPECT_NEAR(scene.canvas.rgb(x, y).blue, 255 * t, 1.0) << x;
    }
  }
}

TEST(RasteriserLine, HiddenBehindANearerSurfaceAndClipped) {
  Scene scene;
  scene.raster.drawTriangle(vertex(20, 0, 0.3, {0, 0, 255}), vertex(40, 0, 0.3, {0, 0, 255}),
                            vertex(20, 48, 0.3, {0, 0, 255}));
  scene.raster.drawLine(vertex(0.5, 10.5, 0.5, {255, 0, 0}), vertex(63.5, 10.5, 0.5, {255, 0, 0}));
  scene.raster.drawLine(vertex(0.5, 20.5, 0.1, {0, 255, 0}), vertex(63.5, 20.5, 0.1, {0, 255, 0}));
  EXPECT_EQ(scene.canvas.rgb(25, 10), (Rgb{0, 0, 255}));
  EXPECT_EQ(scene.canvas.rgb(5, 10), (Rgb{255, 0, 0}));
  EXPECT_EQ(scene.canvas.rgb(25, 20), (Rgb{0, 255, 0}));

  struct Row {
    const char* name;
    RasterVertex a, b;
    int drawn;
  };
  const Row rows[] = {
      {"across the whole target", vertex(-1000, 5.5), vertex(1000, 5.5), kWidth},
      {"entirely outside", vertex(-10, -5), vertex(80, -1), 0},
      {"beyond the far plane", vertex(2, 2, 1.5), vertex(50, 2, 1.5), 0},
      {"half beyond the far plane", vertex(0.5, 3.5, 0.0), vertex(64, 3.5, 2.0), 32},
      {"not a number", vertex(1, 1), vertex(std::numeric_limits<double>::quiet_NaN(), 3), 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Scene clipped;
    clipped.raster.clipLine(row.a, row.b);
    EXPECT_NEAR(clipped.canvas.countDrawn(), row.drawn, 1);
    EXPECT_TRUE(clipped.canvas.guardsIntact());
  }
}

TEST(RasteriserDot, DrawsTheInsideOfItsBlockWithDepth) {
  struct Row {
    const char* name;
    double x, y;
    int drawn;
  };
  const Row rows[] = {{"middle", 30.5, 20.5, 9},
                      {"top-left corner", 0.2, 0.3, 4},
                      {"bottom-right corner", 63.9, 47.9, 4},
                      {"just off the left", -0.5, 10, 3},
                      {"far off", -100, 10, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Scene scene;
    scene.raster.drawDot(vertex(row.x, row.y));
    EXPECT_EQ(scene.canvas.countDrawn(), row.drawn);
    EXPECT_TRUE(scene.canvas.guardsIntact());
  }
  Scene scene;
  scene.raster.drawDot(vertex(30.5, 20.5, 0.2, {255, 0, 0}));
  scene.raster.drawDot(vertex(31.5, 20.5, 0.4, {0, 255, 0}));
  EXPECT_EQ(scene.canvas.rgb(30, 20), (Rgb{255, 0, 0}));
  EXPECT_EQ(scene.canvas.rgb(32, 20), (Rgb{0, 255, 0}));
}

} // namespace
} // namespace vexmar

namespace vexmar {
namespace {

TEST(RasteriserTarget, DrawsIntoTheFrameBufferAndNothingWithoutDepth) {
  FrameBuffer buffer;
  ASSERT_TRUE(buffer.resize(16, 12));
  ASSERT_TRUE(buffer.beginFrame({255, 255, 255}));
  ASSERT_TRUE(buffer.beginDrawing());
  Rasteriser raster({buffer.target(), buffer.depthBuffer()});
  raster.clipTriangle(vertex(0, 0, 0.25, {0, 128, 0}), vertex(16, 0, 0.25, {0, 128, 0}),
                      vertex(0, 12, 0.25, {0, 128, 0}));
  EXPECT_EQ(buffer.pixel(2, 2), 0x008000u);
  EXPECT_DOUBLE_EQ(buffer.depth(2, 2), 0.25);
  EXPECT_EQ(buffer.pixel(15, 11), buffer.backgroundPixel());
  buffer.endDrawing();

  // A target without a depth buffer is refused rather than written blindly.
  Canvas canvas(PixelFormatCode::Xrgb8888, 8, 8, {0, 0, 0});
  Rasteriser noDepth({canvas.target(), nullptr});
  noDepth.drawTriangle(vertex(0, 0), vertex(8, 0), vertex(0, 8));
  noDepth.drawLine(vertex(0, 0), vertex(8, 8));
  noDepth.drawDot(vertex(4, 4));
  noDepth.clipLine(vertex(0, 0), vertex(8, 8));
  EXPECT_EQ(canvas.countDrawn(), 0);
}

} // namespace
} // namespace vexmar
