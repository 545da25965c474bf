#include "graph/plane/graph_plane.h"

#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/drawing_port.h"
#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <string>

namespace vexmar {
namespace {

// Rounds a pixel value and clamps it to the 16-bit limits; a value that is not a number goes to the
// lower limit rather than into an undefined conversion.
int clampedPixel(double value) {
  const double rounded = std::floor(value + 0.5);
  constexpr double limit = PlaneMapping::kPixelLimit;
  if (!(rounded >= -limit)) return -PlaneMapping::kPixelLimit;
  if (rounded > limit) return PlaneMapping::kPixelLimit;
  return static_cast<int>(rounded);
}

// Powers of ten by repeated multiplication are exact up to 10^22, so ladder values such as
// 5 x 10^-1 come out as the correctly rounded double and a zoom in/out pair restores the scale.
double powerOfTen(int exponent) {
  double power = 1.0;
  for (int i = 0; i < exponent && std::isfinite(power); ++i) power *= 10.0;
  return power;
}

double timesPowerOfTen(double mantissa, int exponent) {
  return exponent >= 0 ? mantissa * powerOfTen(exponent) : mantissa / powerOfTen(-exponent);
}

// Clamps into [low, high], preferring low when the window is too small to have room for both.
double clampAxis(double value, double low, double high) { return std::max(low, std::min(value, high)); }

// One rung of the 1-2-5 ladder and the tick-step code kept with it.
struct LadderRow {
  int mantissa;
  std::int32_t tickStepCode;
};

constexpr std::array<LadderRow, 3> kLadder = {{{1, 2}, {2, 5}, {5, 1}}};

// Ticks are labelled about this far apart: 4 scale units are 64 pixels.
constexpr double kTickScaleUnits = 4.0;

struct AxisPlace {
  double pixel;      // where the axis lies
  double coordinate; // the coordinate of the other axis at that pixel
};

double tickStepOf(const PlaneSettings& settings) {
  const std::int32_t code = settings.tickStepCode;
  const double multiplier = (code == 2 || code == 5) ? code : 1;
  const double exponent = std::round(std::log10(kTickScaleUnits * settings.scale / multiplier));
  if (!std::isfinite(exponent)) return std::nan("");
  return timesPowerOfTen(multiplier, static_cast<int>(exponent));
}

// The pixel in the middle of a rectangle, as a reset puts the origin there: half the width right
// of the left edge and half the height above the bottom row (halves rounded down).
int middleColumn(const PixelRect& rect) { return rect.left + rect.width() / 2; }
int middleRow(const PixelRect& rect) { return rect.bottom - 1 - rect.height() / 2; }

} // namespace

int PlaneMapping::columnOf(double x) const { return clampedPixel(originColumn + x * pixelsPerUnitX); }

int PlaneMapping::rowOf(double y) const { return clampedPixel(originRow + y * pixelsPerUnitY); }

bool ticksWithinDoubleLimits(double step, double first, double last) {
  if (!(std::isfinite(step) && step > 0.0 && std::isfinite(first) && std::isfinite(last))) return false;
  // With the factor 16 the labels' neighbours stay apart by more than a few units in the last place.
  const double largest = std::max(std::fabs(first), std::fabs(last));
  return largest / step * 16.0 < 1.0 / DBL_EPSILON;
}

CGraphPlane::CGraphPlane(PixelRect rect) : CGraphPlane(rect, steadyClock()) {}

CGraphPlane::CGraphPlane(PixelRect rect, Clock& clock) : clock_(&clock) {
  mapping_.rect = rect;
  reset();
}

// The graphs hold a reference to the plane: they go first.
CGraphPlane::~CGraphPlane() { graphs_.clear(); }

void CGraphPlane::setSettings(const PlaneSettings& settings) {
  settings_ = settings;
  centred_ = false;
  recomputeMapping();
  invalidateGraphs();
}

void CGraphPlane::layoutChanged(PixelRect rect) {
  const PixelRect old = mapping_.rect;
  const double oldColumn = mapping_.originColumn, oldRow = mapping_.originRow;
  mapping_.rect = rect;
  const double unitsPerPixel = settings_.scale / (16.0 * pixelRatio_);
  if (centred_) {
    settings_.xMin = -(rect.width() / 2) * unitsPerPixel;
    settings_.yMin = -(rect.height() / 2) * unitsPerPixel;
    if (settings_.yMin == 0.0) settings_.yMin = -2.0;
  } else if (!old.isEmpty()) {
    // The middle of the view stays in the middle, moved by whole pixels so that computed samples
    // stay exact.
    const int dx = middleColumn(rect) - middleColumn(old);
    const int dy = middleRow(rect) - middleRow(old);
    settings_.xMin += (rect.left - old.left - dx) * unitsPerPixel;
    settings_.yMin -= (rect.bottom - old.bottom - dy) * unitsPerPixel;
  }
  recomputeMapping();
  // Graphs keep their samples by pixel counted from the left and bottom edges.
  const int shiftX =
      static_cast<int>(std::lround(mapping_.originColumn - oldColumn)) - (rect.left - old.left);
  const int shiftY = static_cast<int>(std::lround(mapping_.originRow - oldRow)) - (rect.bottom - old.bottom);
  // A shrinking graph shifts before it drops the samples past its new end, a growing one after it
  // made room for them.
  const bool shift = !old.isEmpty() && (shiftX != 0 || shiftY != 0);
  const bool shrinking = rect.width() < old.width() || rect.height() < old.height();
  for (const auto& graph : graphs_) {
    if (shift && shrinking) graph->scroll(shiftX, shiftY);
    graph->resize();
    if (shift && !shrinking) graph->scroll(shiftX, shiftY);
  }
  requestRedraw();
}

void CGraphPlane::setPixelRatio(double ratio) {
  if (!(ratio >= 0.25 && ratio <= 16.0) || ratio == pixelRatio_) return;
  // The middle of the view stays where it is; the scale stays in screen-independent units.
  const PixelRect& rect = mapping_.rect;
  const double centreX = mapping_.xOf((rect.left + rect.right) / 2.0);
  const double centreY = mapping_.yOf((rect.top + rect.bottom) / 2.0);
  pixelRatio_ = ratio;
  const double unitsPerPixel = settings_.scale / (16.0 * pixelRatio_);
  settings_.xMin = centreX - ((rect.left + rect.right) / 2.0 - rect.left) * unitsPerPixel;
  settings_.yMin = centreY - ((rect.bottom - 1) - (rect.top + rect.bottom) / 2.0) * unitsPerPixel;
  recomputeMapping();
  invalidateGraphs();
}

void CGraphPlane::reset() {
  const PixelRect& rect = mapping_.rect;
  settings_ = PlaneSettings{};
  const int width = std::max(0, rect.right - rect.left);
  const int height = std::max(0, rect.bottom - rect.top);
  settings_.xMin = -(width / 2) / (64.0 * pixelRatio_);
  settings_.yMin = -(height / 2) / (64.0 * pixelRatio_);
  if (settings_.yMin == 0.0) settings_.yMin = -2.0;
  centred_ = true;
  recomputeMapping();
}

void CGraphPlane::recomputeMapping() {
  PlaneSettings& s = settings_;
  PlaneMapping& m = mapping_;
  s.pixelsPerUnitX = 16.0 * pixelRatio_ / s.scale;
  s.pixelsPerUnitY = -16.0 * pixelRatio_ / s.scale;
  s.originColumn = m.rect.left - s.xMin * s.pixelsPerUnitX;
  s.originRow = (m.rect.bottom - 1) - s.yMin * s.pixelsPerUnitY;

  m.originColumn = s.originColumn;
  m.originRow = s.originRow;
  m.pixelsPerUnitX = s.pixelsPerUnitX;
  m.pixelsPerUnitY = s.pixelsPerUnitY;
  m.unitsPerPixelX = 1.0 / s.pixelsPerUnitX;
  m.unitsPerPixelY = s.scale / (16.0 * pixelRatio_);
  // Absolute pixel limits rather than limits about the origin: after panning or zooming far from
  // the origin, limits about it would neither fit 16 bits nor cover the window.
  m.xAtLeftLimit = m.xOf(-PlaneMapping::kPixelLimit);
  m.xAtRightLimit = m.xOf(PlaneMapping::kPixelLimit);
  m.yAtTopLimit = m.yOf(-PlaneMapping::kPixelLimit);
  m.yAtBottomLimit = m.yOf(PlaneMapping::kPixelLimit);
}

void CGraphPlane::zoom(int kind) {
  if (kind == Reset) {
    reset();
    readout_ = {};
    invalidateGraphs();
    return;
  }
  if (kind != ZoomIn && kind != ZoomOut) return;
  // The point where the axes cross keeps its pixel; that is the origin itself while it is on screen.
  const auto place = [](double origin, int axis, auto coordinateAt) {
    if (axis == std::floor(origin + 0.5)) return AxisPlace{origin, 0.0};
    return AxisPlace{static_cast<double>(axis), coordinateAt(axis)};
  };
  const AxisPlace column =
      place(mapping_.originColumn, yAxisColumn(), [this](double pixel) { return mapping_.xOf(pixel); });
  const AxisPlace row =
      place(mapping_.originRow, xAxisRow(), [this](double pixel) { return mapping_.yOf(pixel); });
  zoomAbout(kind, column.pixel, row.pixel, column.coordinate, row.coordinate);
}

void CGraphPlane::zoomAt(int kind, PixelPoint pixel) {
  if (kind != ZoomIn && kind != ZoomOut) return;
  zoomAbout(kind, pixel.x, pixel.y, mapping_.xOf(pixel.x), mapping_.yOf(pixel.y));
}

bool CGraphPlane::zoomAbout(int kind, double pixelX, double pixelY, double x, double y) {
  const auto refuse = [this] {
    // Past the range of doubles the view would be lost; keep it so that the user can still step back.
    raiseError(Error::DoubleLimits);
    limitNotice_ = true;
    return false;
  };
  const double ladderValue = 2.0 * settings_.scale;
  if (!(std::isfinite(ladderValue) && ladderValue > 0.0) || !std::isfinite(x) || !std::isfinite(y))
    return refuse();
  double mantissa = ladderValue;
  int exponent = 0;
  while (mantissa >= 10.0) {
    mantissa /= 10.0;
    ++exponent;
  }
  while (mantissa < 1.0) {
    mantissa *= 10.0;
    --exponent;
  }
  int rounded = static_cast<int>(std::lround(mantissa));
  if (rounded == 10) {
    rounded = 1;
    ++exponent;
  }

  // A mantissa off the ladder (a restored scale) moves to the neighbouring rung in the zoom's direction.
  const LadderRow* next = nullptr;
  if (kind == ZoomIn) {
    for (const LadderRow& row : kLadder)
      if (row.mantissa < rounded) next = &row;
    if (next == nullptr) {
      next = &kLadder.back();
      --exponent;
    }
  } else {
    for (auto row = kLadder.rbegin(); row != kLadder.rend(); ++row)
      if (row->mantissa > rounded) next = &*row;
    if (next == nullptr) {
      next = &kLadder.front();
      ++exponent;
    }
  }

  const PixelRect& rect = mapping_.rect;
  PlaneSettings zoomed = settings_;
  zoomed.scale = timesPowerOfTen(next->mantissa, exponent) / 2.0;
  zoomed.tickStepCode = next->tickStepCode;
  const double pixelsPerUnit = 16.0 * pixelRatio_ / zoomed.scale;
  zoomed.xMin = x - (pixelX - rect.left) / pixelsPerUnit;
  zoomed.yMin = y - (pixelY - (rect.bottom - 1)) / -pixelsPerUnit;
  // A view already past the limits (a restored one) may zoom as long as its edges stay numbers,
  // so that zooming out can bring its ticks back.
  const bool within = withinDoubleLimits(settings_);
  if (!std::isnormal(zoomed.scale) || !std::isnormal(pixelsPerUnit) || !std::isfinite(zoomed.xMin) ||
      !std::isfinite(zoomed.yMin) || (within && !withinDoubleLimits(zoomed)))
    return refuse();
  if (x != 0.0 || y != 0.0) centred_ = false;
  settings_ = zoomed;
  recomputeMapping();
  readout_ = {};
  invalidateGraphs();
  return true;
}

bool CGraphPlane::showRegion(double xMin, double xMax, double yMin, double yMax) {
  const PixelRect& rect = mapping_.rect;
  if (rect.isEmpty() || !std::isfinite(xMin) || !std::isfinite(xMax) || !std::isfinite(yMin) ||
      !std::isfinite(yMax) || !(xMin < xMax) || !(yMin < yMax))
    return false;
  // The ladder value (twice the scale) that would just fit the region, and the rungs about it.
  const double fitting =
      2.0 * 16.0 * pixelRatio_ * std::max((xMax - xMin) / rect.width(), (yMax - yMin) / rect.height());
  if (!std::isnormal(fitting)) return false;
  const int exponent = static_cast<int>(std::floor(std::log10(fitting)));
  double nearest = 0.0;
  std::int32_t tickStepCode = 1;
  for (int power = exponent - 1; power <= exponent + 1; ++power) {
    for (const LadderRow& row : kLadder) {
      const double value = timesPowerOfTen(row.mantissa, power);
      if (nearest == 0.0 || std::fabs(std::log(value / fitting)) < std::fabs(std::log(nearest / fitting))) {
        nearest = value;
        tickStepCode = row.tickStepCode;
      }
    }
  }
  PlaneSettings shown = settings_;
  shown.scale = nearest / 2.0;
  shown.tickStepCode = tickStepCode;
  const double unitsPerPixel = shown.scale / (16.0 * pixelRatio_);
  const double centreX = xMin * 0.5 + xMax * 0.5;
  const double centreY = yMin * 0.5 + yMax * 0.5;
  // Halves rounded down, as a reset puts the origin in the middle.
  shown.xMin = centreX - (rect.width() / 2) * unitsPerPixel;
  shown.yMin = centreY - (rect.height() / 2) * unitsPerPixel;
  if (!std::isnormal(shown.scale) || !withinDoubleLimits(shown)) return false;
  settings_ = shown;
  centred_ = centreX == 0.0 && centreY == 0.0;
  recomputeMapping();
  readout_ = {};
  invalidateGraphs();
  return true;
}

bool CGraphPlane::withinDoubleLimits(const PlaneSettings& settings) const {
  const PixelRect& rect = mapping_.rect;
  const double unitsPerPixel = settings.scale / (16.0 * pixelRatio_);
  const double xMax = settings.xMin + rect.width() * unitsPerPixel;
  const double yMax = settings.yMin + rect.height() * unitsPerPixel;
  if (!std::isfinite(settings.xMin) || !std::isfinite(settings.yMin) || !std::isfinite(xMax) ||
      !std::isfinite(yMax))
    return false;
  const double step = tickStepOf(settings);
  return ticksWithinDoubleLimits(step, settings.xMin, xMax) &&
         ticksWithinDoubleLimits(step, settings.yMin, yMax);
}

bool CGraphPlane::moveAxes(int dx, int dy) {
  if (dx == 0 && dy == 0) return true;
  // A view already past the limits (a restored one) may move anywhere, back towards them too.
  const bool within = withinDoubleLimits(settings_);
  PlaneSettings moved = settings_;
  bool refused = false;
  moved.xMin -= dx * mapping_.unitsPerPixelX;
  if (within && !withinDoubleLimits(moved)) {
    moved.xMin = settings_.xMin;
    dx = 0;
    refused = true;
  }
  moved.yMin += dy * mapping_.unitsPerPixelY;
  if (within && !withinDoubleLimits(moved)) {
    moved.yMin = settings_.yMin;
    dy = 0;
    refused = true;
  }
  if (refused) limitNotice_ = true;
  if (dx == 0 && dy == 0) return !refused;
  centred_ = false;
  settings_ = moved;
  recomputeMapping();
  for (const auto& graph : graphs_) graph->scroll(dx, dy);
  requestRedraw();
  return !refused;
}

void CGraphPlane::invalidateGraphs() {
  for (const auto& graph : graphs_) graph->invalidate();
  requestRedraw();
}

CoordinateRange PlaneSettings::*CGraphPlane::heldRange(int index) {
  const std::optional<CoordinateRow> row = coordinateRow(index);
  if (!row || !row->heldByPlane) return nullptr;
  switch (row->coordinate) {
  case Coordinate::R:
    return &PlaneSettings::rRange;
  case Coordinate::Theta:
    return &PlaneSettings::thetaRange;
  case Coordinate::T:
    return &PlaneSettings::tRange;
  default:
    return nullptr;
  }
}

std::optional<CoordinateRange> CGraphPlane::range(int index) const {
  const auto held = heldRange(index);
  if (held == nullptr) return std::nullopt;
  return settings_.*held;
}

bool CGraphPlane::setRange(int index, bool isMax, double value) {
  const auto held = heldRange(index);
  if (held == nullptr || !std::isfinite(value)) return false;
  CoordinateRange& range = settings_.*held;
  (isMax ? range.max : range.min) = value;
  return true;
}

double CGraphPlane::tickStep() const { return tickStepOf(settings_); }

AxesLayout CGraphPlane::layoutAxes() const {
  const PixelRect& rect = mapping_.rect;
  const double step = tickStep();
  const auto layout = [step](int position, double fromValue, double toValue) {
    AxisLayout axis;
    axis.position = position;
    axis.step = step;
    axis.first = std::ceil(std::min(fromValue, toValue) / step) * step;
    axis.last = std::floor(std::max(fromValue, toValue) / step) * step;
    axis.drawn = ticksWithinDoubleLimits(step, axis.first, axis.last);
    return axis;
  };
  AxesLayout axes;
  axes.xAxis = layout(xAxisRow(), mapping_.xOf(rect.left), mapping_.xOf(rect.right));
  axes.yAxis = layout(yAxisColumn(), mapping_.yOf(rect.bottom - 1), mapping_.yOf(rect.top));
  if (!axes.xAxis.drawn || !axes.yAxis.drawn) raiseError(Error::DoubleLimits);
  return axes;
}

} // namespace vexmar

