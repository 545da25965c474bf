#include "graph/plane/explicit_curve.h"

#include "algebra/derivative_evaluator.h"
#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "graph/graph_kinds.h"
#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/drawing_port.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <new>

namespace vexmar {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr Rgb kAsymptoteGrey{0xBF, 0xBF, 0xBF};

// A suspicious pixel is cut into at most 2^10 pieces, a long expression's into fewer: a pixel's
// checks evaluate about this many objects in all, whatever the expression's size.
constexpr int kMaxDoublings = 10;
constexpr int kMinDoublings = 4;
constexpr std::size_t kObjectsPerFinestCheck = std::size_t{1} << 17;

int doublingsFor(const MathObject& function) {
  const std::size_t size = countObjects(function);
  int doublings = kMaxDoublings;
  while (doublings > kMinDoublings && (std::size_t{1} << doublings) * size > kObjectsPerFinestCheck)
    --doublings;
  return doublings;
}
// A function that moves less than this across a pixel, at every one of the finest points, is
// taken as bounded there even when its derivative's enclosure is not (sin u / u at 0).
constexpr double kBoundedSpreadPixels = 4.0;
// The mean value check allows for the rounding of f's point values.
constexpr double kRelativeSlack = 1e-9;

bool isFiniteInterval(IntervalValue v) { return std::isfinite(v.lower) && std::isfinite(v.upper); }

// Where drawing and hit testing start: only these kinds put a segment on the screen.
bool isDrawn(SampleKind kind) {
  return kind == SampleKind::EdgeSegment || kind == SampleKind::RangeSegment || kind == SampleKind::Unbounded;
}

} // namespace

CExplicitCurve::CExplicitCurve(const CGraphPlane& plane, std::unique_ptr<Evaluator> function, bool overX,
                               std::unique_ptr<GraphStyle> style, int curveMode)
    : CGraph2D(plane, std::move(style)), function_(std::move(function)),
      curveMode_(curveMode >= Fast && curveMode <= Careful ? curveMode : Careful), overX_(overX) {
  assert(function_ && "an explicit curve needs its function");
  finestDoublings_ = doublingsFor(function_->tree());
  if (!function_->containsFactorial()) derivative_ = makeDerivativeEvaluator(*function_, 'u');
  compile();
  allocateSamples(countFromRect());
}

CExplicitCurve::~CExplicitCurve() = default;

const PlaneMapping& CExplicitCurve::mapping() const { return plane_.mapping(); }

