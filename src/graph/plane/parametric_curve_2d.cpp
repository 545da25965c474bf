#include "graph/plane/parametric_curve_2d.h"

#include "algebra/derivative_evaluator.h"
#include "algebra/tree_services.h"
#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "graph/graph_kinds.h"
#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/drawing_port.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <new>

namespace vexmar {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Samples beyond this many would only cost memory and time: a resolution read from a damaged
// document must not ask for billions.
constexpr std::size_t kMaxSamples = 100000;
// A join whose piece of curve provably stays within a box this many pixels wide and high is drawn
// as a straight line: neither it nor the curve can then be further than that from the other.
constexpr double kFinePixels = 3.0;
// How many times the parameter step between two samples may be halved in search of that.
constexpr int kMaxHalvings = 10;
// Where the curve runs off to infinity or ends (a pole, the edge of its domain) the piece that
// reaches there is halved on, up to this many times in all, or until the parameter cannot be
// split further: zoomed out, the curve may run far across the window within a piece of the
// finest step.
constexpr int kMaxHalvingsTowardsAnEnd = 64;
// However the enclosures behave, one step between samples is cut into at most this many pieces:
// enough to follow an end on both sides of a sample, each piece beside the way halved ten times.
constexpr int kMaxPiecesPerStep = 1 << 17;
// Past this many points drawn no step is halved any more, so that a curve wound densely through
// the window (r = theta to 10,000) keeps within a few tens of megabytes.
constexpr std::size_t kMaxTracePoints = std::size_t{1} << 20;
// Pieces reaching no further than this outside the window still matter: a line is one pixel wide.
constexpr double kWindowMarginPixels = 2.0;
// The mean value check allows for the rounding of the components' point values.
constexpr double kRelativeSlack = 1e-9;
// Steps of Newton's method that put a readout on the curve itself.
constexpr int kFootSteps = 4;

bool isFinitePoint(const TracedPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
bool isBreak(const TracedPoint& p) { return std::isnan(p.x); }

// A closed box of coordinates.
struct Box {
  double xLow, xHigh, yLow, yHigh;
};

// Cuts the segment to its part inside the box (Liang-Barsky); false when nothing is left.
bool clipToBox(const Box& box, double& x0, double& y0, double& x1, double& y1) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const std::array<std::pair<double, double>, 4> edges{
      {{-dx, x0 - box.xLow}, {dx, box.xHigh - x0}, {-dy, y0 - box.yLow}, {dy, box.yHigh - y0}}};
  double enter = 0.0;
  double leave = 1.0;
  for (const auto& [p, q] : edges) {
    if (p == 0.0) {
      if (q < 0.0) return false;
      continue;
    }
    const double s = q / p;
    if (p < 0.0)
      enter = std::max(enter, s);
    else
      leave = std::min(leave, s);
    if (enter > leave) return false;
  }
  const double sx = x0, sy = y0;
  x0 = enter > 0.0 ? sx + enter * dx : sx;
  y0 = enter > 0.0 ? sy + enter * dy : sy;
  if (leave < 1.0) {
    x1 = sx + leave * dx;
    y1 = sy + leave * dy;
  }
  return std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1);
}

// Where `a + s (b - a)`, s in [0, 1], comes nearest to (x, y), with distances scaled by (kx, ky).
double nearestFraction(double ax, double ay, double bx, double by, double x, double y, double kx, double ky) {
  const double dx = (bx - ax) * kx;
  const double dy = (by - ay) * ky;
  const double length2 = dx * dx + dy * dy;
  if (!(length2 > 0.0)) return 0.0;
  const double s = ((x - ax) * kx * dx + (y - ay) * ky * dy) / length2;
  return std::clamp(s, 0.0, 1.0);
}

bool isFiniteInterval(IntervalValue v) { return std::isfinite(v.lower) && std::isfinite(v.upper); }