namespace vexmar {
namespace {

constexpr Rgb kBackground{255, 255, 255};
constexpr Rgb kAxisColour{0, 0, 0};
constexpr Rgb kLabelColour{64, 64, 64};
constexpr Rgb kReadoutColour{0, 0, 160};
// A corrupt or extreme view must not turn one paint into millions of tick labels.
constexpr int kMaxTicks = 1000;
constexpr int kTickHalfLength = 3;
constexpr int kReadoutMarkLength = 5;
// The strip on either side of an axis that a press grabs to move the axes.
constexpr int kAxisGrabPixels = 3;
constexpr int kAutoScrollStep = 16;

// Tick k of an axis, computed from the step rather than by adding, so that 0 comes out as 0.
double tickValue(const AxisLayout& axis, int k) {
  return (std::round(axis.first / axis.step) + k) * axis.step;
}

int tickCount(const AxisLayout& axis) {
  const double count = std::floor((axis.last - axis.first) / axis.step + 0.5) + 1;
  if (!(count > 0)) return 0;
  return static_cast<int>(std::min<double>(count, kMaxTicks));
}

std::string readoutText(const ReadoutLine& line) {
  std::string text(line.label);
  text += formatReadout(line.value);
  if (line.isRange) text += formatReadout(line.high, Readout::Ellipsis);
  return text;
}

// Where two straight pieces cross; nothing when they are (nearly) parallel.
std::optional<std::pair<double, double>> crossing(const CurvePiece& a, const CurvePiece& b) {
  const double det = a.dx * b.dy - a.dy * b.dx;
  const double scale = std::hypot(a.dx, a.dy) * std::hypot(b.dx, b.dy);
  if (!(std::fabs(det) > 1e-12 * scale)) return std::nullopt;
  const double s = ((b.x - a.x) * b.dy - (b.y - a.y) * b.dx) / det;
  const double x = a.x + s * a.dx;
  const double y = a.y + s * a.dy;
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  return std::pair{x, y};
}

} // namespace

int CGraphPlane::px(int pixels) const { return static_cast<int>(std::lround(pixels * pixelRatio_)); }

// At the origin, or at the nearest edge with room for the labels.
int CGraphPlane::xAxisRow() const {
  const PixelRect& rect = mapping_.rect;
  return static_cast<int>(
      clampAxis(std::floor(mapping_.originRow + 0.5), rect.top + px(6), rect.bottom - px(18)));
}

int CGraphPlane::yAxisColumn() const {
  const PixelRect& rect = mapping_.rect;
  return static_cast<int>(
      clampAxis(std::floor(mapping_.originColumn + 0.5), rect.left + px(6), rect.right - px(7)));
}

int CGraphPlane::addGraph(std::unique_ptr<CGraph2D> graph) {
  graphs_.push_back(std::move(graph));
  requestRedraw();
  return static_cast<int>(graphs_.size()) - 1;
}

CGraph2D* CGraphPlane::graph(int index) const {
  if (index < 0 || index >= graphCount()) return nullptr;
  return graphs_[static_cast<std::size_t>(index)].get();
}

void CGraphPlane::clearGraphs() {
  graphs_.clear();
  readout_ = {};
  readoutGraph_ = -1;
  if (dragMode_ == DragMode::Reading) dragMode_ = DragMode::None;
  requestRedraw();
}

void CGraphPlane::work(std::int64_t budgetMs) {
  const std::int64_t end = clock_->nowMs() + budgetMs;
  for (const auto& graph : graphs_) {
    const std::int64_t now = clock_->nowMs();
    if (now >= end) break;
    if (!graph->isComplete()) graph->work(end - now);
  }
}

bool CGraphPlane::allComplete() const {
  return std::all_of(graphs_.begin(), graphs_.end(), [](const auto& graph) { return graph->isComplete(); });
}

GraphStatus CGraphPlane::status(int graphIndex) const {
  const CGraph2D* g = graph(graphIndex);
  return g != nullptr ? g->status() : GraphStatus::None;
}

void CGraphPlane::setProperty(int which, double value, int graphIndex) {
  if (CGraph2D* g = graph(graphIndex)) g->setProperty(which, value);
  if (which == GraphProperty::ColourIndex) requestRedraw();
  if (which == GraphProperty::Resolution) {
    readout_ = {};
    readoutGraph_ = -1;
    requestRedraw();
  }
}

void CGraphPlane::parameterChanged(std::uint16_t name, double value) {
  for (const auto& graph : graphs_) graph->parameterChanged(name, value);
}

void CGraphPlane::draw(DrawingPort& port, unsigned flags) {
  const PixelRect rect = mapping_.rect;
  port.setClip(rect);
  const auto drawGraphs = [&](bool beneathAxes) {
    if ((flags & DrawFlag::Graphs) == 0) return;
    for (const auto& graph : graphs_) {
      if (graph->drawsBeneathAxes() != beneathAxes) continue;
      port.setClip(rect);
      graph->draw(port);
    }
  };
  if ((flags & DrawFlag::Background) != 0) {
    port.setBrush(kBackground);
    port.fillRect(rect);
  }
  drawGraphs(true);
  port.setClip(rect);
  if ((flags & DrawFlag::Background) != 0) drawAxes(port);
  drawGraphs(false);
  port.setClip(rect);
  if ((flags & DrawFlag::Readout) != 0) drawReadout(port);
}

void CGraphPlane::drawAxes(DrawingPort& port) const {
  const PixelRect rect = mapping_.rect;
  if (rect.isEmpty()) return;
  const AxesLayout axes = layoutAxes();
  const int tick = px(kTickHalfLength);
  port.setPen(kAxisColour);
  port.setTextColour(kLabelColour);

  if (axes.xAxis.drawn) {
    const int row = axes.xAxis.position;
    port.moveTo(rect.left, row);
    port.lineTo(rect.right - 1, row);
    port.setTextAlign({HorizontalAlign::Center, VerticalAlign::Top});
    for (int k = 0, n = tickCount(axes.xAxis); k < n; ++k) {
      const double value = tickValue(axes.xAxis, k);
      const int column = mapping_.columnOf(value);
      port.moveTo(column, row - tick);
      port.lineTo(column, row + tick);
      // The crossing is labelled by neither axis; the y axis' labels would collide with it. A label
      // that would be cut by the edge is left out.
      if (value == 0.0) continue;
      const std::string label = formatNumber(value);
      const int halfWidth = port.textExtent(label).width / 2;
      if (column - halfWidth < rect.left || column + halfWidth >= rect.right) continue;
      port.textOut({column, row + tick + px(2)}, label);
    }
  }
  if (axes.yAxis.drawn) {
    const int column = axes.yAxis.position;
    port.moveTo(column, rect.top);
    port.lineTo(column, rect.bottom - 1);
    // Labels go left of the axis unless it hugs the left edge.
    const bool labelsRight = column < rect.left + px(48);
    port.setTextAlign({labelsRight ? HorizontalAlign::Left : HorizontalAlign::Right, VerticalAlign::Top});
    for (int k = 0, n = tickCount(axes.yAxis); k < n; ++k) {
      const double value = tickValue(axes.yAxis, k);
      const int row = mapping_.rowOf(value);
      port.moveTo(column - tick, row);
      port.lineTo(column + tick, row);
      if (value == 0.0) continue;
      const std::string label = formatNumber(value);
      const int labelHeight = port.textExtent(label).height;
      const int labelTop = row - labelHeight / 2;
      if (labelTop < rect.top || labelTop + labelHeight > rect.bottom) continue;
      const int labelX = labelsRight ? column + tick + px(3) : column - tick - px(3);
      port.textOut({labelX, labelTop}, label);
    }
  }
}

void CGraphPlane::drawReadout(DrawingPort& port) const {
  if (readout_.kind == 0) return;
  const PixelRect rect = mapping_.rect;
  const int column = mapping_.columnOf(readout_.x);
  const int row = mapping_.rowOf(readout_.y);
  const int axisRow = xAxisRow();
  const int axisColumn = yAxisColumn();
  port.setPen(kReadoutColour);
  // Marks on both axes at the point read.
  const int mark = px(kReadoutMarkLength);
  port.moveTo(column, axisRow - mark);
  port.lineTo(column, axisRow + mark);
  port.moveTo(axisColumn - mark, row);
  port.lineTo(axisColumn + mark, row);
  port.plotMarker(rect, {column, row}, kReadoutColour);

  // The labels in a box beside the point, moved inside the plane when they would leave it.
  int width = 0;
  int lineHeight = 0;
  for (int i = 0; i < readout_.lineCount; ++i) {
    const TextExtent extent = port.textExtent(readoutText(readout_.lines[static_cast<std::size_t>(i)]));
    width = std::max(width, extent.width);
    lineHeight = std::max(lineHeight, extent.height);
  }
  if (width == 0) return;
  const int height = lineHeight * readout_.lineCount;
  const int gap = px(8), padX = px(3), padY = px(2);
  int left = column + gap;
  int top = row + gap;
  if (left + width + 2 * padX > rect.right) left = column - gap - width - 2 * padX;
  if (top + height + 2 * padY > rect.bottom) top = row - gap - height - 2 * padY;
  const PixelRect box{top, left, top + height + 2 * padY, left + width + 2 * padX};
  port.setBrush(kBackground);
  port.outlineRect(box);
  port.setTextColour(kReadoutColour);
  port.setTextAlign({HorizontalAlign::Left, VerticalAlign::Top});
  for (int i = 0; i < readout_.lineCount; ++i)
    port.textOut({left + padX, top + padY + i * lineHeight},
                 readoutText(readout_.lines[static_cast<std::size_t>(i)]));
}

RectRegion CGraphPlane::invalidRegion(bool whole) const {
  const PixelRect rect = mapping_.rect;
  if (whole) return RectRegion(rect);
  // The axes and their labels: a strip along each.
  const int row = xAxisRow();
  const int column = yAxisColumn();
  RectRegion region(intersect(rect, {row - 6, rect.left, row + 20, rect.right}));
  region.combine(RectRegion(intersect(rect, {rect.top, column - 60, rect.bottom, column + 60})),
                 RegionOperation::Or);
  return region;
}

RectRegion CGraphPlane::readoutRegion(bool whole) const {
  if (readout_.kind == 0) return {};
  if (whole) return RectRegion(mapping_.rect);
  const PixelRect rect = mapping_.rect;
  const int column = mapping_.columnOf(readout_.x);
  const int row = mapping_.rowOf(readout_.y);
  // The marks, the marker and the label box all lie within this reach of the point or the axes.
  RectRegion region(intersect(rect, {rect.top, column - 200, rect.bottom, column + 200}));
  region.combine(RectRegion(intersect(rect, {row - 80, rect.left, row + 80, rect.right})),
                 RegionOperation::Or);
  return region;
}

bool CGraphPlane::onAxisStrip(PixelPoint point) const {
  const int row = xAxisRow();
  const int column = yAxisColumn();
  return std::abs(point.y - row) <= px(kAxisGrabPixels) || std::abs(point.x - column) <= px(kAxisGrabPixels);
}

void CGraphPlane::mouseDown(PixelPoint point, unsigned modifiers, bool doubleClick) {
  if (doubleClick) {
    dragMode_ = DragMode::None;
    zoomAt(ZoomIn, point);
    return;
  }
  readout_ = {};
  readoutGraph_ = -1;
  if ((modifiers & MouseModifier::Control) == 0 && !onAxisStrip(point)) {
    for (int i = graphCount() - 1; i >= 0; --i) {
      if (!graphs_[static_cast<std::size_t>(i)]->hitTest(point)) continue;
      readoutGraph_ = i;
      dragMode_ = DragMode::Reading;
      updateReadout(point);
      return;
    }
  }
  // A press away from every graph grabs the plane, as on the axes.
  dragMode_ = DragMode::MovingAxes;
  requestRedraw();
}

void CGraphPlane::mouseMove(PixelPoint point, PixelPoint previous) {
  switch (dragMode_) {
  case DragMode::Reading: {
    // Reading past an edge scrolls the plane after the mouse, a few pixels at a time.
    const PixelRect rect = mapping_.rect;
    const auto overshoot = [](int p, int low, int high) {
      if (p < low) return std::min(kAutoScrollStep, low - p);
      if (p >= high) return -std::min(kAutoScrollStep, p - high + 1);
      return 0;
    };
    moveAxes(overshoot(point.x, rect.left, rect.right), overshoot(point.y, rect.top, rect.bottom));
    updateReadout(
        {std::clamp(point.x, rect.left, rect.right - 1), std::clamp(point.y, rect.top, rect.bottom - 1)});
    break;
  }
  case DragMode::MovingAxes:
    moveAxes(point.x - previous.x, point.y - previous.y);
    break;
  case DragMode::None:
    break;
  }
}

void CGraphPlane::mouseUp(PixelPoint /*point*/) {
  if (dragMode_ == DragMode::Reading) {
    readout_ = {};
    readoutGraph_ = -1;
  }
  dragMode_ = DragMode::None;
  requestRedraw();
}

void CGraphPlane::updateReadout(PixelPoint point) {
  requestRedraw();
  const CGraph2D* reading = graph(readoutGraph_);
  ReadoutRecord record;
  if (reading == nullptr || !reading->readout(point, record)) {
    readout_ = {};
    return;
  }
  readout_ = record;

  // Snap onto a crossing with another graph when one lies within the tolerance of the point.
  const double tolerance = kHitTolerancePixels * mapping_.unitsPerPixelX;
  const CurvePiece own = reading->nearestPoint(record.x, record.y, tolerance);
  if (!own.found) return;
  for (int i = 0; i < graphCount(); ++i) {
    if (i == readoutGraph_) continue;
    const CGraph2D& other = *graphs_[static_cast<std::size_t>(i)];
    CurvePiece a = own;
    CurvePiece b = other.nearestPoint(own.x, own.y, tolerance);
    if (!b.found) continue;
    // Newton's method on the two curves: cross their tangents, then look again there.
    std::optional<std::pair<double, double>> at;
    for (int step = 0; step < 12; ++step) {
      at = crossing(a, b);
      if (!at) break;
      const CurvePiece nextA = reading->nearestPoint(at->first, at->second, tolerance);
      const CurvePiece nextB = other.nearestPoint(at->first, at->second, tolerance);
      if (!nextA.found || !nextB.found) {
        at.reset();
        break;
      }
      const bool settled = std::hypot(nextA.x - a.x, nextA.y - a.y) <= 1e-9 * tolerance;
      a = nextA;
      b = nextB;
      if (settled) break;
    }
    if (!at) continue;
    const double dxPixels = (at->first - record.x) * mapping_.pixelsPerUnitX;
    const double dyPixels = (at->second - record.y) * mapping_.pixelsPerUnitY;
    if (std::hypot(dxPixels, dyPixels) > kHitTolerancePixels) continue;
    readout_.kind = 1;
    readout_.x = at->first;
    readout_.y = at->second;
    readout_.lineCount = 0;
    readout_.add({"x: ", at->first});
    readout_.add({"y: ", at->second});
    return;
  }
}

} // namespace vexmar
