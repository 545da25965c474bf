#include "graph/plane/implicit_curve.h"

#include "algebra/tree_services.h"
#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "graph/graph_kinds.h"
#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "numeric/numeric_state.h"
#include "raster/drawing_port.h"
#include "raster/pixel_routines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

namespace vexmar {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

/// Cached maps beyond this many bytes are not kept: an animation over many values stays within
/// memory, and the values already cached still answer at once.
constexpr std::size_t kCacheByteLimit = std::size_t{64} << 20;

/// The sub-boxes of the 5 x 5 test in their fixed order: one diagonal, the other (without the
/// centre again), then the rest row by row.
constexpr std::array<std::pair<int, int>, 25> kSubBoxOrder = [] {
  std::array<std::pair<int, int>, 25> order{};
  std::array<bool, 25> taken{};
  std::size_t n = 0;
  const auto take = [&](int column, int row) {
    const auto index = static_cast<std::size_t>(row * 5 + column);
    if (taken[index]) return;
    taken[index] = true;
    order[n++] = {column, row};
  };
  for (int i = 0; i < 5; ++i) take(i, i);
  for (int i = 0; i < 5; ++i) take(4 - i, i);
  for (int row = 0; row < 5; ++row)
    for (int column = 0; column < 5; ++column) take(column, row);
  return order;
}();

bool isTrue(IntervalValue v) { return v.lower == 1 && v.upper == 1; }
bool isFalse(IntervalValue v) { return v.lower == 0 && v.upper == 0; }

// Operations whose value jumps although their interval stays bounded: a change of sign of a
// boundary built from them proves nothing.
bool hasJumps(const MathObject& tree) {
  for (const MathObject* n = &tree; n; n = nextPreorder(n, tree)) {
    switch (n->kind) {
    case ObjectKind::sgn:
    case ObjectKind::lessthan:
    case ObjectKind::greaterthan:
    case ObjectKind::leq:
    case ObjectKind::geq:
    case ObjectKind::equal:
    case ObjectKind::wedge:
    case ObjectKind::vee:
      return true;
    case ObjectKind::char_:
      // θ jumps from 2π to 0 across the positive x axis.
      if (n->characterCode() == Letter::Theta) return true;
      break;
    default:
      break;
    }
  }
  return false;
}

} // namespace

CImplicitCurve::CImplicitCurve(const CGraphPlane& plane, std::unique_ptr<Evaluator> truth,
                               std::unique_ptr<Evaluator> boundary, bool isEquation,
                               std::unique_ptr<GraphStyle> style, int curveMode)
    : CGraph2D(plane, std::move(style)), truth_(std::move(truth)), boundary_(std::move(boundary)),
      isEquation_(isEquation), curveMode_(curveMode) {
  boundaryContinuous_ = boundary_ && !hasJumps(boundary_->tree());
  compile();
  allocateMap();
}

CImplicitCurve::~CImplicitCurve() = default;

const PlaneMapping& CImplicitCurve::mapping() const { return plane_.mapping(); }

void CImplicitCurve::compile() {
  compileBatch({truth_.get()});
  if (boundary_) compileBatch({boundary_.get()});
}

void CImplicitCurve::allocateMap() {
  mapRect_ = mapping().rect;
  const int width = std::max(mapRect_.width(), 0);
  const int height = std::max(mapRect_.height(), 0);
  stride_ = 4 * ((width + 15) / 16) + 4;
  try {
    map_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    map_.clear();
    map_.shrink_to_fit();
    mapRect_ = {};
    raiseError(Error::GraphMemory);
  }
  restart();
}

void CImplicitCurve::restart() {
  std::fill(map_.begin(), map_.end(), std::uint8_t{0});
  work_.clear();
  if (!map_.empty())
    work_.push_back(
        {0, 0, static_cast<std::int16_t>(mapRect_.width()), static_cast<std::int16_t>(mapRect_.height())});
  fresh_ = true;
}

void CImplicitCurve::clearCache() {
  cache_.clear();
  cacheBytes_ = 0;
  storePending_ = false;
}