// The change of a component across [a, b] fits the mean value theorem for some slope in the
// enclosure of its derivative: false when it does not, or when that enclosure is unbounded.
bool riseFitsSlope(double rise, double width, double from, double to, IntervalValue slope) {
  if (!isFiniteInterval(slope)) return false;
  const double low = std::min(slope.lower * width, slope.upper * width);
  const double high = std::max(slope.lower * width, slope.upper * width);
  const double slack = kRelativeSlack * (std::fabs(from) + std::fabs(to) + std::fabs(low) + std::fabs(high)) +
                       std::numeric_limits<double>::min();
  return rise >= low - slack && rise <= high + slack;
}

} // namespace

CParametricCurve2D::CParametricCurve2D(const CGraphPlane& plane, ParametricComponents components,
                                       ParameterKind kind, std::unique_ptr<GraphStyle> style,
                                       double resolution)
    : CGraph2D(plane, std::move(style)), components_(std::move(components)), kind_(kind) {
  assert(components_.x && components_.y && "a parametric curve needs both components");
  if (!components_.x->containsFactorial()) xSlope_ = makeDerivativeEvaluator(*components_.x, 'u');
  if (!components_.y->containsFactorial()) ySlope_ = makeDerivativeEvaluator(*components_.y, 'u');
  compile();
  range_ = rangeFromPlane();
  allocateSamples(sampleCountFor(resolution));
}

CParametricCurve2D::~CParametricCurve2D() = default;

const PlaneMapping& CParametricCurve2D::mapping() const { return plane_.mapping(); }

std::size_t CParametricCurve2D::sampleCountFor(double resolution) {
  if (!(resolution > 0.0)) return 200;
  const double count = std::floor(800.0 * resolution + 200.0);
  return count >= static_cast<double>(kMaxSamples) ? kMaxSamples : static_cast<std::size_t>(count);
}

void CParametricCurve2D::allocateSamples(std::size_t count) {
  try {
    samples_.assign(count, ParametricSample{});
  } catch (const std::bad_alloc&) {
    samples_.clear();
    samples_.shrink_to_fit();
    raiseError(Error::GraphMemory);
  }
  invalidate();
}

void CParametricCurve2D::compile() {
  // X and Y share their common parts (f of r = f(θ), one sincos); they are always evaluated in
  // this order, at the same parameter.
  compileBatch({components_.x.get(), components_.y.get()});
  compileBatch({xSlope_.get(), ySlope_.get()});
  // The readout's own values are evaluated alone.
  if (components_.radius) compileBatch({components_.radius.get()});
  if (components_.angle) compileBatch({components_.angle.get()});
}

CoordinateRange CParametricCurve2D::rangeFromPlane() const {
  Coordinate coordinate = Coordinate::T;
  if (kind_ == ParameterKind::ROfTheta) coordinate = Coordinate::Theta;
  if (kind_ == ParameterKind::ThetaOfR) coordinate = Coordinate::R;
  return plane_.range(static_cast<int>(coordinate)).value_or(CoordinateRange{kNaN, kNaN});
}

double CParametricCurve2D::parameterAt(std::size_t index) const {
  const std::size_t last = samples_.size() - 1;
  if (index == last) return range_.max;
  const double f = static_cast<double>(index) / static_cast<double>(last);
  // Weighted rather than min + i·step: a range as wide as the doubles must not overflow.
  return range_.min * (1.0 - f) + range_.max * f;
}

TracedPoint CParametricCurve2D::pointAt(double t) const {
  if (!std::isfinite(t)) return {t, kNaN, kNaN};
  const double x = components_.x->evalU(t);
  const double y = components_.y->evalU(t);
  return {t, x, y};
}

void CParametricCurve2D::work(std::int64_t budgetMs) {
  Clock& clock = plane_.clock();
  const std::int64_t deadline = clock.nowMs() + budgetMs;
  const std::size_t count = samples_.size();
  if (progress_ == 0) startTrace();
  try {
    for (std::size_t i = progress_; i < count; ++i) {
      if (clock.nowMs() >= deadline) {
        progress_ = i;
        return;
      }
      if (i >= sampled_) {
        const TracedPoint p = pointAt(parameterAt(i));
        samples_[i] = {p.x, p.y};
        sampled_ = i + 1;
      }
      if (i == 0) continue;
      const TracedPoint a{parameterAt(i - 1), samples_[i - 1].x, samples_[i - 1].y};
      const TracedPoint b{parameterAt(i), samples_[i].x, samples_[i].y};
      if (isFinitePoint(a) && isFinitePoint(b)) anyFinitePair_ = true;
      halvingsLeft_ = kMaxPiecesPerStep - 1;
      traceSpan(a, b, 0, 0);
    }
  } catch (const std::bad_alloc&) {
    // Part of a picture could mislead: show none.
    trace_.clear();
    trace_.shrink_to_fit();
    raiseError(Error::GraphMemory);
  }
  progress_ = count;
  retained_.clear();
  retained_.shrink_to_fit();
}

