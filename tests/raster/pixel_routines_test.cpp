#include "raster/pixel_routines.h"

#include "canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>

namespace vexmar {
namespace {

using test::Canvas;

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kOrange{200, 100, 40};

const PixelRoutineSet& routinesOf(PixelFormatCode code) { return *pixelRoutines(code); }

TEST(PixelRoutinesTest, OnlySupportedFormatsHaveRoutines) {
  for (PixelFormatCode code : test::allFormats()) EXPECT_NE(pixelRoutines(code), nullptr);
  EXPECT_EQ(pixelRoutines(PixelFormatCode::Unsupported), nullptr);
  EXPECT_EQ(pixelRoutines(static_cast<PixelFormatCode>(200)), nullptr);
}

// The shading rule, checked in every format against the rule worked out by hand.
TEST(PixelRoutinesTest, ShadingDependsOnThePixelUnderneath) {
  for (PixelFormatCode code : test::allFormats()) {
    SCOPED_TRACE(static_cast<int>(code));
    Canvas canvas(code, 4, 1, kWhite);
    const PixelRoutineSet& r = routinesOf(code);
    canvas.set(1, 0, 0);                            // black
    canvas.set(3, 0, packPixel(code, {0, 0, 255})); // pure blue
    for (int x = 0; x < 4; ++x) r.plotPixel(canvas.target(), {0, 0, 1, 4}, {x, 0}, kOrange);

    const auto scaled = [&](int f) {
      return packPixel(code, {static_cast<std::uint8_t>(kOrange.red * f / 256),
                              static_cast<std::uint8_t>(kOrange.green * f / 256),
                              static_cast<std::uint8_t>(kOrange.blue * f / 256)});
    };
    EXPECT_EQ(canvas.get(0, 0), packPixel(code, kOrange)) << "on the background: exact colour";
    EXPECT_EQ(canvas.get(1, 0), scaled(102)) << "over black: 102/256";
    // A pure blue channel reads 256 and the others 0: f = (256 + 1280) * 256 / 2048 = 192.
    EXPECT_EQ(canvas.get(3, 0), scaled(192));
    EXPECT_TRUE(canvas.guardsIntact());
  }
}

TEST(PixelRoutinesTest, DotNeedsTheWholeBlockInsideTheClip) {
  const PixelRect clip{2, 2, 8, 8};
  struct Row {
    const char* name;
    PixelPoint at;
    int drawn;
  };
  const Row rows[] = {{"well inside", {5, 5}, 9},
                      {"one from the left edge", {2, 5}, 0},
                      {"touching the left edge", {3, 5}, 9},
                      {"one from the bottom edge", {5, 7}, 0},
                      {"touching the bottom edge", {5, 6}, 9},
                      {"far away", {INT_MAX, INT_MIN}, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Canvas canvas(PixelFormatCode::Rgb565, 10, 10);
    routinesOf(PixelFormatCode::Rgb565).plotDot(canvas.target(), clip, row.at, kOrange);
    EXPECT_EQ(canvas.countDrawn(), row.drawn);
    EXPECT_TRUE(canvas.drawnOnlyInside(clip));
  }
}

TEST(PixelRoutinesTest, MarkerShapeAndClipping) {
  Canvas canvas(PixelFormatCode::Xrgb8888, 10, 10);
  const PixelRoutineSet& r = routinesOf(PixelFormatCode::Xrgb8888);
  r.plotMarker(canvas.target(), {0, 0, 10, 10}, {4, 4}, kOrange);
  std::set<std::pair<int, int>> drawn;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      if (!canvas.isBackground(x, y)) drawn.insert({x, y});
  const std::set<std::pair<int, int>> expected{{4, 1}, {5, 1}, {4, 4}, {5, 4}, {4, 7}, {5, 7}, {3, 2},
                                               {3, 3}, {3, 5}, {3, 6}, {6, 2}, {6, 3}, {6, 5}, {6, 6}};
  EXPECT_EQ(drawn, expected);

  Canvas edge(PixelFormatCode::Xrgb8888, 10, 10);
  r.plotMarker(edge.target(), {0, 0, 10, 10}, {7, 4}, kOrange); // column x + 2 = 9 still inside
  EXPECT_EQ(edge.countDrawn(), 14);
  r.plotMarker(edge.target(), {0, 0, 10, 10}, {8, 4}, kOrange); // column 10 is outside: nothing more
  r.plotMarker(edge.target(), {0, 0, 10, 10}, {4, 7}, kOrange); // row 10 is outside
  EXPECT_EQ(edge.countDrawn(), 14);
}

std::vector<int> drawnRows(const Canvas& canvas, int column, int height) {
  std::vector<int> rows;
  for (int y = 0; y < height; ++y)
    if (!canvas.isBackground(column, y)) rows.push_back(y);
  return rows;
}

TEST(PixelRoutinesTest, DottedSegmentsKeepTheirPhaseWhenClipped) {
  struct Row {
    const char* name;
    PixelRect clip;
    PixelPoint from, to;
    int step;
    std::vector<int> rows;
  };
  std::vector<int> everyRow;
  for (int y = 0; y < 30; ++y) everyRow.push_back(y);
  const std::vector<Row> rows = {
      {"step 3 from 10 to 20", {0, 0, 30, 10}, {4, 10}, {4, 20}, 3, {10, 13, 16, 19}},
      {"upwards", {0, 0, 30, 10}, {4, 20}, {4, 10}, 3, {11, 14, 17, 20}},
      {"solid", {0, 0, 30, 10}, {4, 10}, {4, 13}, 1, {10, 11, 12, 13}},
      {"step 0 counts as 1", {0, 0, 30, 10}, {4, 10}, {4, 12}, 0, {10, 11, 12}},
      {"equal ends", {0, 0, 30, 10}, {4, 7}, {4, 7}, 5, {7}},
      {"clipped at the top", {12, 0, 30, 10}, {4, 10}, {4, 20}, 3, {13, 16, 19}},
      {"clipped at the bottom", {0, 0, 17, 10}, {4, 10}, {4, 20}, 3, {10, 13, 16}},
      {"from far above", {0, 0, 30, 10}, {4, INT_MIN}, {4, 5}, 1, {0, 1, 2, 3, 4, 5}},
      {"huge range", {0, 0, 30, 10}, {4, INT_MIN}, {4, INT_MAX}, 1, everyRow},
      {"column outside the clip", {0, 5, 30, 10}, {4, 10}, {4, 20}, 1, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Canvas canvas(PixelFormatCode::Bgr888, 10, 30);
    routinesOf(PixelFormatCode::Bgr888)
        .plotVerticalSegment(canvas.target(), row.clip, row.from, row.to, kOrange, row.step);
    EXPECT_EQ(drawnRows(canvas, 4, 30), row.rows);
    EXPECT_TRUE(canvas.drawnOnlyInside(row.clip));
    EXPECT_TRUE(canvas.guardsIntact());
  }
}

TEST(PixelRoutinesTest, HorizontalSegmentMatchesVerticalOneTransposed) {
  Canvas across(PixelFormatCode::Rgb555, 30, 10);
  Canvas down(PixelFormatCode::Rgb555, 10, 30);
  const PixelRoutineSet& r = routinesOf(PixelFormatCode::Rgb555);
  r.plotHorizontalSegment(across.target(), {0, 3, 10, 27}, {25, 6}, {1, 6}, kOrange, 4);
  r.plotVerticalSegment(down.target(), {3, 0, 27, 10}, {6, 25}, {6, 1}, kOrange, 4);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(across.isBackground(i, 6), down.isBackground(6, i)) << i;
  EXPECT_EQ(across.countDrawn(), 6); // 25, 21, ..., 5; 1 is clipped
}

TEST(PixelRoutinesTest, LineInsideDrawsBothEndsAndOnePixelPerMajorStep) {
  Canvas canvas(PixelFormatCode::Xrgb8888, 20, 20);
  routinesOf(PixelFormatCode::Xrgb8888).plotLine(canvas.target(), {0, 0, 20, 20}, {2, 3}, {15, 8}, kOrange);
  EXPECT_FALSE(canvas.isBackground(2, 3));
  EXPECT_FALSE(canvas.isBackground(15, 8));
  EXPECT_EQ(canvas.countDrawn(), 14);
  for (int x = 2; x <= 15; ++x) EXPECT_EQ(drawnRows(canvas, x, 20).size(), 1u) << x;
}

TEST(PixelRoutinesTest, LinesNeverLeaveTheClip) {
  const PixelRect clip{3, 4, 13, 17};
  struct Row {
    const char* name;
    PixelPoint from, to;
    int drawn; // -1: some, not counted
  };
  const Row rows[] = {
      {"far left, all outside", {-1000, 5}, {-10, 9}, 0},
      {"far right", {100, 5}, {INT_MAX, 9}, 0},
      {"far above", {5, INT_MIN}, {9, -1}, 0},
      {"far below", {5, 13}, {9, 100000}, 0},
      {"across the whole clip horizontally", {INT_MIN, 8}, {INT_MAX, 8}, 13},
      {"across the whole clip vertically", {10, -50000}, {10, 50000}, 10},
      {"diagonal from corner to corner of the int range", {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, -1},
      {"leaving through the right", {10, 8}, {40, 8}, 7},
      {"leaving through the top", {10, 8}, {10, -40}, 6},
      {"missing the corner", {0, 12}, {5, 0}, 0},
      {"single point outside", {2, 2}, {2, 2}, 0},
      {"single point inside", {5, 5}, {5, 5}, 1},
  };
  for (PixelFormatCode code : {PixelFormatCode::Rgb565, PixelFormatCode::Rgb888, PixelFormatCode::Rgbx8888}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.name) + " in format " + std::to_string(static_cast<int>(code)));
      Canvas canvas(code, 20, 16);
      routinesOf(code).plotLine(canvas.target(), clip, row.from, row.to, kOrange);
      if (row.drawn >= 0)
        EXPECT_EQ(canvas.countDrawn(), row.drawn);
      else
        EXPECT_GT(canvas.countDrawn(), 0);
      EXPECT_TRUE(canvas.drawnOnlyInside(clip));
      EXPECT_TRUE(canvas.guardsIntact());
    }
  }
}

// Random shapes with clips that stick out of the picture: nothing may land outside the picture or
// the clip, in any format.
TEST(PixelRoutinesTest, RandomDrawingStaysInsideClipAndPicture) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> near(-40, 60);
  std::uniform_int_distribution<int> anywhere(INT_MIN, INT_MAX);
  for (PixelFormatCode code : test::allFormats()) {
    SCOPED_TRACE(static_cast<int>(code));
    const PixelRoutineSet& r = routinesOf(code);
    for (int round = 0; round < 40; ++round) {
      Canvas canvas(code, 16, 12);
      const PixelRect clip{near(random) / 4, near(random) / 4, near(random), near(random)};
      const auto point = [&] {
        return round % 4 == 0 ? PixelPoint{anywhere(random), anywhere(random)}
                              : PixelPoint{near(random), near(random)};
      };
      const PixelTarget target = canvas.target();
      r.plotPixel(target, clip, point(), kOrange);
      r.plotDot(target, clip, point(), kOrange);
      r.plotMarker(target, clip, point(), kOrange);
      r.plotLine(target, clip, point(), point(), kOrange);
      r.lineSolid(target, clip, point(), point(), kOrange);
      r.plotVerticalSegment(target, clip, point(), point(), kOrange, 1 + round % 3);
      r.plotHorizontalSegment(target, clip, point(), point(), kOrange, 1 + round % 3);
      r.fillSolid(target, clip, {near(random), near(random), near(random), near(random)}, kOrange);
      EXPECT_TRUE(canvas.drawnOnlyInside(intersect(clip, target.bounds())));
      EXPECT_TRUE(canvas.guardsIntact());
    }
  }
}

std::vector<std::uint8_t> mapCodes(TwoBitMap map, int width, int height) {
  std::vector<std::uint8_t> codes;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) codes.push_back(static_cast<std::uint8_t>(mapCodeAt(map, x, y)));
  return codes;
}