CImplicitCurve::Box CImplicitCurve::boxOf(int left, int top, int right, int bottom) const {
  // Pixel c spans from c - 1/2 to c + 1/2 around its centre; rows grow downward.
  const PlaneMapping& m = mapping();
  const double l = mapRect_.left + left - 0.5;
  const double r = mapRect_.left + right - 0.5;
  const double t = mapRect_.top + top - 0.5;
  const double b = mapRect_.top + bottom - 0.5;
  return {m.xOf(l), m.xOf(r), m.yOf(b), m.yOf(t)};
}

IntervalValue CImplicitCurve::intervalOver(const Evaluator& evaluator, const Box& box,
                                           bool& partlyUndefined) {
  ++intervalEvaluations_;
  NumericState& state = numericState();
  state.partlyUndefined = false;
  const IntervalValue v = evaluator.evalIntervalXY(box.xLow, box.xHigh, box.yLow, box.yHigh);
  partlyUndefined = state.partlyUndefined;
  return v;
}

int CImplicitCurve::mapCode(int column, int row) const {
  const std::uint8_t byte = map_[static_cast<std::size_t>(row * stride_ + column / 4)];
  return (byte >> (6 - 2 * (column & 3))) & 3;
}

void CImplicitCurve::setCode(int column, int row, int code) {
  std::uint8_t& byte = map_[static_cast<std::size_t>(row * stride_ + column / 4)];
  const int shift = 6 - 2 * (column & 3);
  byte = static_cast<std::uint8_t>((byte & ~(3 << shift)) | (code << shift));
}

int CImplicitCurve::codeAt(PixelPoint point) const {
  if (map_.empty() || !mapRect_.contains(point)) return 0;
  return mapCode(point.x - mapRect_.left, point.y - mapRect_.top);
}

void CImplicitCurve::work(std::int64_t budgetMs) {
  if (work_.empty()) return;
  Clock& clock = plane_.clock();
  const std::int64_t deadline = clock.nowMs() + budgetMs;
  while (!work_.empty()) {
    if (clock.nowMs() >= deadline) return;
    const WorkRect rect = work_.back();
    work_.pop_back();
    fresh_ = false;
    processRect(rect);
  }
  ++mapsComputed_;
  if (storePending_) storeInCache();
}

void CImplicitCurve::processRect(WorkRect rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  bool partial = false;
  const IntervalValue whole =
      intervalOver(*truth_, boxOf(rect.left, rect.top, rect.right, rect.bottom), partial);
  // Undefined over the whole box, or false wherever it is defined: nothing to draw.
  if (isUndefined(whole) || isFalse(whole)) return;
  // True wherever defined is true throughout only where nothing is undefined.
  if (isTrue(whole) && !partial) {
    fillMapRect({map_, stride_}, {0, 0, mapRect_.height(), mapRect_.width()},
                {rect.top, rect.left, rect.bottom, rect.right}, MapCode::Full);
    return;
  }
  if (width < kPixelDecisionSize && height < kPixelDecisionSize) {
    for (int row = rect.top; row < rect.bottom; ++row)
      for (int column = rect.left; column < rect.right; ++column)
        setCode(column, row, decidePixel(column, row));
    return;
  }
  // The halves go on the list second one first, so the first is examined next.
  WorkRect first = rect, second = rect;
  if (width < 2 || width <= height) {
    first.bottom = second.top = static_cast<std::int16_t>(rect.top + height / 2);
  } else {
    first.right = second.left = static_cast<std::int16_t>(rect.left + width / 2);
  }
  work_.push_back(second);
  work_.push_back(first);
}

int CImplicitCurve::decidePixel(int column, int row) {
  const Box box = boxOf(column, row, column + 1, row + 1);
  bool partial = false;
  const IntervalValue v = intervalOver(*truth_, box, partial);
  if (isUndefined(v) || isFalse(v)) return 0;
  if (isTrue(v)) return 3;
  if (isEquation_) return decideBySubBoxes(box, true);
  switch (curveMode_) {
  case 0: {
    const double value =
        truth_->evalUVXYZ(0, 0, 0.5 * (box.xLow + box.xHigh), 0.5 * (box.yLow + box.yHigh), 0);
    return value == 1 ? 3 : 0;
  }
  case 1:
    return 1;
  default:
    return decideBySubBoxes(box, false);
  }
}