void CParametricCurve2D::startTrace() {
  if (sampled_ == 0) range_ = rangeFromPlane();
  trace_.clear();
  traceOpen_ = false;
  loosePoint_ = false;
  anyFinitePair_ = false;
  const PlaneMapping& m = mapping();
  const double margin = 0.5 + kWindowMarginPixels;
  frame_.xLow = m.xOf(m.rect.left - margin);
  frame_.xHigh = m.xOf(m.rect.right - 1 + margin);
  frame_.yLow = m.yOf(m.rect.bottom - 1 + margin);
  frame_.yHigh = m.yOf(m.rect.top - margin);
  frame_.fineX = kFinePixels * m.unitsPerPixelX;
  frame_.fineY = kFinePixels * m.unitsPerPixelY;
}

void CParametricCurve2D::traceSpan(const TracedPoint& a, const TracedPoint& b, int depth, int halvings) {
  const double low = std::min(a.t, b.t);
  const double high = std::max(a.t, b.t);
  const IntervalValue xs = components_.x->evalIntervalU(low, high);
  const IntervalValue ys = components_.y->evalIntervalU(low, high);
  // Undefined throughout, or nowhere near the window: nothing of this piece can be seen.
  if (isUndefined(xs) || isUndefined(ys) || xs.upper < frame_.xLow || xs.lower > frame_.xHigh ||
      ys.upper < frame_.yLow || ys.lower > frame_.yHigh) {
    leaveOut(a);
    return;
  }
  const bool endsFinite = isFinitePoint(a) && isFinitePoint(b);
  if (endsFinite && xs.upper - xs.lower <= frame_.fineX && ys.upper - ys.lower <= frame_.fineY) {
    emit(a, b);
    return;
  }
  // A piece from a point of the curve towards infinity or the end of the curve's domain is
  // followed there: one with an end that is no finite point, or one whose enclosure is unbounded and
  // whose ends lie apart. Each piece beside it gets the halvings of its own that any piece gets. A
  // piece with no finite point at either end is not followed (halving it would branch without
  // end), nor one whose close ends suggest an enclosure merely too wide (sin t / t at 0).
  const bool isShort =
      endsFinite && std::fabs(b.x - a.x) <= frame_.fineX && std::fabs(b.y - a.y) <= frame_.fineY;
  const bool towardsAnEnd = (isFinitePoint(a) || isFinitePoint(b)) &&
                            (!endsFinite || (!isShort && (!isFiniteInterval(xs) || !isFiniteInterval(ys))));
  const double middleT = a.t * 0.5 + b.t * 0.5;
  const bool canHalve = middleT != a.t && middleT != b.t && halvingsLeft_ > 0 &&
                        trace_.size() < kMaxTracePoints &&
                        (towardsAnEnd ? halvings < kMaxHalvingsTowardsAnEnd : depth < kMaxHalvings);
  if (!canHalve) {
    // At the finest step only a join that cannot be told from the curve, or one across which the
    // curve is shown to be continuous, is drawn; anything else is a pole, a jump or a domain edge.
    // A long join cut short by the point limit could stray far from the curve: it is left out.
    if (isShort || (endsFinite && trace_.size() < kMaxTracePoints && continuityCertified(a, b))) {
      emit(a, b);
    } else {
      leaveOut(a);
    }
    return;
  }
  --halvingsLeft_;
  const TracedPoint middle = pointAt(middleT);
  const int next = towardsAnEnd ? 0 : depth + 1;
  traceSpan(a, middle, next, halvings + 1);
  traceSpan(middle, b, next, halvings + 1);
}

