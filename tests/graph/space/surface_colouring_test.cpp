#include "graph/space/surface_colouring.h"

#include "graph/equation_classifier.h"
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "raster/rasteriser.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vexmar {
namespace {

constexpr float kTolerance = 1e-6f;
const double kNan = std::numeric_limits<double>::quiet_NaN();

void expectColour(const SurfaceColour& actual, const SurfaceColour& expected) {
  EXPECT_NEAR(actual.r, expected.r, kTolerance);
  EXPECT_NEAR(actual.g, expected.g, kTolerance);
  EXPECT_NEAR(actual.b, expected.b, kTolerance);
}

TEST(SurfaceColouring, NormalisesPlainColours) {
  struct Row {
    const char* name;
    ColourRef colour;
    ColourRef normalised;
  };
  const Row rows[] = {
      {"dark red", 0x0000CE, 0x0000FF},
      {"two equal largest channels", 0x00CECE, 0x00CECE},
      {"the kept grey", 0x333333, 0x333333},
      {"other grey is a tie", 0x444444, 0x444444},
      {"black", 0x000000, 0x000000},
      {"others scale and truncate", 0x204080, 0x3F7FFF},
      {"largest in green", 0x106410, 0x28FF28},
      {"largest in blue", 0xC80000, 0xFF0000},
      {"purple of the table", 0xCE00CE, 0xCE00CE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(normaliseColour(row.colour), row.normalised);
  }
}

TEST(SurfaceColouring, TableColoursAfterNormalising) {
  struct Row {
    double index;
    ColourRef colour;
  };
  // Only green has a single largest channel short of 255; the others are full or tied.
  const Row rows[] = {{1, 0xCE00CE}, {2, 0x0000FF}, {3, 0xFF0000}, {4, 0x00FF00},
                      {5, 0xFFFF00}, {6, 0x00FFFF}, {7, 0xF0C0F0}, {8, 0xCCCCCC}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    GraphStyle style;
    style.setFromColourIndex(row.index);
    normaliseStyleColour(style);
    EXPECT_EQ(style.colour, row.colour);
  }
  GraphStyle pattern;
  pattern.colour = 0x0000CE;
  pattern.setFromColourIndex(10);
  normaliseStyleColour(pattern);
  EXPECT_EQ(pattern.colour, 0x0000CEU) << "only a plain colour is normalised";
}

TEST(SurfaceColouring, PlainColourIsTheColourRefOver255) {
  GraphStyle style;
  style.colour = 0x336699; // blue 0x33, green 0x66, red 0x99
  expectColour(baseColour(style, {3, 4, 10}), {0x99 / 255.0f, 0x66 / 255.0f, 0x33 / 255.0f});
  style.mode = static_cast<int>(GraphStyleMode::Texture);
  expectColour(baseColour(style, {3, 4, 10}), {0x99 / 255.0f, 0x66 / 255.0f, 0x33 / 255.0f});
}

TEST(SurfaceColouring, PatternsAtChosenCells) {
  const SurfaceColour dark{0.3f, 0.3f, 0.3f};
  const SurfaceColour light{1, 1, 1};
  const SurfaceColour red{1, 0, 0};
  const SurfaceColour yellow{1, 1, 0};
  const SurfaceColour green{0, 1, 0};
  const SurfaceColour cyan{0, 1, 1};
  const SurfaceColour blue{0, 0, 1};
  const SurfaceColour magenta{1, 0, 1};
  struct Row {
    const char* name;
    int mode;
    SurfaceGridSpot spot;
    SurfaceColour colour;
  };
  const Row rows[] = {
      {"checkers origin is grey", 1, {0, 0, 65}, dark},
      {"checkers next column", 1, {0, 1, 65}, light},
      {"checkers next row", 1, {1, 0, 65}, light},
      {"checkers diagonal", 1, {1, 1, 65}, dark},
      {"checkers far corner", 1, {63, 63, 65}, dark},
      {"checkers 2, 3", 1, {2, 3, 65}, light},
      {"stripes even row", 2, {4, 7, 65}, dark},
      {"stripes odd row", 2, {5, 6, 65}, light},
      {"bars even column", 3, {5, 6, 65}, dark},
      {"bars odd column", 3, {4, 7, 65}, light},
      {"rainbow first row", 4, {0, 9, 12}, red},
      {"rainbow row 2 of 12 is yellow", 4, {2, 0, 12}, yellow},
      {"rainbow row 3 of 12 halfway to green", 4, {3, 0, 12}, {0.5f, 1, 0}},
      {"rainbow row 8 of 12 is blue", 4, {8, 5, 12}, blue},
      {"spectrum column 4 of 12 is green", 5, {8, 4, 12}, green},
      {"spectrum column 11 of 12", 5, {0, 11, 12}, {1, 0, 0.5f}},
      {"candy stripes row 0", 6, {0, 3, 65}, red},
      {"candy stripes row 3", 6, {3, 0, 65}, cyan},
      {"candy stripes row 11 repeats 5", 6, {11, 0, 65}, magenta},
      {"candy bars column 2", 7, {1, 2, 65}, green},
      {"candy bars column 10 repeats 4", 7, {0, 10, 65}, blue},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    GraphStyle style;
    style.mode = row.mode;
    style.colour = 0x123456; // plays no part in the patterns
    expectColour(baseColour(style, row.spot), row.colour);
  }
}

TEST(SurfaceColouring, LightingBothSidesAlike) {
  struct Row {
    const char* name;
    Direction3 normal;
    SurfaceLighting lighting;
    double intensity;
  };
  const double h = std::sqrt(0.5);
  const Row rows[] = {
      // d = 1, R = L, s = 1: 0.2 + 0.8 (0.8 + 0.6)
      {"facing light and viewer", {0, 0, 1}, {{0, 0, 1}, {0, 0, 1}}, 1.32},
      {"facing away", {0, 0, -1}, {{0, 0, 1}, {0, 0, 1}}, 1.32},
      // d = 0, R = -L, s < 0 → 0
      {"edge on", {1, 0, 0}, {{0, 0, 1}, {0, 0, 1}}, 0.2},
      // d = 1, R = L, s = L · V = 0: diffuse only
      {"viewer across the light", {0, 0, 1}, {{0, 0, 1}, {1, 0, 0}}, 0.84},
      // d = √½, R = (1, 0, 0), s = 0: diffuse only
      {"tilted", {h, 0, h}, {{0, 0, 1}, {0, 0, 1}}, 0.2 + 0.64 * h},
      {"tilted, back side", {-h, 0, -h}, {{0, 0, 1}, {0, 0, 1}}, 0.2 + 0.64 * h},
      // d = √½, R = (−√½, 0, √½), s = √½, s³² = 2⁻¹⁶
      {"light from the side", {0, 0, 1}, {{h, 0, h}, {0, 0, 1}}, 0.2 + 0.8 * (0.8 * h + 0.6 / 65536)},
      // d = √½, R = (0, 0, 1) straight at the viewer: full highlight
      {"mirror toward viewer", {h, 0, h}, {{1, 0, 0}, {0, 0, 1}}, 0.2 + 0.8 * (0.8 * h + 0.6)},
      {"mirror toward viewer, back side", {-h, 0, -h}, {{1, 0, 0}, {0, 0, 1}}, 0.2 + 0.8 * (0.8 * h + 0.6)},
      {"not a normal", {kNan, 0, 0}, {{0, 0, 1}, {0, 0, 1}}, 0.2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_NEAR(lightIntensity(row.normal, row.lighting), row.intensity, 1e-12);
  }
}

TEST(SurfaceColouring, LitColourReachesTheVertex) {
  GraphStyle style;
  style.colour = 0x0000FF;
  const double intensity = lightIntensity({0, 0, 1}, {{0, 0, 1}, {1, 0, 0}});
  RasterVertex vertex;
  setVertexColour(vertex, litColour(baseColour(style, {0, 0, 2}), intensity));
  EXPECT_NEAR(vertex.r, 0.84f, kTolerance);
  EXPECT_EQ(vertex.g, 0.0f);
  EXPECT_EQ(vertex.b, 0.0f);
}

TEST(SurfaceColouring, CellPatternsColourAllCornersAlike) {
  const std::array<double, 4> intensities = {1, 0.5, 0.25, 1.25};
  GraphStyle checkers;
  checkers.mode = 1;
  // Corner (1, 1) would be grey as a vertex of its own; here it takes its cell's grey as well,
  // and cell (0, 1) is white at all four corners.
  const CellCorners grey = cellCornerColours(checkers, {0, 0, 65}, intensities);
  const CellCorners white = cellCornerColours(checkers, {0, 1, 65}, intensities);
  for (std::size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const auto f = static_cast<float>(intensities[k]);
    expectColour(grey[k], {0.3f * f, 0.3f * f, 0.3f * f});
    expectColour(white[k], {f, f, f});
  }

  GraphStyle rainbow;
  rainbow.mode = 4;
  const CellCorners blended = cellCornerColours(rainbow, {0, 3, 6}, {1, 1, 0.5, 0.5});
  expectColour(blended[0], {1, 0, 0});
  expectColour(blended[1], {1, 0, 0});
  expectColour(blended[2], {0.5f, 0.5f, 0}); // row 1 of 6: yellow, half lit
  expectColour(blended[3], {0.5f, 0.5f, 0});

  GraphStyle rgb;
  rgb.mode = static_cast<int>(GraphStyleMode::RgbFormula);
  const CellCorners own =
      cellCornerColours(rgb, {2, 2, 6}, {1, 1, 1, 2}, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.5f, 0.5f, 0}}});
  expectColour(own[1], {0, 1, 0});
  expectColour(own[3], {1, 1, 0});
}

