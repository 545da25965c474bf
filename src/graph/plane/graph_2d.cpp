#include "graph/plane/graph_2d.h"

namespace vexmar {

CGraph2D::CGraph2D(const CGraphPlane& plane, std::unique_ptr<GraphStyle> style)
    : plane_(plane), style_(style ? std::move(style) : std::make_unique<GraphStyle>()) {}

CGraph2D::~CGraph2D() = default;

void CGraph2D::parameterChanged(std::uint16_t /*name*/, double /*value*/) {}

void CGraph2D::setProperty(int which, double value) {
  if (which == GraphProperty::ColourIndex) style_->setFromColourIndex(value);
}

Rgb colourOf(const GraphStyle& style) {
  // A COLORREF keeps red in the low byte.
  return Rgb{static_cast<std::uint8_t>(style.colour & 0xFF),
             static_cast<std::uint8_t>((style.colour >> 8) & 0xFF),
             static_cast<std::uint8_t>((style.colour >> 16) & 0xFF)};
}

} // namespace vexmar