bool CParametricCurve2D::continuityCertified(const TracedPoint& a, const TracedPoint& b) const {
  if (!xSlope_ || !ySlope_) return false;
  const double low = std::min(a.t, b.t);
  const double high = std::max(a.t, b.t);
  const IntervalValue xSlope = xSlope_->evalIntervalU(low, high);
  const IntervalValue ySlope = ySlope_->evalIntervalU(low, high);
  const double width = b.t - a.t;
  return riseFitsSlope(b.x - a.x, width, a.x, b.x, xSlope) &&
         riseFitsSlope(b.y - a.y, width, a.y, b.y, ySlope);
}

void CParametricCurve2D::emit(const TracedPoint& a, const TracedPoint& b) {
  // Pieces arrive in parameter order, so an open line ends where this piece begins.
  if (!traceOpen_) trace_.push_back(a);
  trace_.push_back(b);
  traceOpen_ = true;
  loosePoint_ = false;
}

void CParametricCurve2D::leaveOut(const TracedPoint& a) {
  // A point of the curve whose pieces on both sides are left out stands alone (sgn t at t = 0):
  // it is drawn as a dot, a segment from the point to itself.
  if (loosePoint_ && isFinitePoint(a) && a.x >= frame_.xLow && a.x <= frame_.xHigh && a.y >= frame_.yLow &&
      a.y <= frame_.yHigh) {
    trace_.push_back(a);
    trace_.push_back(a);
    traceOpen_ = true;
  }
  breakLine();
  loosePoint_ = true;
}

void CParametricCurve2D::breakLine() {
  if (!traceOpen_) return;
  trace_.push_back({kNaN, kNaN, kNaN});
  traceOpen_ = false;
}

std::span<const TracedPoint> CParametricCurve2D::trace() const {
  return !isComplete() && !retained_.empty() ? retained_ : trace_;
}

void CParametricCurve2D::draw(DrawingPort& port) {
  if (!port.isAttached()) return;
  const PlaneMapping& m = mapping();
  const PixelRect clip = intersect(port.clip(), m.rect);
  if (clip.isEmpty()) return;
  // The pen overwrites: the shading routines would darken every pixel where two pieces meet.
  port.setClip(clip);
  port.setPen(colourOf(*style_));
  // Clipped first to the 16-bit pixel limits, so that every end converts to a pixel exactly.
  const Box limits{m.xAtLeftLimit, m.xAtRightLimit, m.yAtBottomLimit, m.yAtTopLimit};
  const std::span<const TracedPoint> points = trace();
  for (std::size_t i = 1; i < points.size(); ++i) {
    const TracedPoint& a = points[i - 1];
    const TracedPoint& b = points[i];
    if (isBreak(a) || isBreak(b)) continue;
    double x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
    if (!clipToBox(limits, x0, y0, x1, y1)) continue;
    port.moveTo(m.columnOf(x0), m.rowOf(y0));
    port.lineTo(m.columnOf(x1), m.rowOf(y1));
  }
}

GraphStatus CParametricCurve2D::status() const {
  const std::span<const TracedPoint> points = trace();
  if (points.empty() && progress_ == 0 && !samples_.empty()) return GraphStatus::None;
  const PlaneMapping& m = mapping();
  const Box window{m.xOf(m.rect.left - 0.5), m.xOf(m.rect.right - 0.5), m.yOf(m.rect.bottom - 0.5),
                   m.yOf(m.rect.top - 0.5)};
  bool anySegment = anyFinitePair_;
  for (std::size_t i = 1; i < points.size(); ++i) {
    if (isBreak(points[i - 1]) || isBreak(points[i])) continue;
    double x0 = points[i - 1].x, y0 = points[i - 1].y, x1 = points[i].x, y1 = points[i].y;
    if (clipToBox(window, x0, y0, x1, y1)) return GraphStatus::None;
    anySegment = true;
  }
  return anySegment ? GraphStatus::CurveOutsideRegion : GraphStatus::UndefinedOrInfiniteInRegion;
}

void CParametricCurve2D::parameterChanged(std::uint16_t name, double value) {
  const auto uses = [name](const std::unique_ptr<Evaluator>& e) { return e && e->dependsOnVariable(name); };
  if (!uses(components_.x) && !uses(components_.y) && !uses(components_.radius) && !uses(components_.angle))
    return;
  if (applyParameterValue(name, value)) compile();
  invalidate();
}

