#include "graph/space/graph_3d.h"

#include "graph/space/graph_space_3d.h"

#include <cstddef>

namespace vexmar {

BoxMapping BoxMapping::of(const CGraphSpace3D& space) {
  BoxMapping box;
  for (int axis = 0; axis < 3; ++axis) {
    const CoordinateRange r = space.range(axis).value_or(CoordinateRange{-2, 2});
    const auto a = static_cast<std::size_t>(axis);
    box.centre[a] = (r.max + r.min) / 2;
    box.halfWidth[a] = (r.max - r.min) / 2;
  }
  return box;
}

CGraph3D::CGraph3D(const CGraphSpace3D& space, std::unique_ptr<GraphStyle> style)
    : space_(space), style_(style ? std::move(style) : std::make_unique<GraphStyle>()) {}

CGraph3D::~CGraph3D() = default;

void CGraph3D::setOption(int code, double value) {
  if (code != Graph3DOption::ColourIndex) return;
  style_->setFromColourIndex(value);
  normaliseStyleColour(*style_);
}

Clock& CGraph3D::clock() const { return space_.clock(); }

} // namespace vexmar
