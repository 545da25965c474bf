#include "graph/space/graph_space_3d.h"

#include "raster/drawing_port.h"

#include <cmath>
#include <numbers>

namespace vexmar {
namespace {

// Where each coordinate index finds its range in the stored order.
constexpr std::array<int, 9> kStoredPlace = {3, 4, 5, 6, 8, 9, 0, 1, 2};

} // namespace

CGraphSpace3D::CGraphSpace3D(PixelRect rect) : rect_(rect) { reset(); }

void CGraphSpace3D::reset() {
  constexpr double pi = std::numbers::pi;
  ranges = {{{0, 1}, {0, 1}, {0, 1}, {-2, 2}, {-2, 2}, {-2, 2}, {0, 2}, {0, 2}, {0, 2 * pi}, {0, pi}}};
  spin = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  orientation = spin;
  spinning = false;
}

CoordinateRange* CGraphSpace3D::heldRange(int index) {
  if (index < 0 || index >= static_cast<int>(kStoredPlace.size())) return nullptr;
  return &ranges[static_cast<std::size_t>(kStoredPlace[static_cast<std::size_t>(index)])];
}

std::optional<CoordinateRange> CGraphSpace3D::range(int index) const {
  if (index < 0 || index >= static_cast<int>(kStoredPlace.size())) return std::nullopt;
  return ranges[static_cast<std::size_t>(kStoredPlace[static_cast<std::size_t>(index)])];
}

bool CGraphSpace3D::setRange(int index, bool isMax, double value) {
  CoordinateRange* held = heldRange(index);
  if (held == nullptr || !std::isfinite(value)) return false;
  (isMax ? held->max : held->min) = value;
  requestRedraw();
  return true;
}

void CGraphSpace3D::work(std::int64_t /*budgetMs*/) {}

void CGraphSpace3D::draw(DrawingPort& port, unsigned flags) {
  if ((flags & DrawFlag::Background) == 0) return;
  port.setClip(rect_);
  port.setBrush(Rgb{255, 255, 255});
  port.fillRect(rect_);
}

GraphStatus CGraphSpace3D::status(int /*graphIndex*/) const { return GraphStatus::None; }

void CGraphSpace3D::layoutChanged(PixelRect rect) {
  rect_ = rect;
  requestRedraw();
}

void CGraphSpace3D::zoom(int kind) {
  if (kind == 2) {
    reset();
  } else if (kind == 0 || kind == 1) {
    // x, y and z each about their own centre.
    const double factor = kind == 0 ? 0.5 : 2.0;
    for (int index = 0; index < 3; ++index) {
      CoordinateRange& r = *heldRange(index);
      const double centre = (r.min + r.max) / 2;
      r = {(r.min - centre) * factor + centre, (r.max - centre) * factor + centre};
    }
  }
  requestRedraw();
}

void CGraphSpace3D::setProperty(int /*which*/, double /*value*/, int /*graphIndex*/) {}

RectRegion CGraphSpace3D::invalidRegion(bool /*whole*/) const { return RectRegion(rect_); }

RectRegion CGraphSpace3D::readoutRegion(bool /*whole*/) const { return {}; }

void CGraphSpace3D::mouseDown(PixelPoint /*point*/, unsigned /*modifiers*/, bool /*doubleClick*/) {}
void CGraphSpace3D::mouseUp(PixelPoint /*point*/) {}
void CGraphSpace3D::mouseMove(PixelPoint /*point*/, PixelPoint /*previous*/) {}
void CGraphSpace3D::parameterChanged(std::uint16_t /*name*/, double /*value*/) {}

} // namespace vexmar