int CImplicitCurve::decideBySubBoxes(const Box& pixel, bool isEquation) {
  const double stepX = (pixel.xHigh - pixel.xLow) / 5;
  const double stepY = (pixel.yHigh - pixel.yLow) / 5;
  const auto xAt = [&](int i) { return i == 5 ? pixel.xHigh : pixel.xLow + i * stepX; };
  const auto yAt = [&](int j) { return j == 5 ? pixel.yHigh : pixel.yLow + j * stepY; };

  // First the corners of the sub-boxes, by point evaluation, which is cheap. An inequality that
  // holds at one of them reaches the pixel. An equation whose boundary is bounded and defined
  // over the pixel is continuous there (it has no jumps): a zero at a corner, or a change of sign
  // between two, shows that the curve passes through the pixel.
  bool latticeChecked = true;
  if (isEquation) {
    latticeChecked = false;
    if (boundaryContinuous_) {
      bool partial = false;
      const IntervalValue b = intervalOver(*boundary_, pixel, partial);
      // Nonzero throughout: the two sides differ everywhere in the pixel.
      if (!isUndefined(b) && (b.lower > 0 || b.upper < 0)) return 0;
      latticeChecked = !partial && !isUndefined(b) && std::isfinite(b.lower) && std::isfinite(b.upper);
    }
    if (latticeChecked) {
      int firstSign = 2;
      for (int j = 0; j <= 5; ++j)
        for (int i = 0; i <= 5; ++i) {
          const double value = boundary_->evalUVXYZ(0, 0, xAt(i), yAt(j), 0);
          if (value == 0) return 3;
          const int sign = value > 0 ? 1 : -1; // the boundary is defined here: not a NaN
          if (firstSign == 2) firstSign = sign;
          if (sign != firstSign) return 3;
        }
    }
  } else {
    for (int j = 0; j <= 5; ++j)
      for (int i = 0; i <= 5; ++i)
        if (truth_->evalUVXYZ(0, 0, xAt(i), yAt(j), 0) == 1) return 3;
  }

  // Then the sub-boxes in their order. After the corners showed nothing, no sub-box can be wholly
  // true, so the first that may hold the relation decides.
  bool mayCross = false;
  for (const auto& [i, j] : kSubBoxOrder) {
    const Box sub{xAt(i), xAt(i + 1), yAt(j), yAt(j + 1)};
    bool partial = false;
    const IntervalValue v = intervalOver(*truth_, sub, partial);
    if (isUndefined(v) || isFalse(v)) continue;
    if (isTrue(v)) return 3;
    mayCross = true;
    if (latticeChecked) break;
  }
  return mayCross ? 1 : 0;
}

void CImplicitCurve::storeInCache() {
  storePending_ = false;
  if (cachingOff_) return;
  if (cacheBytes_ + map_.size() > kCacheByteLimit) return;
  try {
    cache_.push_back({pendingValue_, map_});
    cacheBytes_ += map_.size();
  } catch (const std::bad_alloc&) {
    clearCache();
    cachingOff_ = true;
  }
}

void CImplicitCurve::draw(DrawingPort& port) {
  if (map_.empty() || !port.isAttached()) return;
  port.blitMap({map_, stride_}, mapRect_, mapRect_, colourOf(*style_));
}

GraphStatus CImplicitCurve::status() const {
  const IntervalValue everywhere = truth_->evalIntervalXY(-kInfinity, kInfinity, -kInfinity, kInfinity);
  if (isFalse(everywhere) || isUndefined(everywhere))
    return isEquation_ ? GraphStatus::NotSatisfiedAnywhere : GraphStatus::FalseEverywhere;
  if (std::any_of(map_.begin(), map_.end(), [](std::uint8_t b) { return b != 0; })) return GraphStatus::None;
  if (!isComplete()) return GraphStatus::None;
  return isEquation_ ? GraphStatus::NotSatisfiedInRegion : GraphStatus::FalseInRegion;
}

