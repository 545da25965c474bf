#include "graph/space/graph_space_3d.h"

#include "graph/space/graph_3d.h"
#include "graph/space/surface_colouring.h"
#include "model/clock.h"
#include "raster/drawing_port.h"
#include "raster/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace vexmar {
namespace {

// Where each coordinate index finds its range in the stored order.
constexpr std::array<int, 9> kStoredPlace = {3, 4, 5, 6, 8, 9, 0, 1, 2};

bool isCoordinateIndex(int index) { return index >= 0 && index < static_cast<int>(kStoredPlace.size()); }
std::size_t storedPlace(int index) {
  return static_cast<std::size_t>(kStoredPlace[static_cast<std::size_t>(index)]);
}

// Holding the mouse still this long before releasing stops the spin.
constexpr std::int64_t kHoldStillMs = 20;

// The radius the camera's depth range starts each computing step with: the box's inscribed
// sphere with a margin, or more when the box is off the origin and graphs tend to reach its
// corners.
constexpr double kCentredRadius = 1.2;
constexpr double kOffCentreRadius = 2.0;

// A reset picture turns slowly about the box's z axis until it is clicked.
constexpr double kResetSpin = -0.05;

// Each animated zoom step computes this long before its frame is drawn.
constexpr std::int64_t kZoomStepMs = 10;

// The box and the axes may reach nearer than the graphs' depth range (the box corners lie
// beyond the starting radius), so they are drawn with room in front of it.
constexpr float kFrameLinesNearDepth = -1.0f;

// How far past the positive end of an axis its letter sits, in box units.
constexpr double kLabelOffset = 1.12;

struct AxisStyle {
  Rgb colour;
  const char* name;
};

constexpr SurfaceColour kBoxColour{0.72f, 0.72f, 0.72f};
constexpr std::array<AxisStyle, 3> kAxes{{
    {{166, 20, 20}, "x"},
    {{13, 115, 26}, "y"},
    {{26, 38, 178}, "z"},
}};

SurfaceColour surfaceColourOf(Rgb colour) {
  return {colour.red / 255.0f, colour.green / 255.0f, colour.blue / 255.0f};
}

// A light above and to the left of the eye, so that surfaces facing the viewer are lit and
// their slopes shade differently.
SurfaceLighting lightingFor(const Camera& camera) {
  const Vector3& forward = camera.forward();
  const Vector3& up = camera.screenUp();
  const Vector3& right = camera.screenRight();
  Direction3 light{};
  for (std::size_t i = 0; i < 3; ++i) light[i] = -forward[i] + 0.5 * up[i] - 0.3 * right[i];
  const double length = std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]);
  for (double& component : light) component /= length;
  return {light, {-forward[0], -forward[1], -forward[2]}};
}

CoordinateRange scaledAbout(const CoordinateRange& r, double factor) {
  const double centre = (r.min + r.max) / 2;
  return {(r.min - centre) * factor + centre, (r.max - centre) * factor + centre};
}

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
  spin = kIdentity3;
  orientation = defaultOrientation();
  viewingDistance_ = defaultViewingDistance();
  largestRadius_ = kCentredRadius;
  updateCamera();
  setProperty(4, kResetSpin, 0);
  invalidateGraphs();
}

void CGraphSpace3D::updateCamera() {
  camera_.update(orientation, rect_.width(), rect_.height(), viewingDistance_, largestRadius_);
}

void CGraphSpace3D::turnBy(const Matrix3& rotation) {
  orientation = orthonormalised(multiply(orientation, rotation));
  updateCamera();
  requestRedraw();
}

void CGraphSpace3D::redrawNow() {
  if (redrawNow_)
    redrawNow_();
  else
    requestRedraw();
}

void CGraphSpace3D::invalidateGraphs() {
  // Samples are kept in box units, which move with the ranges.
  for (const auto& g : graphs_) g->invalidate();
}