// fillMapRect against a pixel-by-pixel model, over rectangles that start and end at every bit
// position, and that stick out of the map.
TEST(PixelRoutinesTest, FillMapRectMatchesPixelByPixelModel) {
  const PixelRect mapRect{10, 20, 13, 33}; // 13 pixels wide: 4 bytes a row, the last one partial
  for (int left = 16; left <= 36; ++left) {
    for (int right = left; right <= 38; right += 3) {
      SCOPED_TRACE(std::to_string(left) + ".." + std::to_string(right));
      std::vector<std::uint8_t> bytes(4 * 3 + 1, 0xE4); // codes 3,2,1,0 repeating; one spare byte
      TwoBitMap map{std::span(bytes).first(12), 4};
      std::vector<std::uint8_t> expected = mapCodes(map, 13, 3);
      const PixelRect rect{11, left, 14, right};
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 13; ++x)
          if (rect.contains({x + 20, y + 10})) expected[static_cast<std::size_t>(y * 13 + x)] = 1;
      ASSERT_TRUE(fillMapRect(map, mapRect, rect, MapCode::Light));
      EXPECT_EQ(mapCodes(map, 13, 3), expected);
      EXPECT_EQ(bytes[12], 0xE4) << "wrote past the map";
    }
  }
}

TEST(PixelRoutinesTest, FillMapRectRefusesMapsTooSmall) {
  std::vector<std::uint8_t> bytes(8, 0);
  EXPECT_FALSE(fillMapRect({bytes, 2}, {0, 0, 5, 8}, {0, 0, 5, 8}, MapCode::Full)); // needs 10 bytes
  EXPECT_FALSE(fillMapRect({bytes, 1}, {0, 0, 2, 8}, {0, 0, 2, 8}, MapCode::Full)); // rows need 2 bytes
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(8, 0));
  EXPECT_TRUE(fillMapRect({bytes, 2}, {0, 0, 4, 8}, {0, 0, 4, 8}, MapCode::Full));
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(8, 0xFF));
}