void CImplicitCurve::parameterChanged(std::uint16_t name, double value) {
  const bool inTruth = truth_->dependsOnVariable(name);
  const bool inBoundary = boundary_ && boundary_->dependsOnVariable(name);
  if (!inTruth && !inBoundary) return;
  if (applyParameterValue(name, value)) compile();
  if (!inTruth) return; // the map does not change; only the readout's projection does
  // Maps are kept for the values of one parameter; another one's change makes them stale.
  if (name != cachedName_) {
    clearCache();
    cachedName_ = name;
  }
  if (!cachingOff_) {
    const auto hit =
        std::find_if(cache_.begin(), cache_.end(), [value](const CacheEntry& e) { return e.value == value; });
    if (hit != cache_.end() && hit->map.size() == map_.size()) {
      map_ = hit->map;
      work_.clear();
      fresh_ = false;
      storePending_ = false;
      return;
    }
    storePending_ = true;
    pendingValue_ = value;
  }
  restart();
}

void CImplicitCurve::setProperty(int which, double value) {
  if (which != GraphProperty::CurveMode)
    CGraph2D::setProperty(which, value);
  else if (takeCurveMode(value, curveMode_))
    invalidate();
}

void CImplicitCurve::invalidate() {
  clearCache();
  restart();
}

void CImplicitCurve::resize() {
  clearCache();
  if (mapping().rect == mapRect_) return;
  allocateMap();
}

void CImplicitCurve::scroll(int dx, int dy) {
  clearCache();
  if (dx == 0 && dy == 0) return;
  if (fresh_) return; // everything is queued anyway
  const int width = mapRect_.width();
  const int height = mapRect_.height();
  if (std::abs(dx) >= width || std::abs(dy) >= height) {
    restart();
    return;
  }
  // Pixel (c, r) moves to (c + dx, r + dy).
  std::vector<std::uint8_t> moved(map_.size(), 0);
  for (int row = std::max(0, dy); row < std::min(height, height + dy); ++row)
    for (int column = std::max(0, dx); column < std::min(width, width + dx); ++column) {
      const int code = mapCode(column - dx, row - dy);
      if (code == 0) continue;
      std::uint8_t& byte = moved[static_cast<std::size_t>(row * stride_ + column / 4)];
      byte = static_cast<std::uint8_t>(byte | (code << (6 - 2 * (column & 3))));
    }
  map_ = std::move(moved);
  // Rectangles still queued move with the picture; the uncovered strips are queued.
  std::vector<WorkRect> queued;
  queued.reserve(work_.size() + 2);
  const auto keep = [&](int left, int top, int right, int bottom) {
    left = std::clamp(left, 0, width);
    right = std::clamp(right, 0, width);
    top = std::clamp(top, 0, height);
    bottom = std::clamp(bottom, 0, height);
    if (left < right && top < bottom)
      queued.push_back({static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
                        static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom)});
  };
  for (const WorkRect& r : work_) keep(r.left + dx, r.top + dy, r.right + dx, r.bottom + dy);
  if (dx > 0) keep(0, 0, dx, height);
  if (dx < 0) keep(width + dx, 0, width, height);
  const int keptLeft = std::max(0, dx), keptRight = std::min(width, width + dx);
  if (dy > 0) keep(keptLeft, 0, keptRight, dy);
  if (dy < 0) keep(keptLeft, height + dy, keptRight, height);
  work_ = std::move(queued);
}