void CParametricCurve2D::setProperty(int which, double value) {
  if (which == GraphProperty::Resolution) {
    allocateSamples(sampleCountFor(value));
    return;
  }
  // Curve modes belong to explicit curves.
  if (which != GraphProperty::CurveMode) CGraph2D::setProperty(which, value);
}

void CParametricCurve2D::invalidate() {
  sampled_ = 0;
  progress_ = 0;
  trace_.clear();
  retained_.clear();
  traceOpen_ = false;
  anyFinitePair_ = false;
}

void CParametricCurve2D::retrace() {
  // The samples are coordinates and stay; only which joins can be seen has changed.
  if (isComplete()) retained_ = std::move(trace_);
  trace_.clear();
  traceOpen_ = false;
  progress_ = 0;
}

void CParametricCurve2D::resize() { retrace(); }

void CParametricCurve2D::scroll(int dx, int dy) {
  if (dx != 0 || dy != 0) retrace();
}

CParametricCurve2D::Nearest CParametricCurve2D::nearestOnTrace(double x, double y) const {
  const PlaneMapping& m = mapping();
  const double kx = m.pixelsPerUnitX;
  const double ky = -m.pixelsPerUnitY;
  const std::span<const TracedPoint> points = trace();
  Nearest best;
  for (std::size_t i = 1; i < points.size(); ++i) {
    const TracedPoint& a = points[i - 1];
    const TracedPoint& b = points[i];
    if (isBreak(a) || isBreak(b)) continue;
    const double s = nearestFraction(a.x, a.y, b.x, b.y, x, y, kx, ky);
    const double px = a.x + s * (b.x - a.x);
    const double py = a.y + s * (b.y - a.y);
    const double distance = std::hypot((px - x) * kx, (py - y) * ky);
    if (best.found && !(distance < best.distance)) continue;
    best = {true, distance, a.t + s * (b.t - a.t), a.t, b.t, b.x - a.x, b.y - a.y};
  }
  return best;
}

double CParametricCurve2D::footOfPerpendicular(const Nearest& near, double x, double y) const {
  double t = near.t;
  if (!xSlope_ || !ySlope_) return t;
  const double low = std::min(near.tLow, near.tHigh);
  const double high = std::max(near.tLow, near.tHigh);
  TracedPoint p = pointAt(t);
  if (!isFinitePoint(p)) return t;
  double distance = std::hypot(p.x - x, p.y - y);
  for (int step = 0; step < kFootSteps; ++step) {
    const double dx = xSlope_->evalU(t);
    const double dy = ySlope_->evalU(t);
    const double speed2 = dx * dx + dy * dy;
    if (!(speed2 > 0.0) || !std::isfinite(speed2)) break;
    const double next = std::clamp(t - ((p.x - x) * dx + (p.y - y) * dy) / speed2, low, high);
    const TracedPoint q = pointAt(next);
    const double nextDistance = std::hypot(q.x - x, q.y - y);
    // Only ever closer: a step that overshoots is not taken.
    if (!isFinitePoint(q) || !(nextDistance < distance)) break;
    t = next;
    p = q;
    distance = nextDistance;
  }
  return t;
}

bool CParametricCurve2D::hitTest(PixelPoint point) const {
  const PlaneMapping& m = mapping();
  const Nearest near = nearestOnTrace(m.xOf(point.x), m.yOf(point.y));
  return near.found && near.distance <= kHitTolerancePixels;
}

bool CParametricCurve2D::readout(PixelPoint point, ReadoutRecord& record) const {
  const PlaneMapping& m = mapping();
  const double x = m.xOf(point.x);
  const double y = m.yOf(point.y);
  const Nearest near = nearestOnTrace(x, y);
  if (!near.found) return false;
  const double t = footOfPerpendicular(near, x, y);
  const TracedPoint p = pointAt(t);
  if (!isFinitePoint(p)) return false;

  record = ReadoutRecord::ofPoint(p.x, p.y);
  const auto radius = [&] { return components_.radius ? components_.radius->evalU(t) : t; };
  const auto angle = [&] { return components_.angle ? components_.angle->evalU(t) : t; };
  if (kind_ != ParameterKind::XYOfT) {
    record.add({"r: ", radius()});
    ReadoutLine theta{"theta: ", angle()};
    theta.isAngle = true;
    record.add(theta);
  }
  if (kind_ == ParameterKind::XYOfT || kind_ == ParameterKind::RThetaOfT) record.add({"t: ", t});
  return true;
}

