#include "graph/graph_plane.h"

#include "numeric/error_word.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

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

} // namespace

int PlaneMapping::columnOf(double x) const { return clampedPixel(originColumn + x * pixelsPerUnitX); }

int PlaneMapping::rowOf(double y) const { return clampedPixel(originRow + y * pixelsPerUnitY); }

bool ticksWithinDoubleLimits(double step, double first, double last) {
  if (!(std::isfinite(step) && step > 0.0 && std::isfinite(first) && std::isfinite(last))) return false;
  // With the factor 16 the labels' neighbours stay apart by more than a few units in the last place.
  const double largest = std::max(std::fabs(first), std::fabs(last));
  return largest / step * 16.0 < 1.0 / DBL_EPSILON;
}

CGraphPlane::CGraphPlane(PixelRect rect) {
  mapping_.rect = rect;
  reset();
}

void CGraphPlane::setSettings(const PlaneSettings& settings) {
  settings_ = settings;
  recomputeMapping();
}

void CGraphPlane::layoutChanged(PixelRect rect) {
  mapping_.rect = rect;
  recomputeMapping();
}

void CGraphPlane::reset() {
  const PixelRect& rect = mapping_.rect;
  settings_ = PlaneSettings{};
  const int width = std::max(0, rect.right - rect.left);
  const int height = std::max(0, rect.bottom - rect.top);
  settings_.xMin = -(width / 2) / 64.0;
  settings_.yMin = -(height / 2) / 64.0;
  if (settings_.yMin == 0.0) settings_.yMin = -2.0;
  recomputeMapping();
}

void CGraphPlane::recomputeMapping() {
  PlaneSettings& s = settings_;
  PlaneMapping& m = mapping_;
  s.pixelsPerUnitX = 16.0 / s.scale;
  s.pixelsPerUnitY = -16.0 / s.scale;
  s.originColumn = m.rect.left - s.xMin * s.pixelsPerUnitX;
  s.originRow = (m.rect.bottom - 1) - s.yMin * s.pixelsPerUnitY;

  m.originColumn = s.originColumn;
  m.originRow = s.originRow;
  m.pixelsPerUnitX = s.pixelsPerUnitX;
  m.pixelsPerUnitY = s.pixelsPerUnitY;
  m.unitsPerPixelX = 1.0 / s.pixelsPerUnitX;
  m.unitsPerPixelY = s.scale / 16.0;
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
    return;
  }
  if (kind != ZoomIn && kind != ZoomOut) return;

  const double ladderValue = 2.0 * settings_.scale;
  if (!(std::isfinite(ladderValue) && ladderValue > 0.0)) {
    raiseError(Error::DoubleLimits);
    return;
  }
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

  // The point where the axes cross keeps its pixel; that is the origin itself while it is on screen.
  const PixelRect& rect = mapping_.rect;
  const auto place = [](double origin, double low, double high, auto coordinateAt) {
    const double pixel = std::floor(origin + 0.5);
    if (pixel >= low && pixel <= high) return AxisPlace{origin, 0.0};
    const double clamped = clampAxis(pixel, low, high);
    return AxisPlace{clamped, coordinateAt(clamped)};
  };
  const AxisPlace crossingColumn = place(mapping_.originColumn, rect.left + 6, rect.right - 7,
                                         [this](double pixel) { return mapping_.xOf(pixel); });
  const AxisPlace crossingRow = place(mapping_.originRow, rect.top + 6, rect.bottom - 18,
                                      [this](double pixel) { return mapping_.yOf(pixel); });

  PlaneSettings zoomed = settings_;
  zoomed.scale = timesPowerOfTen(next->mantissa, exponent) / 2.0;
  zoomed.tickStepCode = next->tickStepCode;
  const double pixelsPerUnit = 16.0 / zoomed.scale;
  zoomed.xMin = crossingColumn.coordinate - (crossingColumn.pixel - rect.left) / pixelsPerUnit;
  zoomed.yMin = crossingRow.coordinate - (crossingRow.pixel - (rect.bottom - 1)) / -pixelsPerUnit;
  // Past the range of doubles the view would be lost; keep it so that the user can still step back.
  if (!std::isnormal(zoomed.scale) || !std::isnormal(pixelsPerUnit) || !std::isfinite(zoomed.xMin) ||
      !std::isfinite(zoomed.yMin)) {
    raiseError(Error::DoubleLimits);
    return;
  }
  settings_ = zoomed;
  recomputeMapping();
}

void CGraphPlane::moveAxes(int dx, int dy) {
  settings_.xMin -= dx * mapping_.unitsPerPixelX;
  settings_.yMin += dy * mapping_.unitsPerPixelY;
  recomputeMapping();
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

double CGraphPlane::tickStep() const {
  const std::int32_t code = settings_.tickStepCode;
  const double multiplier = (code == 2 || code == 5) ? code : 1;
  const double exponent = std::round(std::log10(kTickScaleUnits * settings_.scale / multiplier));
  if (!std::isfinite(exponent)) return std::nan("");
  return timesPowerOfTen(multiplier, static_cast<int>(exponent));
}

AxesLayout CGraphPlane::layoutAxes() const {
  const PixelRect& rect = mapping_.rect;
  const double step = tickStep();
  const auto layout = [step](double originPixel, double low, double high, double fromValue, double toValue) {
    AxisLayout axis;
    axis.position = static_cast<int>(clampAxis(std::floor(originPixel + 0.5), low, high));
    axis.step = step;
    axis.first = std::ceil(std::min(fromValue, toValue) / step) * step;
    axis.last = std::floor(std::max(fromValue, toValue) / step) * step;
    axis.drawn = ticksWithinDoubleLimits(step, axis.first, axis.last);
    return axis;
  };
  AxesLayout axes;
  axes.xAxis = layout(mapping_.originRow, rect.top + 6, rect.bottom - 18, mapping_.xOf(rect.left),
                      mapping_.xOf(rect.right));
  axes.yAxis = layout(mapping_.originColumn, rect.left + 6, rect.right - 7, mapping_.yOf(rect.bottom - 1),
                      mapping_.yOf(rect.top));
  if (!axes.xAxis.drawn || !axes.yAxis.drawn) raiseError(Error::DoubleLimits);
  return axes;
}

} // namespace vexmar