bool CImplicitCurve::projectOntoCurve(double& x, double& y, double& dx, double& dy) const {
  if (!boundary_ || !isEquation_) return false;
  const PlaneMapping& m = mapping();
  const double hx = m.unitsPerPixelX / 4, hy = m.unitsPerPixelY / 4;
  const auto f = [&](double px, double py) { return boundary_->evalUVXYZ(0, 0, px, py, 0); };
  // Newton steps along the gradient, measured by differences a quarter pixel wide.
  for (int step = 0; step < 12; ++step) {
    const double value = f(x, y);
    if (!std::isfinite(value)) return false;
    const double gx = (f(x + hx, y) - f(x - hx, y)) / (2 * hx);
    const double gy = (f(x, y + hy) - f(x, y - hy)) / (2 * hy);
    const double norm = gx * gx + gy * gy;
    if (!std::isfinite(norm) || norm == 0) return value == 0;
    dx = -gy;
    dy = gx;
    const double moveX = value * gx / norm, moveY = value * gy / norm;
    x -= moveX;
    y -= moveY;
    if (std::fabs(moveX) < m.unitsPerPixelX * 1e-3 && std::fabs(moveY) < m.unitsPerPixelY * 1e-3) return true;
  }
  return false;
}

CurvePiece CImplicitCurve::nearestPoint(double x, double y, double tolerance) const {
  double px = x, py = y, dx = 1, dy = 0;
  if (!projectOntoCurve(px, py, dx, dy)) return {};
  if (std::hypot(px - x, py - y) > tolerance) return {};
  const PlaneMapping& m = mapping();
  // Only a point of the drawn curve counts.
  if (codeAt({m.columnOf(px), m.rowOf(py)}) == 0) return {};
  CurvePiece piece;
  piece.found = true;
  piece.x = px;
  piece.y = py;
  piece.dx = dx;
  piece.dy = dy;
  return piece;
}

bool CImplicitCurve::hitTest(PixelPoint point) const {
  if (!isEquation_) return false;
  for (int dy = -kHitTolerancePixels; dy <= kHitTolerancePixels; ++dy)
    for (int dx = -kHitTolerancePixels; dx <= kHitTolerancePixels; ++dx)
      if (codeAt({point.x + dx, point.y + dy}) != 0) return true;
  return false;
}

bool CImplicitCurve::readout(PixelPoint point, ReadoutRecord& record) const {
  if (!isEquation_) return false;
  const PlaneMapping& m = mapping();
  const double tolerance = kHitTolerancePixels * std::max(m.unitsPerPixelX, m.unitsPerPixelY);
  const CurvePiece piece = nearestPoint(m.xOf(point.x), m.yOf(point.y), tolerance);
  if (!piece.found) return false;
  record = ReadoutRecord::ofPoint(piece.x, piece.y);
  return true;
}

namespace {

using namespace Letter;

// In the plane r and ρ both measure the distance from the origin; conditions arrive with r
// renamed to ρ, the compiler's name for it in space.
std::unique_ptr<Evaluator> compiledInPlane(ObjectPtr tree) {
  renameVariable(*tree, Rho, R);
  auto evaluator = std::make_unique<Evaluator>(std::move(tree));
  return evaluator;
}

int addRelation(GraphKindRequest& request, ObjectPtr truth, ObjectPtr boundary, bool isEquation) {
  if (!truth) return -1;
  CGraphPlane& plane = request.container.plane();
  const int index = plane.addGraph(std::make_unique<CImplicitCurve>(
      plane, compiledInPlane(std::move(truth)), boundary ? compiledInPlane(std::move(boundary)) : nullptr,
      isEquation, std::move(request.style), request.curveMode));
  request.container.setActive3D(false);
  return index;
}

} // namespace

int addImplicitCurve(GraphKindRequest& request) {
  const MathObject& equation = request.equation;
  if (equation.kind != ObjectKind::equal || equation.childCount() != 2 || !equation.child(0) ||
      !equation.child(1))
    return -1;
  ObjectPtr truth = cloneTree(equation);
  return addRelation(request, std::move(truth),
                     makeDifference(cloneTree(*equation.child(0)), cloneTree(*equation.child(1))), true);
}

int addInequalityRegion(GraphKindRequest& request) {
  return addRelation(request, std::move(request.regionTest), std::move(request.regionBoundary), false);
}

} // namespace vexmar
