#include "graph/space/graph_space_3d.h"

#include "graph/space/graph_3d.h"
#include "model/clock.h"
#include "raster/drawing_port.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace vexmar {
namespace {

// Where each coordinate index finds its range in the stored order.
constexpr std::array<int, 9> kStoredPlace = {3, 4, 5, 6, 8, 9, 0, 1, 2};

// Holding the mouse still this long before releasing stops the spin.
constexpr std::int64_t kHoldStillMs = 20;

} // namespace

CGraphSpace3D::CGraphSpace3D(PixelRect rect, Clock* clock) : rect_(rect), clock_(clock) { reset(); }

CGraphSpace3D::~CGraphSpace3D() = default;

Clock& CGraphSpace3D::clock() const { return clock_ != nullptr ? *clock_ : steadyClock(); }

int CGraphSpace3D::addGraph(std::unique_ptr<CGraph3D> graph) {
  graphs_.push_back(std::move(graph));
  return static_cast<int>(graphs_.size()) - 1;
}

CGraph3D* CGraphSpace3D::graph(int index) const {
  if (index < 0 || index >= static_cast<int>(graphs_.size())) return nullptr;
  return graphs_[static_cast<std::size_t>(index)].get();
}

int CGraphSpace3D::graphCount() const { return static_cast<int>(graphs_.size()); }

void CGraphSpace3D::clearGraphs() { graphs_.clear(); }

bool CGraphSpace3D::allComplete() const {
  return std::all_of(graphs_.begin(), graphs_.end(), [](const auto& g) { return g->isComplete(); });
}

long long CGraphSpace3D::lastFrameTriangles() const { return lastFrameTriangles_; }
long long CGraphSpace3D::totalTriangles() const { return totalTriangles_; }

void CGraphSpace3D::reset() {
  constexpr double pi = std::numbers::pi;
  ranges = {{{0, 1}, {0, 1}, {0, 1}, {-2, 2}, {-2, 2}, {-2, 2}, {0, 2}, {0, 2}, {0, 2 * pi}, {0, pi}}};
  spin = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  orientation = spin;
  spinning = false;
  updateCamera();
}

void CGraphSpace3D::updateCamera() {
  camera_.update(orientation, rect_.width(), rect_.height(), defaultViewingDistance(), 1.2);
}

void CGraphSpace3D::turnBy(const Matrix3& rotation) {
  orientation = orthonormalised(multiply(orientation, rotation));
  updateCamera();
  requestRedraw();
}

CoordinateRange* CGraphSpace3D::heldRange(int index) {
  if (index < 0 || index >= static_cast<int>(kStoredPlace.size())) return nullptr;
  return &ranges[static_cast<std::size_t>(kStoredPlace[static_cast<std::size_t>(index)])];
}

const CoordinateRange& CGraphSpace3D::heldRange(Coordinate coordinate) const {
  return ranges[static_cast<std::size_t>(kStoredPlace[static_cast<std::size_t>(coordinate)])];
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

void CGraphSpace3D::work(std::int64_t /*budgetMs*/) {
  // No graph holds the picture back yet, so each idle step is a spin step unless a drag holds it.
  if (spinning && drag_ == Drag::None && spin != kIdentity3) turnBy(spin);
}

void CGraphSpace3D::draw(DrawingPort& port, unsigned flags) {
  if ((flags & DrawFlag::Background) == 0) return;
  port.setClip(rect_);
  port.setBrush(Rgb{255, 255, 255});
  port.fillRect(rect_);
}

GraphStatus CGraphSpace3D::status(int graphIndex) const {
  const CGraph3D* g = graph(graphIndex);
  return g != nullptr ? g->status() : GraphStatus::None;
}

void CGraphSpace3D::layoutChanged(PixelRect rect) {
  rect_ = rect;
  updateCamera();
  requestRedraw();
}

void CGraphSpace3D::zoom(int kind) {
  if (kind == 2) {
    reset();
  } else if (kind == 0 || kind == 1) {
    // x, y and z each about their own centre. Only the final step is taken: the animated steps
    // between need a computing step and a frame each, which come with the 3D graphs.
    const double factor = zoomStepFactors(kind == 0).back();
    for (int index = 0; index < 3; ++index) {
      CoordinateRange& r = *heldRange(index);
      const double centre = (r.min + r.max) / 2;
      r = {(r.min - centre) * factor + centre, (r.max - centre) * factor + centre};
    }
  }
  requestRedraw();
}

void CGraphSpace3D::setProperty(int which, double value, int /*graphIndex*/) {
  if (which == 1) {
    spinning = value != 0;
  } else if (which >= 2 && which <= 4 && std::isfinite(value)) {
    spin = spinAboutAxis(orientation, which - 2, value);
    spinning = true;
  }
}

RectRegion CGraphSpace3D::invalidRegion(bool /*whole*/) const { return RectRegion(rect_); }

RectRegion CGraphSpace3D::readoutRegion(bool /*whole*/) const { return {}; }

void CGraphSpace3D::mouseDown(PixelPoint point, unsigned modifiers, bool /*doubleClick*/) {
  // A click stops the spin without turning the picture.
  spin = kIdentity3;
  spinning = false;
  drag_ = (modifiers & MouseModifier::Control) != 0 ? Drag::RotateCoarse : Drag::Rotate;
  lastPoint_ = point;
  if (clock_ != nullptr) lastStepMs_ = clock_->nowMs();
}

void CGraphSpace3D::stopIfHeldStill() {
  if (clock_ == nullptr || clock_->nowMs() - lastStepMs_ <= kHoldStillMs) return;
  spin = kIdentity3;
  spinning = false;
}

void CGraphSpace3D::mouseUp(PixelPoint point) {
  // The view may report no move while the mouse rests, so the release checks the pause too.
  if (drag_ != Drag::None && point == lastPoint_) stopIfHeldStill();
  drag_ = Drag::None;
}

void CGraphSpace3D::mouseMove(PixelPoint point, PixelPoint /*previous*/) {
  if (drag_ == Drag::None) return;
  if (point == lastPoint_) {
    stopIfHeldStill();
    return;
  }
  const double width = rect_.width();
  const double height = rect_.height();
  double radius = 0.4 * std::min(width, height);
  if (drag_ == Drag::RotateCoarse) {
    // Small jitters are ignored so that the coarse ball turns only on deliberate moves.
    if (std::abs(point.x - lastPoint_.x) + std::abs(point.y - lastPoint_.y) < 4) return;
    radius = std::max(width, height);
  }
  const Matrix3 rotation = trackballRotation(lastPoint_.x, lastPoint_.y, point.x, point.y,
                                             rect_.left + width / 2, rect_.top + height / 2, radius);
  lastPoint_ = point;
  if (clock_ != nullptr) lastStepMs_ = clock_->nowMs();
  // What the last step turned by keeps turning the picture after release.
  spin = rotation;
  spinning = rotation != kIdentity3;
  turnBy(rotation);
}
void CGraphSpace3D::parameterChanged(std::uint16_t name, double /*value*/) {
  // A graph that uses the letter starts again by itself; the others keep their samples.
  for (const auto& g : graphs_) (void)g->dependsOn(name);
}

} // namespace vexmar