TEST(SurfaceColouring, HsvSectorsAndEdges) {
  struct Row {
    const char* name;
    double h, s, v;
    SurfaceColour rgb;
  };
  const Row rows[] = {
      // Each sector at a quarter of its way: f = 0.25, s = 1, v = 1 → p = 0, q = 0.75, t = 0.25.
      {"sector 0", 0.25 / 6, 1, 1, {1, 0.25f, 0}},
      {"sector 1", 1.25 / 6, 1, 1, {0.75f, 1, 0}},
      {"sector 2", 2.25 / 6, 1, 1, {0, 1, 0.25f}},
      {"sector 3", 3.25 / 6, 1, 1, {0, 0.75f, 1}},
      {"sector 4", 4.25 / 6, 1, 1, {0.25f, 0, 1}},
      {"sector 5", 5.25 / 6, 1, 1, {1, 0, 0.75f}},
      // s = 0.5, v = 0.8, f = 0.5: p = 0.4, q = t = 0.6
      {"partial saturation", 0.5 / 6, 0.5, 0.8, {0.8f, 0.6f, 0.4f}},
      {"no saturation is grey", 0.7, 0, 0.6, {0.6f, 0.6f, 0.6f}},
      {"no value is black", 0.3, 1, 0, {0, 0, 0}},
      {"hue 1 wraps to red", 1, 1, 1, {1, 0, 0}},
      {"hue past 1 wraps", 1 + 2.0 / 6, 1, 1, {0, 1, 0}},
      {"negative hue wraps", -1.0 / 6, 1, 1, {1, 0, 1}},
      {"just below 1", std::nextafter(1.0, 0.0), 1, 1, {1, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    expectColour(hsvToRgb(row.h, row.s, row.v), row.rgb);
  }
}

TEST(SurfaceColouring, FormulaChannelsClamp) {
  struct Row {
    double value;
    float channel;
  };
  const Row rows[] = {{1.7, 1},
                      {-0.2, 0},
                      {0.25, 0.25f},
                      {0, 0},
                      {1, 1},
                      {kNan, 0},
                      {std::numeric_limits<double>::infinity(), 1},
                      {-std::numeric_limits<double>::infinity(), 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(clampColourChannel(row.value), row.channel);
  }
  GraphStyle rgb;
  rgb.mode = static_cast<int>(GraphStyleMode::RgbFormula);
  expectColour(baseColour(rgb, {}, {1.7f, -0.2f, 0.5f}), {1, 0, 0.5f});
  GraphStyle hsv;
  hsv.mode = static_cast<int>(GraphStyleMode::HsvFormula);
  expectColour(baseColour(hsv, {}, {4.0f / 6, 2, 1}), {0, 0, 1});
}

class SurfaceColouringFormulaTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
};

TEST_F(SurfaceColouringFormulaTest, FormulasSeeParametersAndPosition) {
  GraphStyle style;
  style.mode = static_cast<int>(GraphStyleMode::RgbFormula);
  const char* entries[] = {"char[u]", "char[v]", "char[z]"};
  for (std::size_t k = 0; k < 3; ++k) {
    ObjectPtr tree = readObjectText(entries[k]);
    ASSERT_TRUE(tree);
    style.colourEvaluators[k] = std::make_unique<Evaluator>(std::move(tree));
  }
  compileBatch(
      {style.colourEvaluators[0].get(), style.colourEvaluators[1].get(), style.colourEvaluators[2].get()});
  const auto channels = evaluateColourFormulas(style, 1.7, -0.2, 0, 0, 0.5);
  EXPECT_EQ(channels, (std::array<float, 3>{1, 0, 0.5f}));
  EXPECT_EQ(evaluateColourFormulas(style, kNan, 0.25, 0, 0, 0.75), (std::array<float, 3>{0, 0.25f, 0.75f}));

  EXPECT_TRUE(colourFormulasDependOn(style, Letter::U));
  EXPECT_TRUE(colourFormulasDependOn(style, Letter::Z));
  EXPECT_FALSE(colourFormulasDependOn(style, Letter::X));
  style.mode = static_cast<int>(GraphStyleMode::HsvFormula);
  EXPECT_TRUE(colourFormulasDependOn(style, Letter::V));
  style.mode = static_cast<int>(GraphStyleMode::PlainColour);
  EXPECT_FALSE(colourFormulasDependOn(style, Letter::U)) << "formulas of another mode are not drawn";
  EXPECT_FALSE(compileColourFormulas(style));
  style.mode = static_cast<int>(GraphStyleMode::RgbFormula);

  style.colourEvaluators[1].reset();
  EXPECT_FALSE(compileColourFormulas(style));
  EXPECT_EQ(evaluateColourFormulas(style, 0.5, 0.5, 0, 0, 0.5), (std::array<float, 3>{0.5f, 0, 0.5f}))
      << "a missing formula gives 0";
}

} // namespace
} // namespace vexmar
