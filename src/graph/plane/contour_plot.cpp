#include "graph/plane/contour_plot.h"

#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/drawing_port.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>

namespace vexmar {
namespace {

// Sampled values are taken to run off towards a pole when all but this share at either end span
// less than half of their whole range ...
constexpr double kTailShare = 0.02;
// ... and the levels then span all but this share at either end.
constexpr double kMiddleEdgeShare = 0.1;

// Steps of the false position method that move a crossing from where the straight line between
// the samples puts it onto the level line itself: the sample grid is coarse, and a function that
// is far from straight across a cell (near a pole, or sin(1/x)) would otherwise be drawn off its
// lines.
constexpr int kCrossingSteps = 12;
// A crossing still this share of the values' difference along the edge away from the level after
// those steps is a jump of the function, not a point of its level line.
constexpr double kJumpShare = 1e-3;

// The distance in pixels from (x, y) to a segment, and the nearest point on it.
double distanceToSegment(const ContourSegment& s, double x, double y, double kx, double ky, double& px,
                         double& py) {
  const double dx = (s.x1 - s.x0) * kx;
  const double dy = (s.y1 - s.y0) * ky;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0.0 ? ((x - s.x0) * kx * dx + (y - s.y0) * ky * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  px = s.x0 + t * (s.x1 - s.x0);
  py = s.y0 + t * (s.y1 - s.y0);
  return std::hypot((px - x) * kx, (py - y) * ky);
}

} // namespace

CContourPlot::CContourPlot(const CGraphPlane& plane, SampledFunction function,
                           std::unique_ptr<GraphStyle> style, double resolution)
    : CGraph2D(plane, std::move(style)), function_(std::move(function)),
      levelCount_(levelCountFor(resolution)) {}

CContourPlot::~CContourPlot() = default;

int CContourPlot::levelCountFor(double resolution) {
  // A resolution from a damaged document stays within the two ends.
  const double clamped = std::isnan(resolution) ? 0.0 : std::clamp(resolution, 0.0, 1.0);
  return static_cast<int>(std::lround(4.0 + 20.0 * clamped));
}

const PlaneMapping& CContourPlot::mapping() const { return plane_.mapping(); }

void CContourPlot::start() {
  started_ = true;
  next_ = 0;
  restartTrace();
  const PlaneMapping& m = mapping();
  left_ = m.xOf(m.rect.left - 0.5);
  bottom_ = m.yOf(m.rect.bottom - 0.5);
  cellWidth_ = (m.xOf(m.rect.right - 0.5) - left_) / kGridCells;
  cellHeight_ = (m.yOf(m.rect.top - 0.5) - bottom_) / kGridCells;
  samples_.assign(static_cast<std::size_t>(kGridPoints) * kGridPoints, 0.0);
  function_.prepareGrid(left_, bottom_, cellWidth_, cellHeight_, kGridPoints, kGridPoints);
}

void CContourPlot::work(std::int64_t budgetMs) {
  Clock& clock = plane_.clock();
  const std::int64_t deadline = clock.nowMs() + budgetMs;
  if (!started_) start();
  const std::size_t count = samples_.size();
  for (std::size_t k = next_; k < count; ++k) {
    // A row costs little: the clock is read between rows.
    if (k % kGridPoints == 0 && k != next_ && clock.nowMs() >= deadline) {
      next_ = k;
      return;
    }
    samples_[k] = function_.atGridPoint(static_cast<int>(k % kGridPoints), static_cast<int>(k / kGridPoints));
  }
  next_ = count;
  trace(clock, deadline);
  if (isComplete()) {
    retained_.clear();
    retained_.shrink_to_fit();
  }
}

void CContourPlot::chooseLevels() {
  levelsUsed_ = 0;
  std::vector<double> finite;
  finite.reserve(samples_.size());
  std::copy_if(samples_.begin(), samples_.end(), std::back_inserter(finite),
               [](double value) { return std::isfinite(value); });
  if (finite.size() < 2) return;
  std::sort(finite.begin(), finite.end());
  double low = finite.front();
  double high = finite.back();
  if (!(high > low)) return;
  // Near a pole a few samples reach values far beyond the rest, and levels spread up to them would
  // all crowd around the pole. When the values but the outermost few span less than half of the
  // whole, the levels span the middle of the values instead.
  const auto quantile = [&](double share) {
    return finite[static_cast<std::size_t>(std::lround(share * static_cast<double>(finite.size() - 1)))];
  };
  const double span = high * 0.5 - low * 0.5;
  if (quantile(1.0 - kTailShare) * 0.5 - quantile(kTailShare) * 0.5 < span * 0.5 &&
      quantile(1.0 - kMiddleEdgeShare) > quantile(kMiddleEdgeShare)) {
    low = quantile(kMiddleEdgeShare);
    high = quantile(1.0 - kMiddleEdgeShare);
  }
  // Evenly spaced strictly between the two: a level at an extreme would trace a single point.
  const int count = std::min(levelCount_, kMaxLevels);
  for (int k = 0; k < count; ++k) {
    const double s = static_cast<double>(k + 1) / (count + 1);
    const double level = low * (1.0 - s) + high * s;
    if (levelsUsed_ > 0 && level <= levels_[levelsUsed_ - 1]) continue;
    levels_[levelsUsed_++] = level;
  }
}

void CContourPlot::restartTrace() {
  levelsChosen_ = false;
  tracedRows_ = 0;
  levelsUsed_ = 0;
  segments_.clear();
}

void CContourPlot::trace(Clock& clock, std::int64_t deadline) {
  try {
    if (!levelsChosen_) {
      chooseLevels();
      levelsChosen_ = true;
    }
    // Following the lines costs more than sampling where they wind a lot: it too keeps to the
    // budget, a row of cells at a time.
    const int firstRow = tracedRows_;
    for (; tracedRows_ < kGridCells; ++tracedRows_) {
      if (tracedRows_ != firstRow && clock.nowMs() >= deadline) return;
      for (int column = 0; column < kGridCells; ++column) traceCell(column, tracedRows_);
    }
  } catch (const std::bad_alloc&) {
    segments_.clear();
    segments_.shrink_to_fit();
    tracedRows_ = kGridCells;
    raiseError(Error::GraphMemory);
  }
}

void CContourPlot::traceCell(int column, int row) {
  // Corners counter-clockwise from the lower left.
  const std::array<double, 4> v{sample(column, row), sample(column + 1, row), sample(column + 1, row + 1),
                                sample(column, row + 1)};
  if (!std::all_of(v.begin(), v.end(), [](double value) { return std::isfinite(value); })) return;
  const double low = *std::min_element(v.begin(), v.end());
  const double high = *std::max_element(v.begin(), v.end());
  const double x0 = left_ + column * cellWidth_;
  const double y0 = bottom_ + row * cellHeight_;
  const double x1 = x0 + cellWidth_;
  const double y1 = y0 + cellHeight_;
  bool continuityChecked = false;
  for (std::size_t k = 0; k < levelsUsed_; ++k) {
    const double level = levels_[k];
    if (level < low || level >= high) continue;
    // Across a pole f passes through every level without a line being there: a cell whose values
    // are not bounded is left out.
    if (!continuityChecked) {
      const IntervalValue enclosure = function_.over(x0, x1, y0, y1);
      if (!std::isfinite(enclosure.lower) || !std::isfinite(enclosure.upper)) return;
      continuityChecked = true;
    }
    // The edges bottom, right, top, left, each from its left or lower end, so that the two cells
    // sharing an edge find the same point and the pieces of a line join exactly.
    const std::array<EdgeEnds, 4> edges{{{x0, y0, v[0], x1, y0, v[1]},
                                         {x1, y0, v[1], x1, y1, v[2]},
                                         {x0, y1, v[3], x1, y1, v[2]},
                                         {x0, y0, v[0], x0, y1, v[3]}}};
    const std::array<bool, 4> above{v[0] >= level, v[1] >= level, v[2] >= level, v[3] >= level};
    // Edge e runs from corner e to corner e + 1 (counter-clockwise).
    std::array<int, 4> crossed{};
    int crossings = 0;
    for (int e = 0; e < 4; ++e)
      if (above[static_cast<std::size_t>(e)] != above[static_cast<std::size_t>((e + 1) % 4)])
        crossed[static_cast<std::size_t>(crossings++)] = e;
    const auto add = [&](int a, int b) {
      const Crossing p = crossing(edges[static_cast<std::size_t>(a)], level);
      const Crossing q = crossing(edges[static_cast<std::size_t>(b)], level);
      if (p.onLevel && q.onLevel) segments_.push_back({p.x, p.y, q.x, q.y, static_cast<int>(k)});
    };
    // A level met only at corners crosses no edge.
    if (crossings == 0) continue;
    if (crossings == 2) {
      add(crossed[0], crossed[1]);
      continue;
    }
    // A saddle. Which pairs of corners are joined inside the cell is decided by the value at the
    // saddle point of the bilinear interpolant of the corners; the corners' mean would misjudge a
    // saddle lying away from the cell's middle. The lines cut off the two corners on the other side
    // of it from that value; corner 1 lies between edges 0 and 1.
    const double saddle = (v[0] * v[2] - v[1] * v[3]) / (v[0] - v[1] + v[2] - v[3]);
    const bool centreAbove = saddle >= level;
    if (above[1] != centreAbove) {
      add(0, 1);
      add(2, 3);
    } else {
      add(1, 2);
      add(3, 0);
    }
  }
}

void CContourPlot::draw(DrawingPort& port) {
  if (!port.isAttached() || shownSegments().empty()) return;
  const PlaneMapping& m = mapping();
  const PixelRect clip = intersect(port.clip(), m.rect);
  if (clip.isEmpty()) return;
  port.setClip(clip);
  port.setPen(colourOf(*style_));
  for (const ContourSegment& s : shownSegments()) {
    port.moveTo(m.columnOf(s.x0), m.rowOf(s.y0));
    port.lineTo(m.columnOf(s.x1), m.rowOf(s.y1));
  }
}

GraphStatus CContourPlot::status() const {
  if (!isComplete()) return GraphStatus::None;
  return segments_.empty() ? GraphStatus::UndefinedOrConstantInRegion : GraphStatus::None;
}

void CContourPlot::parameterChanged(std::uint16_t name, double value) {
  if (function_.parameterChanged(name, value)) invalidate();
}

void CContourPlot::setProperty(int which, double value) {
  if (which == GraphProperty::Resolution) {
    levelCount_ = levelCountFor(value);
    // The samples stay: only the levels and their lines change.
    restartTrace();
    return;
  }
  CGraph2D::setProperty(which, value);
}

void CContourPlot::invalidate() {
  started_ = false;
  next_ = 0;
  restartTrace();
  retained_.clear();
}

void CContourPlot::startAgainKeepingThePicture() {
  if (isComplete()) retained_ = std::move(segments_);
  started_ = false;
  next_ = 0;
  restartTrace();
}

void CContourPlot::scroll(int dx, int dy) {
  if (dx != 0 || dy != 0) startAgainKeepingThePicture();
}

CContourPlot::Crossing CContourPlot::crossing(const EdgeEnds& edge, double level) const {
  // g(s) = f(the point s of the way along the edge) - level changes sign between 0 and 1.
  const double dx = edge.x1 - edge.x0;
  const double dy = edge.y1 - edge.y0;
  double lowS = 0.0, lowG = edge.v0 - level;
  double highS = 1.0, highG = edge.v1 - level;
  int keptSide = 0;
  for (int step = 0; step < kCrossingSteps; ++step) {
    const double s = (lowS * highG - highS * lowG) / (highG - lowG);
    const double g = function_.at(edge.x0 + s * dx, edge.y0 + s * dy) - level;
    // Undefined or unbounded between the samples: no line can be placed there.
    if (!std::isfinite(g)) return {0.0, 0.0, false};
    if (g == 0.0) return {edge.x0 + s * dx, edge.y0 + s * dy, true};
    // The Illinois variant: an end kept twice running has its value halved, so that both ends
    // close in.
    if ((g < 0.0) == (lowG < 0.0)) {
      lowS = s;
      lowG = g;
      if (keptSide == 1) highG *= 0.5;
      keptSide = 1;
    } else {
      highS = s;
      highG = g;
      if (keptSide == -1) lowG *= 0.5;
      keptSide = -1;
    }
  }
  const double s = (lowS * highG - highS * lowG) / (highG - lowG);
  const double x = edge.x0 + s * dx;
  const double y = edge.y0 + s * dy;
  // Where f jumps over the level (theta across the positive x axis, a step) the search ends beside
  // the jump, far from the level: no line runs there.
  const double g = function_.at(x, y) - level;
  return {x, y, std::fabs(g) <= kJumpShare * std::fabs(edge.v1 - edge.v0)};
}

const ContourSegment* CContourPlot::nearestSegment(double x, double y, double& distance) const {
  const PlaneMapping& m = mapping();
  const ContourSegment* best = nullptr;
  for (const ContourSegment& s : segments_) {
    double px = 0.0, py = 0.0;
    const double d = distanceToSegment(s, x, y, m.pixelsPerUnitX, m.pixelsPerUnitY, px, py);
    if (best != nullptr && !(d < distance)) continue;
    best = &s;
    distance = d;
  }
  return best;
}

bool CContourPlot::hitTest(PixelPoint point) const {
  const PlaneMapping& m = mapping();
  double distance = 0.0;
  return nearestSegment(m.xOf(point.x), m.yOf(point.y), distance) != nullptr &&
         distance <= kHitTolerancePixels;
}

bool CContourPlot::readout(PixelPoint point, ReadoutRecord& record) const {
  return function_.readout(mapping(), point, record);
}

CurvePiece CContourPlot::nearestPoint(double x, double y, double tolerance) const {
  const PlaneMapping& m = mapping();
  double distance = 0.0;
  const ContourSegment* s = nearestSegment(x, y, distance);
  if (s == nullptr || distance * m.unitsPerPixelX > tolerance) return {};
  double px = 0.0, py = 0.0;
  distanceToSegment(*s, x, y, m.pixelsPerUnitX, m.pixelsPerUnitY, px, py);
  return {true, px, py, s->x1 - s->x0, s->y1 - s->y0};
}

} // namespace vexmar