CoordinateRange* CGraphSpace3D::heldRange(int index) {
  if (!isCoordinateIndex(index)) return nullptr;
  return &ranges[storedPlace(index)];
}

const CoordinateRange& CGraphSpace3D::heldRange(Coordinate coordinate) const {
  return ranges[storedPlace(static_cast<int>(coordinate))];
}

std::optional<CoordinateRange> CGraphSpace3D::range(int index) const {
  if (!isCoordinateIndex(index)) return std::nullopt;
  return ranges[storedPlace(index)];
}

bool CGraphSpace3D::setRange(int index, bool isMax, double value) {
  CoordinateRange* held = heldRange(index);
  if (held == nullptr || !std::isfinite(value)) return false;
  (isMax ? held->max : held->min) = value;
  invalidateGraphs();
  requestRedraw();
  return true;
}

void CGraphSpace3D::work(std::int64_t budgetMs) {
  Clock& ticks = clock();
  const std::int64_t deadline = ticks.nowMs() + budgetMs;
  bool centred = true;
  for (int axis = 0; axis < 3; ++axis) {
    const CoordinateRange& r = *heldRange(axis);
    centred = centred && r.min + r.max == 0;
  }
  largestRadius_ = centred ? kCentredRadius : kOffCentreRadius;
  updateCamera();
  for (const auto& g : graphs_) {
    const std::int64_t now = ticks.nowMs();
    if (now >= deadline) break;
    g->compute(deadline - now);
  }
  // Every graph counts, also one the budget did not reach, so that nothing it has already
  // sampled falls outside the depth range of the next frame.
  for (const auto& g : graphs_) {
    const double radius = g->boundingRadius();
    if (std::isfinite(radius)) largestRadius_ = std::max(largestRadius_, radius);
  }
  // Spinning waits for the graphs, so a turning picture never shows half-computed surfaces.
  if (spinning && drag_ == Drag::None && spin != kIdentity3 && allComplete()) turnBy(spin);
}

void CGraphSpace3D::draw(DrawingPort& port, unsigned flags) {
  port.setClip(rect_);
  // The view fills the frame from its top-left corner, so the camera's pixels are the frame's.
  SpaceFrameCounters counters;
  updateCamera();
  Rasteriser rasteriser(port.rasterTarget());
  if ((flags & DrawFlag::Background) != 0) drawBox(rasteriser);
  if ((flags & DrawFlag::Graphs) != 0) {
    const SpaceFrame frame{rasteriser, camera_, lightingFor(camera_), counters};
    for (const auto& g : graphs_) {
      rasteriser.setDepthRange(Rasteriser::kNearDepth, Rasteriser::kFarDepth);
      g->render(frame);
    }
  }
  if ((flags & DrawFlag::Background) != 0) drawAxes(rasteriser, port);
  lastFrameTriangles_ = counters.trianglesDrawn;
  totalTriangles_ += counters.trianglesDrawn;
}

void CGraphSpace3D::drawBox(Rasteriser& rasteriser) const {
  rasteriser.setDepthRange(kFrameLinesNearDepth, Rasteriser::kFarDepth);
  // Each edge runs along one axis with the other two coordinates at ±1. Drawn first and
  // depth-tested, the back edges disappear behind the graphs and the front ones stay on top.
  for (std::size_t along = 0; along < 3; ++along) {
    for (int corner = 0; corner < 4; ++corner) {
      Vector3 from{};
      from[(along + 1) % 3] = (corner & 1) != 0 ? 1 : -1;
      from[(along + 2) % 3] = (corner & 2) != 0 ? 1 : -1;
      Vector3 to = from;
      from[along] = -1;
      to[along] = 1;
      rasteriser.clipLine(projectedVertex(camera_, from, kBoxColour),
                          projectedVertex(camera_, to, kBoxColour));
    }
  }
}

