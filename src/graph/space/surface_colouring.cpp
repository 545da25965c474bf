#include "graph/space/surface_colouring.h"

#include "raster/rasteriser.h"

#include <algorithm>
#include <cmath>

namespace vexmar {
namespace {

constexpr ColourRef kUnnormalisedGrey = 0x333333;

constexpr int channelOf(ColourRef colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

double dot(const Direction3& a, const Direction3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

SurfaceColour grey(float f) { return {f, f, f}; }

// The two-tone patterns: dark where the chosen grid index is even.
SurfaceColour twoTone(int index) { return grey(index % 2 == 0 ? 0.3f : 1.0f); }

SurfaceColour fullHue(double hue) { return hsvToRgb(hue, 1, 1); }

bool usesFormulas(const GraphStyle& style) {
  return style.mode == static_cast<int>(GraphStyleMode::RgbFormula) ||
         style.mode == static_cast<int>(GraphStyleMode::HsvFormula);
}

} // namespace

ColourRef normaliseColour(ColourRef colour) {
  if (colour == kUnnormalisedGrey) return colour;
  std::array<int, 3> channels = {channelOf(colour, 0), channelOf(colour, 8), channelOf(colour, 16)};
  const auto largest = std::max_element(channels.begin(), channels.end());
  const int top = *largest;
  // A tie for the largest channel (black included) leaves the colour alone.
  if (std::count(channels.begin(), channels.end(), top) > 1) return colour;
  for (int& channel : channels) channel = &channel == &*largest ? 255 : channel * 255 / top;
  return static_cast<ColourRef>(channels[0]) | static_cast<ColourRef>(channels[1]) << 8 |
         static_cast<ColourRef>(channels[2]) << 16;
}

void normaliseStyleColour(GraphStyle& style) {
  if (style.mode == static_cast<int>(GraphStyleMode::PlainColour))
    style.colour = normaliseColour(style.colour);
}

double lightIntensity(const Direction3& normal, const SurfaceLighting& lighting) {
  const double d = dot(normal, lighting.light);
  const Direction3 reflected = {2 * d * normal[0] - lighting.light[0], 2 * d * normal[1] - lighting.light[1],
                                2 * d * normal[2] - lighting.light[2]};
  double highlight = std::max(0.0, dot(reflected, lighting.view));
  for (int k = 0; k < 5; ++k) highlight *= highlight; // the 32nd power
  const double intensity = 0.2 + 0.8 * (0.8 * std::fabs(d) + 0.6 * highlight);
  // A non-finite normal (never stored, but cheap to guard) draws at the ambient level.
  return std::isfinite(intensity) ? intensity : 0.2;
}

SurfaceColour hsvToRgb(double hue, double saturation, double value) {
  if (!std::isfinite(hue)) hue = 0;
  const double scaled = (hue - std::floor(hue)) * 6;
  const double sector = std::floor(scaled);
  const double f = scaled - sector;
  const auto v = static_cast<float>(value);
  const auto p = static_cast<float>(value * (1 - saturation));
  const auto q = static_cast<float>(value * (1 - saturation * f));
  const auto t = static_cast<float>(value * (1 - saturation * (1 - f)));
  // Rounding can carry a hue just below 1 up to 6.
  switch (static_cast<int>(sector) % 6) {
  case 0:
    return {v, t, p};
  case 1:
    return {q, v, p};
  case 2:
    return {p, v, t};
  case 3:
    return {p, q, v};
  case 4:
    return {t, p, v};
  default:
    return {v, p, q};
  }
}

float clampColourChannel(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<float>(std::clamp(value, 0.0, 1.0));
}

bool compileColourFormulas(GraphStyle& style) {
  if (!usesFormulas(style)) return false;
  auto& formulas = style.colourEvaluators;
  if (!formulas[0] || !formulas[1] || !formulas[2]) return false;
  compileBatch({formulas[0].get(), formulas[1].get(), formulas[2].get()});
  return true;
}

bool colourFormulasDependOn(const GraphStyle& style, std::uint16_t code) {
  if (!usesFormulas(style)) return false;
  return std::any_of(style.colourEvaluators.begin(), style.colourEvaluators.end(),
                     [code](const auto& formula) { return formula && formula->dependsOnVariable(code); });
}

std::array<float, 3> evaluateColourFormulas(const GraphStyle& style, double u, double v, double x, double y,
                                            double z) {
  std::array<float, 3> channels{};
  for (std::size_t k = 0; k < channels.size(); ++k) {
    const Evaluator* formula = style.colourEvaluators[k].get();
    if (formula && formula->isCompiled()) channels[k] = clampColourChannel(formula->evalUVXYZ(u, v, x, y, z));
  }
  return channels;
}

bool coloursCells(int mode) { return mode == 1 || mode == 2 || mode == 3 || mode == 6 || mode == 7; }

SurfaceColour baseColour(const GraphStyle& style, const SurfaceGridSpot& spot,
                         const std::array<float, 3>& channels) {
  const double size = spot.size > 0 ? spot.size : 1;
  switch (style.mode) {
  case 1:
    return twoTone(spot.row ^ spot.column);
  case 2:
    return twoTone(spot.row);
  case 3:
    return twoTone(spot.column);
  case 4:
    return fullHue(spot.row / size);
  case 5:
    return fullHue(spot.column / size);
  case 6:
    return fullHue((spot.row % 6) / 6.0);
  case 7:
    return fullHue((spot.column % 6) / 6.0);
  case static_cast<int>(GraphStyleMode::RgbFormula):
    return {clampColourChannel(channels[0]), clampColourChannel(channels[1]),
            clampColourChannel(channels[2])};
  case static_cast<int>(GraphStyleMode::HsvFormula):
    return hsvToRgb(clampColourChannel(channels[0]), clampColourChannel(channels[1]),
                    clampColourChannel(channels[2]));
  default:
    break; // plain colour, and texture mode drawn untextured
  }
  return {static_cast<float>(channelOf(style.colour, 0) / 255.0),
          static_cast<float>(channelOf(style.colour, 8) / 255.0),
          static_cast<float>(channelOf(style.colour, 16) / 255.0)};
}

SurfaceColour litColour(const SurfaceColour& base, double intensity) {
  const auto i = static_cast<float>(intensity);
  return {base.r * i, base.g * i, base.b * i};
}

CellCorners cellCornerColours(const GraphStyle& style, const SurfaceGridSpot& cell,
                              const std::array<double, 4>& intensities,
                              const std::array<std::array<float, 3>, 4>& channels) {
  const bool wholeCell = coloursCells(style.mode);
  CellCorners corners;
  for (std::size_t k = 0; k < corners.size(); ++k) {
    const SurfaceGridSpot corner = wholeCell
                                       ? cell
                                       : SurfaceGridSpot{cell.row + static_cast<int>(k / 2),
                                                         cell.column + static_cast<int>(k % 2), cell.size};
    corners[k] = litColour(baseColour(style, corner, channels[k]), intensities[k]);
  }
  return corners;
}

void setVertexColour(RasterVertex& vertex, const SurfaceColour& colour) {
  vertex.r = colour.r;
  vertex.g = colour.g;
  vertex.b = colour.b;
}

} // namespace vexmar