TEST(PixelRoutinesTest, BlitMapHandsEachCodeToTheCodedPlotter) {
  // One row of four pixels: codes 0, 1, 2, 3.
  std::vector<std::uint8_t> bytes{0b00011011};
  const TwoBitMap map{bytes, 1};
  const Rgb colour{100, 0, 200};
  for (PixelFormatCode code : test::allFormats()) {
    SCOPED_TRACE(static_cast<int>(code));
    Canvas canvas(code, 8, 3, kWhite);
    routinesOf(code).blitMap(canvas.target(), map, {0, 0, 1, 4}, {1, 3, 2, 7}, colour);
    EXPECT_TRUE(canvas.isBackground(3, 1));
    EXPECT_EQ(canvas.get(4, 1), packPixel(code, {177, 127, 227})) << "light: halfway to white";
    EXPECT_EQ(canvas.get(5, 1), 0u) << "black";
    EXPECT_EQ(canvas.get(6, 1), packPixel(code, colour));
    EXPECT_EQ(canvas.countDrawn(), 3);
    EXPECT_TRUE(canvas.guardsIntact());
  }
}

TEST(PixelRoutinesTest, BlitMapRefusesMismatchedRectanglesAndClipsToThePicture) {
  std::vector<std::uint8_t> bytes(2 * 4, 0xFF); // 8 x 4 pixels, all full colour
  const TwoBitMap map{bytes, 2};
  const PixelRoutineSet& r = routinesOf(PixelFormatCode::Xrgb8888);

  Canvas canvas(PixelFormatCode::Xrgb8888, 10, 10);
  r.blitMap(canvas.target(), map, {0, 0, 4, 8}, {0, 0, 4, 7}, kOrange);
  r.blitMap(canvas.target(), map, {0, 0, 4, 8}, {0, 0, 3, 8}, kOrange);
  EXPECT_EQ(canvas.countDrawn(), 0);
  r.blitMap(canvas.target(), map, {0, 0, 5, 8}, {0, 0, 5, 8}, kOrange); // map has only 4 rows
  EXPECT_EQ(canvas.countDrawn(), 0);

  r.blitMap(canvas.target(), map, {0, 0, 4, 8}, {-2, 5, 2, 13}, kOrange); // hangs over top and right
  EXPECT_EQ(canvas.countDrawn(), 2 * 5);
  EXPECT_TRUE(canvas.drawnOnlyInside({0, 5, 2, 10}));
  EXPECT_TRUE(canvas.guardsIntact());
}

TEST(PixelRoutinesTest, ClipSegmentRejectsNonFiniteEnds) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double rows[][4] = {{nan, 1, 5, 5}, {1, 1, 5, nan}, {-inf, 5, 5, 5}, {1, 1, inf, 1}};
  for (const auto& row : rows) {
    double x0 = row[0], y0 = row[1], x1 = row[2], y1 = row[3];
    EXPECT_FALSE(clipSegment({0, 0, 10, 10}, x0, y0, x1, y1));
  }
  double x0 = -5, y0 = 5, x1 = 15, y1 = 5;
  ASSERT_TRUE(clipSegment({0, 0, 10, 10}, x0, y0, x1, y1));
  EXPECT_DOUBLE_EQ(x0, 0.0);
  EXPECT_DOUBLE_EQ(x1, 9.0);
}

} // namespace
} // namespace vexmar