void CGraphSpace3D::drawAxes(Rasteriser& rasteriser, DrawingPort& port) const {
  rasteriser.setDepthRange(kFrameLinesNearDepth, Rasteriser::kFarDepth);
  port.setTextAlign({HorizontalAlign::Center, VerticalAlign::Top});
  for (std::size_t axis = 0; axis < kAxes.size(); ++axis) {
    const AxisStyle& style = kAxes[axis];
    Vector3 from{};
    Vector3 to{};
    Vector3 labelAt{};
    from[axis] = -1;
    to[axis] = 1;
    labelAt[axis] = kLabelOffset;
    const SurfaceColour colour = surfaceColourOf(style.colour);
    rasteriser.clipLine(projectedVertex(camera_, from, colour), projectedVertex(camera_, to, colour));
    // The letter is centred on the point just past the positive end.
    const ProjectedPoint at = camera_.project(labelAt);
    const TextExtent size = port.textExtent(style.name);
    port.setTextColour(style.colour);
    port.textOut({static_cast<int>(std::lround(at.x)) + rect_.left,
                  static_cast<int>(std::lround(at.y)) + rect_.top - size.height / 2},
                 style.name);
  }
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
    requestRedraw();
    return;
  }
  if (kind != 0 && kind != 1) return;
  // x, y and z each about their own centre, every step scaled from the ranges before the zoom
  // so that the last lands exactly on half or twice them.
  std::array<CoordinateRange, 3> before{};
  for (int axis = 0; axis < 3; ++axis) before[static_cast<std::size_t>(axis)] = *heldRange(axis);
  for (const double factor : zoomStepFactors(kind == 0)) {
    for (int axis = 0; axis < 3; ++axis)
      *heldRange(axis) = scaledAbout(before[static_cast<std::size_t>(axis)], factor);
    invalidateGraphs();
    work(kZoomStepMs);
    redrawNow();
  }
  requestRedraw();
}

void CGraphSpace3D::setProperty(int which, double value, int graphIndex) {
  if (which == 1) {
    spinning = value != 0;
  } else if (which >= 2 && which <= 4 && std::isfinite(value)) {
    spin = spinAboutAxis(orientation, which - 2, value);
    spinning = true;
  } else if (which >= Graph3DOption::ColourIndex && which <= Graph3DOption::Resolution) {
    CGraph3D* g = graph(graphIndex);
    if (g == nullptr) return;
    g->setOption(which, value);
    // A new colour shows at once; a new resolution shows as the graph is computed again.
    if (which != Graph3DOption::Resolution) redrawNow();
  }
}

void CGraphSpace3D::setViewAngles(double azimuthDegrees, double elevationDegrees) {
  constexpr double degree = std::numbers::pi / 180;
  const double ca = std::cos(azimuthDegrees * degree);
  const double sa = std::sin(azimuthDegrees * degree);
  const double ce = std::cos(elevationDegrees * degree);
  const double se = std::sin(elevationDegrees * degree);
  // Columns: the eye direction, the horizontal (up × eye, which works out to (−sin az, cos az,
  // 0)), and up.
  orientation = orthonormalised({ce * ca, -sa, -se * ca, ce * sa, ca, -se * sa, se, 0, ce});
  updateCamera();
  requestRedraw();
}

RectRegion CGraphSpace3D::invalidRegion(bool /*whole*/) const { return RectRegion(rect_); }

RectRegion CGraphSpace3D::readoutRegion(bool /*whole*/) const { return {}; }

bool CGraphSpace3D::hitsGraph(PixelPoint point) const {
  const PixelPoint inView{point.x - rect_.left, point.y - rect_.top};
  return std::any_of(graphs_.begin(), graphs_.end(),
                     [&](const auto& g) { return g->hitTest(inView, camera_); });
}

void CGraphSpace3D::mouseDown(PixelPoint point, unsigned modifiers, bool /*doubleClick*/) {
  // A click stops the spin without turning the picture.
  spin = kIdentity3;
  spinning = false;
  updateCamera();
  if (modifiers == 0 && hitsGraph(point))
    drag_ = Drag::Click;
  else
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
  if (drag_ == Drag::None || drag_ == Drag::Click) return;
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