std::size_t CExplicitCurve::countFromRect() const {
  const PixelRect& rect = mapping().rect;
  const int count = overX_ ? rect.width() : rect.height();
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void CExplicitCurve::allocateSamples(std::size_t count) {
  try {
    samples_.resize(count);
  } catch (const std::bad_alloc&) {
    samples_.clear();
    samples_.shrink_to_fit();
    raiseError(Error::GraphMemory);
  }
}

void CExplicitCurve::compile() {
  if (!function_->isCompiled()) compileBatch({function_.get()});
  // Compiled on its own: it is evaluated at other points than f, never right after it.
  if (derivative_) compileBatch({derivative_.get()});
}

double CExplicitCurve::dependentPixel() const {
  return overX_ ? mapping().unitsPerPixelY : mapping().unitsPerPixelX;
}

void CExplicitCurve::work(std::int64_t budgetMs) {
  Clock& clock = plane_.clock();
  const std::int64_t deadline = clock.nowMs() + budgetMs;
  const std::size_t count = samples_.size();
  for (std::size_t i = progress_; i < count; ++i) {
    if (samples_[i].kind != SampleKind::NotComputed) continue;
    if (clock.nowMs() >= deadline) {
      progress_ = i;
      return;
    }
    computeSample(i);
  }
  progress_ = count;
}

void CExplicitCurve::computeSample(std::size_t index) {
  const PlaneMapping& m = mapping();
  const int pixel =
      overX_ ? m.rect.left + static_cast<int>(index) : m.rect.bottom - 1 - static_cast<int>(index);
  const double centre = overX_ ? m.xOf(pixel) : m.yOf(pixel);
  const double halfPixel = 0.5 * (overX_ ? m.unitsPerPixelX : m.unitsPerPixelY);
  const double a = centre - halfPixel;
  const double b = centre + halfPixel;

  CurveSample& sample = samples_[index];
  const bool previousKnown = index > 0 && samples_[index - 1].kind != SampleKind::NotComputed;
  const double fa = previousKnown ? samples_[index - 1].rightValue : function_->evalU(a);
  const double fb = function_->evalU(b);
  sample.rightValue = fb;
  sample.centre = 0.5 * (a + b);

  const double v1 = std::fmin(fa, fb);
  const double v2 = std::fmax(fa, fb);
  switch (curveMode_) {
  case Fast:
    if (!std::isnan(fa) && !std::isnan(fb)) {
      sample.kind = SampleKind::EdgeSegment;
      sample.low = v1;
      sample.high = v2;
    } else {
      sample.kind = SampleKind::Undefined;
      sample.low = sample.high = kNaN;
    }
    return;
  case Bounds: {
    const IntervalValue bounds = function_->evalIntervalU(a, b);
    if (std::isnan(bounds.lower) || std::isnan(bounds.upper)) {
      sample.kind = SampleKind::Undefined;
      sample.low = sample.high = kNaN;
      return;
    }
    sample.kind = bounds.lower == -kInfinity && bounds.upper == kInfinity ? SampleKind::Unbounded
                                                                          : SampleKind::RangeSegment;
    sample.low = bounds.lower;
    sample.high = bounds.upper;
    return;
  }
  default:
    classifyCareful(sample, a, b, fa, fb);
    return;
  }
}

void CExplicitCurve::classifyCareful(CurveSample& sample, double a, double b, double fa, double fb) const {
  const auto settle = [&sample](SampleKind kind, double low, double high) {
    sample.kind = kind;
    sample.low = low;
    sample.high = high;
  };
  const IntervalValue bounds = function_->evalIntervalU(a, b);
  const bool edgesAreNumbers = !std::isnan(fa) && !std::isnan(fb);
  double refinedLow = std::fmin(fa, fb);
  double refinedHigh = std::fmax(fa, fb);

  // 1. Undefined: only when nothing in the pixel gives a number.
  if (!edgesAreNumbers) {
    const double middle = function_->evalU(0.5 * (a + b));
    // No number at the edges or the middle, none in the enclosure, and no pole whose neighbourhood
    // could hold a defined sliver: the enclosure of df/du is empty or bounded.
    bool gapConfirmed = std::isnan(middle) && isUndefined(bounds);
    if (gapConfirmed && derivative_) {
      const IntervalValue slope = derivative_->evalIntervalU(a, b);
      gapConfirmed = isUndefined(slope) || isFiniteInterval(slope);
    }
    if (gapConfirmed) return settle(SampleKind::Undefined, kNaN, kNaN);
    const Refinement refined = refineBounds(a, b, fa, fb);
    if (!refined.anyNumber) return settle(SampleKind::Undefined, kNaN, kNaN);
    refinedLow = refined.low;
    refinedHigh = refined.high;
  }

  // 2. Unbounded: the enclosure is infinite and f really may have a pole here.
  const bool reachesInfinity = bounds.lower == -kInfinity || bounds.upper == kInfinity;
  if (std::isinf(fa) || std::isinf(fb) || (reachesInfinity && !hasNoPole(a, b, fa, fb)))
    return settle(SampleKind::Unbounded, std::fmin(bounds.lower, refinedLow),
                  std::fmax(bounds.upper, refinedHigh));

  // 3. A partly defined pixel shows the range found; a jump shows the range it spans.
  if (!edgesAreNumbers) return settle(SampleKind::RangeSegment, refinedLow, refinedHigh);
  if (isJump(a, b, fa, fb, bounds)) {
    const Refinement refined = refineBounds(a, b, fa, fb);
    return settle(SampleKind::RangeSegment, refined.low, refined.high);
  }
  settle(SampleKind::EdgeSegment, std::fmin(fa, fb), std::fmax(fa, fb));
}

bool CExplicitCurve::Refinement::include(double v) {
  if (std::isnan(v)) return false;
  anyNumber = true;
  allFinite = allFinite && std::isfinite(v);
  low = std::min(low, v);
  high = std::max(high, v);
  return true;
}

CExplicitCurve::Refinement CExplicitCurve::refineBounds(double a, double b, double fa, double fb) const {
  Refinement r{kInfinity, -kInfinity};
  r.include(fa);
  r.include(fb);
  const double width = b - a;
  for (int level = 1; level <= finestDoublings_; ++level) {
    const int pieces = 1 << level;
    const double lowBefore = r.low;
    const double highBefore = r.high;
    bool allNumbers = true;
    for (int j = 1; j < pieces; j += 2)
      allNumbers = r.include(function_->evalU(a + width * j / pieces)) && allNumbers;
    // Once every new point is defined and none moves the bounds, finer pieces rarely will; where
    // some are undefined the edge of the domain is still being looked for.
    if (level >= 2 && allNumbers && r.low == lowBefore && r.high == highBefore) break;
  }
  return r;
}

CExplicitCurve::Refinement CExplicitCurve::sampleFinely(double a, double b) const {
  Refinement r{kInfinity, -kInfinity};
  const double width = b - a;
  double previous = kNaN;
  const int finestPieces = 1 << finestDoublings_;
  for (int j = 0; j <= finestPieces; ++j) {
    const double v = function_->evalU(a + width * j / finestPieces);
    // An isolated undefined point (0/0 of a removable singularity) is no sign of a pole.
    if (r.include(v) && !std::isnan(previous))
      r.largestStep = std::max(r.largestStep, std::fabs(v - previous));
    previous = v;
  }
  return r;
}

bool CExplicitCurve::hasNoPole(double a, double b, double fa, double fb) const {
  // A bounded derivative bounds f across the pixel: no pole.
  if (derivative_ && isFiniteInterval(derivative_->evalIntervalU(a, b))) return true;
  if (!std::isfinite(fa) || !std::isfinite(fb)) return false;
  // The enclosure of df/du may be infinite only through overestimation (a removable point); a
  // function that stays within a few pixels at every one of the finest points has no visible pole.
  const Refinement fine = sampleFinely(a, b);
  if (!fine.allFinite) return false;
  const double spread = std::max({fine.high, fa, fb}) - std::min({fine.low, fa, fb});
  return spread <= kBoundedSpreadPixels * dependentPixel();
}

bool CExplicitCurve::isJump(double a, double b, double fa, double fb, IntervalValue bounds) const {
  const double pixel = dependentPixel();
  // Within one pixel a jump cannot be seen.
  if (isFiniteInterval(bounds) && bounds.upper - bounds.lower <= pixel) return false;
  const double width = b - a;
  const double rise = fb - fa;
  if (derivative_) {
    const IntervalValue slope = derivative_->evalIntervalU(a, b);
    if (isFiniteInterval(slope)) {
      // Mean value theorem: a function differentiable across the pixel rises by slope x width for
      // some slope in the enclosure. A rise outside it means f is not continuous there.
      const double slack = kRelativeSlack * (std::fabs(fa) + std::fabs(fb) +
                                             (std::fabs(slope.lower) + std::fabs(slope.upper)) * width) +
                           std::numeric_limits<double>::min();
      return rise < slope.lower * width - slack || rise > slope.upper * width + slack;
    }
  }
  // Without a usable derivative: a continuous function's largest step shrinks with the pieces,
  // while a jump keeps most of the change in one piece.
  const Refinement fine = sampleFinely(a, b);
  return fine.largestStep > pixel && fine.largestStep > 0.5 * (fine.high - fine.low);
}

void CExplicitCurve::draw(DrawingPort& port) {
  // Segments go straight into the frame buffer; a port without one draws nothing.
  if (samples_.empty() || !port.isAttached()) return;
  const PlaneMapping& m = mapping();
  const PixelRect clip = intersect(port.clip(), m.rect);
  if (clip.isEmpty()) return;
  const Rgb colour = colourOf(*style_);
  for (const CurveSample& s : samples_) {
    if (!isDrawn(s.kind)) continue;
    const Rgb segmentColour = s.kind == SampleKind::Unbounded ? kAsymptoteGrey : colour;
    if (overX_) {
      const int column = m.columnOf(s.centre);
      port.plotVerticalSegment(clip, {column, m.rowOf(s.low)}, {column, m.rowOf(s.high)}, segmentColour, 1);
    } else {
      const int row = m.rowOf(s.centre);
      port.plotHorizontalSegment(clip, {m.columnOf(s.low), row}, {m.columnOf(s.high), row}, segmentColour, 1);
    }
  }
}

GraphStatus CExplicitCurve::status() const {
  const PlaneMapping& m = mapping();
  // The dependent coordinate's window, from the outer edge of the first pixel to that of the last.
  const double windowLow = overX_ ? m.yOf(m.rect.bottom - 0.5) : m.xOf(m.rect.left - 0.5);
  const double windowHigh = overX_ ? m.yOf(m.rect.top - 0.5) : m.xOf(m.rect.right - 0.5);
  bool anyComputed = false;
  bool anySegment = false;
  bool anyUnbounded = false;
  for (const CurveSample& s : samples_) {
    switch (s.kind) {
    case SampleKind::NotComputed:
      continue;
    case SampleKind::EdgeSegment:
    case SampleKind::RangeSegment:
      // Only the curve itself counts as shown; an asymptote's grey line crosses every window.
      if (s.high >= windowLow && s.low <= windowHigh) return GraphStatus::None;
      anySegment = true;
      break;
    case SampleKind::Unbounded:
      anyUnbounded = true;
      break;
    case SampleKind::Undefined:
      break;
    }
    anyComputed = true;
  }
  if (!anyComputed) return GraphStatus::None;
  if (anySegment) return GraphStatus::CurveOutsideRegion;
  if (anyUnbounded) return GraphStatus::InfiniteInDomain;
  return GraphStatus::UndefinedInDomain;
}

void CExplicitCurve::parameterChanged(std::uint16_t name, double value) {
  if (!function_->dependsOnVariable(name)) return;
  if (applyParameterValue(name, value)) {
    compileBatch({function_.get()});
    if (derivative_) compileBatch({derivative_.get()});
  }
  invalidate();
}

void CExplicitCurve::setProperty(int which, double value) {
  if (which != GraphProperty::CurveMode)
    CGraph2D::setProperty(which, value);
  else if (takeCurveMode(value, curveMode_))
    invalidate();
}

void CExplicitCurve::invalidate() {
  for (CurveSample& s : samples_) s.kind = SampleKind::NotComputed;
  progress_ = 0;
}

void CExplicitCurve::resize() {
  const std::size_t oldCount = samples_.size();
  const std::size_t newCount = countFromRect();
  allocateSamples(newCount);
  // Samples past the old count are new; the plane scrolls the others to where the view moved them.
  for (std::size_t i = std::min(oldCount, samples_.size()); i < samples_.size(); ++i) samples_[i] = {};
  progress_ = 0;
}

void CExplicitCurve::scroll(int dx, int dy) {
  const long long shift = overX_ ? dx : -static_cast<long long>(dy);
  const auto count = static_cast<long long>(samples_.size());
  progress_ = 0;
  if (shift == 0) return;
  if (shift >= count || -shift >= count) {
    invalidate();
    return;
  }
  const auto offset = static_cast<std::ptrdiff_t>(shift);
  if (shift > 0) {
    std::move_backward(samples_.begin(), samples_.end() - offset, samples_.end());
    std::fill(samples_.begin(), samples_.begin() + offset, CurveSample{});
  } else {
    std::move(samples_.begin() - offset, samples_.end(), samples_.begin());
    std::fill(samples_.end() + offset, samples_.end(), CurveSample{});
  }
}

const CurveSample* CExplicitCurve::sampleAt(PixelPoint point) const {
  const PixelRect& rect = mapping().rect;
  const long long index = overX_ ? static_cast<long long>(point.x) - rect.left
                                 : static_cast<long long>(rect.bottom) - 1 - point.y;
  if (index < 0 || index >= static_cast<long long>(samples_.size())) return nullptr;
  return &samples_[static_cast<std::size_t>(index)];
}

bool CExplicitCurve::hitTest(PixelPoint point) const {
  const PlaneMapping& m = mapping();
  const int along = overX_ ? point.x : point.y;
  const int across = overX_ ? point.y : point.x;
  for (int offset = -2; offset <= 2; ++offset) {
    const PixelPoint neighbour =
        overX_ ? PixelPoint{along + offset, across} : PixelPoint{across, along + offset};
    const CurveSample* s = sampleAt(neighbour);
    if (s == nullptr || !isDrawn(s->kind)) continue;
    const int from = overX_ ? m.rowOf(s->low) : m.columnOf(s->low);
    const int to = overX_ ? m.rowOf(s->high) : m.columnOf(s->high);
    const long long first = std::min(from, to);
    const long long last = std::max(from, to);
    const long long gap = across < first ? first - across : across > last ? across - last : 0;
    if (gap * gap + offset * offset <= kHitTolerancePixels * kHitTolerancePixels) return true;
  }
  return false;
}

bool CExplicitCurve::readout(PixelPoint point, ReadoutRecord& record) const {
  const CurveSample* s = sampleAt(point);
  if (s == nullptr || s->kind == SampleKind::NotComputed) return false;
  const PlaneMapping& m = mapping();
  const double coordinate = overX_ ? m.xOf(point.x) : m.yOf(point.y);

  // Curve mode 1 reads the column's range; mode 2 its refined range where the column holds one,
  // and otherwise, like mode 0, the function at the point itself.
  const bool showsRange =
      s->kind != SampleKind::Undefined &&
      (curveMode_ == Bounds || (curveMode_ == Careful && s->kind != SampleKind::EdgeSegment));
  ReadoutLine dependent{overX_ ? "y: " : "x: "};
  double markAt = 0.0;
  if (showsRange) {
    dependent.value = s->low;
    dependent.high = s->high;
    dependent.isRange = true;
    const double middle = 0.5 * (s->low + s->high);
    markAt = std::isfinite(middle)    ? middle
             : std::isfinite(s->low)  ? s->low
             : std::isfinite(s->high) ? s->high
                                      : 0.0;
  } else {
    dependent.value = function_->evalU(coordinate);
    markAt = dependent.value;
  }
  const ReadoutLine independent{overX_ ? "x: " : "y: ", coordinate};

  record = {};
  record.kind = showsRange ? 2 : 1;
  record.x = overX_ ? coordinate : markAt;
  record.y = overX_ ? markAt : coordinate;
  // The x line always comes first.
  record.add(overX_ ? independent : dependent);
  record.add(overX_ ? dependent : independent);
  return true;
}

double CExplicitCurve::slopeAt(double u) const {
  if (derivative_) {
    const double slope = derivative_->evalU(u);
    if (!std::isnan(slope)) return slope;
  }
  const double step = 0.5 * (overX_ ? mapping().unitsPerPixelX : mapping().unitsPerPixelY);
  return (function_->evalU(u + step) - function_->evalU(u - step)) / (2.0 * step);
}

CurvePiece CExplicitCurve::nearestPoint(double x, double y, double tolerance) const {
  const double independent = overX_ ? x : y;
  const double wanted = overX_ ? y : x;
  // The point (along, value) with the direction (1, slope) in the curve's own axes.
  const auto piece = [this](double along, double value, double alongStep, double valueStep) {
    CurvePiece p;
    p.found = true;
    p.x = overX_ ? along : value;
    p.y = overX_ ? value : along;
    p.dx = overX_ ? alongStep : valueStep;
    p.dy = overX_ ? valueStep : alongStep;
    return p;
  };

  const double value = function_->evalU(independent);
  if (std::isfinite(value)) {
    const double slope = slopeAt(independent);
    // The distance to the tangent line, so that a steep curve is found as easily as a flat one.
    if (std::isfinite(slope)) {
      if (std::fabs(value - wanted) / std::hypot(1.0, slope) <= tolerance)
        return piece(independent, value, 1.0, slope);
    } else if (std::fabs(value - wanted) <= tolerance) {
      return piece(independent, value, 0.0, 1.0);
    }
  }

  // A jump is drawn as a segment along the dependent axis: the readout may sit anywhere on it.
  const PlaneMapping& m = mapping();
  const PixelPoint pixel =
      overX_ ? PixelPoint{m.columnOf(independent), 0} : PixelPoint{0, m.rowOf(independent)};
  const CurveSample* s = sampleAt(pixel);
  if (s != nullptr && s->kind == SampleKind::RangeSegment && wanted >= s->low - tolerance &&
      wanted <= s->high + tolerance)
    return piece(independent, std::clamp(wanted, s->low, s->high), 0.0, 1.0);
  return {};
}

namespace {

// The function is the right side of the equation, or the whole expression, in u.
int addExplicitCurve(GraphKindRequest& request, bool overX) {
  const MathObject& function = request.right ? *request.right : request.equation;
  CGraphPlane& plane = request.container.plane();
  return plane.addGraph(std::make_unique<CExplicitCurve>(
      plane, compileRenamed(function, {{overX ? Letter::X : Letter::Y, Letter::U}}), overX,
      std::move(request.style), request.curveMode));
}

} // namespace

int addCurveYOfX(GraphKindRequest& request) { return addExplicitCurve(request, true); }

int addCurveXOfY(GraphKindRequest& request) { return addExplicitCurve(request, false); }

} // namespace vexmar