CurvePiece CParametricCurve2D::nearestPoint(double x, double y, double tolerance) const {
  const Nearest near = nearestOnTrace(x, y);
  const PlaneMapping& m = mapping();
  if (!near.found || near.distance * m.unitsPerPixelX > tolerance) return {};
  const double t = footOfPerpendicular(near, x, y);
  const TracedPoint p = pointAt(t);
  if (!isFinitePoint(p)) return {};
  CurvePiece piece;
  piece.found = true;
  piece.x = p.x;
  piece.y = p.y;
  piece.dx = near.dx;
  piece.dy = near.dy;
  if (xSlope_ && ySlope_) {
    const double dx = xSlope_->evalU(t);
    const double dy = ySlope_->evalU(t);
    if (std::isfinite(dx) && std::isfinite(dy) && (dx != 0.0 || dy != 0.0)) {
      piece.dx = dx;
      piece.dy = dy;
    }
  }
  return piece;
}

namespace {

using namespace Letter;

bool isLetter(const MathObject& node, std::uint16_t letter) {
  return node.kind == ObjectKind::char_ && node.characterCode() == letter;
}

std::unique_ptr<Evaluator> inU(ObjectPtr tree, std::uint16_t letter) {
  auto evaluator = std::make_unique<Evaluator>(std::move(tree));
  evaluator->renameVariable(letter, U);
  return evaluator;
}

// x = r cos θ, y = r sin θ for r and θ given as trees in `letter`; the readout keeps r and θ
// themselves unless one is the parameter.
ParametricComponents polarComponents(const MathObject& radius, const MathObject& angle,
                                     std::uint16_t letter) {
  ParametricComponents c;
  c.x = inU(makeTimes(cloneTree(radius), makeFunction(ObjectKind::cos, cloneTree(angle))), letter);
  c.y = inU(makeTimes(cloneTree(radius), makeFunction(ObjectKind::sin, cloneTree(angle))), letter);
  if (!isLetter(radius, letter)) c.radius = inU(cloneTree(radius), letter);
  if (!isLetter(angle, letter)) c.angle = inU(cloneTree(angle), letter);
  return c;
}

int addCurve(GraphKindRequest& request, ParametricComponents components, ParameterKind kind,
             Coordinate over) {
  CGraphPlane& plane = request.container.plane();
  const int index = plane.addGraph(std::make_unique<CParametricCurve2D>(
      plane, std::move(components), kind, std::move(request.style), request.settings.resolutionA));
  request.container.setActive3D(false);
  request.container.showRange(static_cast<int>(over));
  return index;
}

} // namespace

int addPolarROfTheta(GraphKindRequest& request) {
  const ObjectPtr theta = makeChar(Theta);
  return addCurve(request, polarComponents(*request.right, *theta, Theta), ParameterKind::ROfTheta,
                  Coordinate::Theta);
}

int addPolarThetaOfR(GraphKindRequest& request) {
  const ObjectPtr r = makeChar(R);
  return addCurve(request, polarComponents(*r, *request.right, R), ParameterKind::ThetaOfR, Coordinate::R);
}

int addPolarCurveOfT(GraphKindRequest& request) {
  const MathObject& entries = *request.right;
  return addCurve(request, polarComponents(*entries.child(0), *entries.child(1), T), ParameterKind::RThetaOfT,
                  Coordinate::T);
}

int addParametricCurveXY(GraphKindRequest& request) {
  const MathObject& entries = *request.right;
  ParametricComponents c;
  c.x = inU(cloneTree(*entries.child(0)), T);
  c.y = inU(cloneTree(*entries.child(1)), T);
  return addCurve(request, std::move(c), ParameterKind::XYOfT, Coordinate::T);
}

} // namespace vexmar
