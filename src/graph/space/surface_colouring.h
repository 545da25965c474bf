#pragma once

#include "graph/graph_style.h"

#include <array>
#include <cstdint>

namespace vexmar {

struct RasterVertex;

/// A colour as the rasteriser takes it: red, green, blue, nominally 0..1 (lighting may push a
/// channel above 1; the rasteriser clamps when it writes the pixel).
struct SurfaceColour {
  float r = 0;
  float g = 0;
  float b = 0;
  friend bool operator==(const SurfaceColour&, const SurfaceColour&) = default;
};

using Direction3 = std::array<double, 3>;

/// The camera's light and view directions, both unit vectors.
struct SurfaceLighting {
  Direction3 light{0, 0, 1};
  Direction3 view{0, 0, 1};
};

/// Where a colour is asked for on an n x n surface grid. For the patterns that colour whole
/// cells, (row, column) is the cell's first corner.
struct SurfaceGridSpot {
  int row = 0;
  int column = 0;
  int size = 1; ///< n, the number of samples along each side
};

/// A plain colour with its largest channel raised to 255 and the others scaled alike; a tie for
/// the largest channel, and the grey 0x333333, stay as they are.
[[nodiscard]] ColourRef normaliseColour(ColourRef colour);
/// Normalises the style's colour when it is a plain colour (mode 0).
void normaliseStyleColour(GraphStyle& style);

/// The intensity a vertex with unit normal `normal` is lit with; both sides of a surface alike.
[[nodiscard]] double lightIntensity(const Direction3& normal, const SurfaceLighting& lighting);

/// Hexcone HSV to RGB; the hue wraps, so 1 is red again.
[[nodiscard]] SurfaceColour hsvToRgb(double hue, double saturation, double value);

/// A formula colour channel as drawn: clamped to 0..1, NaN as 0.
[[nodiscard]] float clampColourChannel(double value);

/// Compiles the three colour formulas together in modes 9 and 10 (so they share common parts);
/// false when a formula is missing, and in other modes.
bool compileColourFormulas(GraphStyle& style);
/// Whether, in modes 9 and 10, any colour formula uses the letter `code`.
[[nodiscard]] bool colourFormulasDependOn(const GraphStyle& style, std::uint16_t code);

/// The three colour formulas of modes 9 and 10 at one sample, each clamped; the graph stores
/// them per sample while sampling. Missing or uncompiled formulas give 0.
[[nodiscard]] std::array<float, 3> evaluateColourFormulas(const GraphStyle& style, double u, double v,
                                                          double x, double y, double z);

/// Whether the style colours whole grid cells (Checkers, Stripes, Bars and the candy patterns)
/// rather than vertices.
[[nodiscard]] bool coloursCells(int mode);

/// The unlit colour of a vertex (or of a cell, see coloursCells). `channels` are the sample's
/// stored formula values, read only in modes 9 and 10. Texture mode gives the untextured plain
/// colour: texturing is done by the device, not here (texture colouring, below, is not built yet).
[[nodiscard]] SurfaceColour baseColour(const GraphStyle& style, const SurfaceGridSpot& spot,
                                       const std::array<float, 3>& channels = {});

// Texture colouring belongs here: mode 8 with a device texture (texel lookup, texture
// coordinates over the (u, v) grid) is not built yet, so textured surfaces draw untextured.

/// The base colour scaled by a lighting intensity.
[[nodiscard]] SurfaceColour litColour(const SurfaceColour& base, double intensity);

/// Corner order of a grid cell: (r, c), (r, c + 1), (r + 1, c), (r + 1, c + 1).
using CellCorners = std::array<SurfaceColour, 4>;

/// The lit colours of the corners of the cell whose first corner is `cell`, given each corner's
/// intensity and stored formula values. The cell patterns give all four corners the cell's
/// colour; the other modes colour each corner as its own vertex, so neighbouring cells blend.
[[nodiscard]] CellCorners cellCornerColours(const GraphStyle& style, const SurfaceGridSpot& cell,
                                            const std::array<double, 4>& intensities,
                                            const std::array<std::array<float, 3>, 4>& channels = {});

/// Writes a lit colour into a vertex record.
void setVertexColour(RasterVertex& vertex, const SurfaceColour& colour);

} // namespace vexmar
