#include "graph/graph_style.h"

#include <cmath>

namespace vexmar {
namespace {

struct ColourRow {
  int index;
  int mode;
  ColourRef colour;
};

// Patterns and the texture draw no plain colour, so they leave the style's colour alone.
constexpr ColourRef kKeepColour = 0xFFFFFFFF;

// Indexes 10..16 choose the surface patterns 1..7; 999 the texture.
constexpr std::array<ColourRow, 16> kColourTable = {{
    {1, 0, 0xCE00CE}, // purple
    {2, 0, 0x0000FF}, // red
    {3, 0, 0xFF0000}, // blue
    {4, 0, 0x00CE00}, // green
    {5, 0, 0xFFFF00}, // cyan
    {6, 0, 0x00FFFF}, // yellow
    {7, 0, 0xF0C0F0}, // mauve
    {8, 0, 0xCCCCCC}, // frost
    {10, 1, kKeepColour},
    {11, 2, kKeepColour},
    {12, 3, kKeepColour},
    {13, 4, kKeepColour},
    {14, 5, kKeepColour},
    {15, 6, kKeepColour},
    {16, 7, kKeepColour},
    {999, 8, kKeepColour},
}};

constexpr ColourRow kOtherIndex = {0, 0, 0xFFFFFF};

const ColourRow& rowForIndex(int index) {
  for (const ColourRow& row : kColourTable)
    if (row.index == index) return row;
  return kOtherIndex;
}

// Truncates like the integer conversion the index always had, without the undefined behaviour
// of converting NaN or a huge value.
int toIndex(double colourIndex) {
  if (!(std::fabs(colourIndex) < 1e9)) return 0;
  return static_cast<int>(colourIndex);
}

} // namespace

void GraphStyle::setFromColourIndex(double colourIndex) {
  const ColourRow& row = rowForIndex(toIndex(colourIndex));
  mode = row.mode;
  if (row.colour != kKeepColour) colour = row.colour;
}

ColourRef colourForIndex(int colourIndex) {
  const ColourRow& row = rowForIndex(colourIndex);
  return row.mode == 0 ? row.colour : kOtherIndex.colour;
}

} // namespace vexmar
