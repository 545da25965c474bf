#include "raster/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vexmar {

namespace {

// Converts an already rounded coordinate to an index in [low, high]; clamping in double first
// keeps huge or infinite values from overflowing the conversion.
int clampToIndex(double v, int low, int high) {
  if (!(v > low)) return low; // also catches NaN
  if (v > high) return high;
  return static_cast<int>(v);
}

bool isFinite(const RasterVertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

template <PixelFormatCode Code> struct SpanWriter {
  using Layout = PixelLayout<Code>;

  // Colours are meant to be in 0..1; clamping keeps a stray value from bleeding into the next
  // channel.
  static std::uint32_t quantise(float c, std::uint32_t maximum) {
    const float scaled = std::clamp(c, 0.0f, 1.0f) * static_cast<float>(maximum) + 0.5f;
    return static_cast<std::uint32_t>(scaled);
  }

  static void plot(const RasterTarget& t, int column, int row, float z, float r, float g, float b) {
    double& depth = t.depth[static_cast<std::ptrdiff_t>(row) * t.pixels.width + column];
    if (!(z < depth)) return;
    depth = z;
    Layout::store(t.pixels.pixels + row * t.pixels.pitch +
                      static_cast<std::ptrdiff_t>(column) * Layout::bytesPerPixel,
                  Layout::pack(quantise(r, Layout::red.maximum), quantise(g, Layout::green.maximum),
                               quantise(b, Layout::blue.maximum)));
  }

  static void span(const RasterTarget& t, int row, int first, int end, SpanStart s, SpanStep d) {
    std::uint8_t* pixel =
        t.pixels.pixels + row * t.pixels.pitch + static_cast<std::ptrdiff_t>(first) * Layout::bytesPerPixel;
    double* depth = t.depth + static_cast<std::ptrdiff_t>(row) * t.pixels.width + first;
    const int count = end - first;
    for (int i = 0; i < count; ++i, pixel += Layout::bytesPerPixel) {
      const float fi = static_cast<float>(i);
      const float z = s.z + fi * d.z;
      if (!(z < depth[i])) continue;
      depth[i] = z;
      Layout::store(pixel, Layout::pack(quantise(s.r + fi * d.r, Layout::red.maximum),
                                        quantise(s.g + fi * d.g, Layout::green.maximum),
                                        quantise(s.b + fi * d.b, Layout::blue.maximum)));
    }
  }

  // One pixel per column (or row) along the major axis, at the point of the segment level with
  // that pixel's centre; the columns of the ends take the ends themselves, so the segments of a
  // polyline share the pixel of their joint.
  template <bool XMajor>
  static void line(const RasterTarget& t, const RasterVertex& p, const RasterVertex& q) {
    const RasterVertex& from = (XMajor ? p.x <= q.x : p.y <= q.y) ? p : q;
    const RasterVertex& to = &from == &p ? q : p;
    const float major0 = XMajor ? from.x : from.y;
    const float major1 = XMajor ? to.x : to.y;
    const float minor0 = XMajor ? from.y : from.x;
    const float minor1 = XMajor ? to.y : to.x;
    const int majorLimit = (XMajor ? t.pixels.width : t.pixels.height) - 1;
    const int minorLimit = (XMajor ? t.pixels.height : t.pixels.width) - 1;
    const int first = clampToIndex(std::floor(major0), 0, majorLimit);
    const int last = clampToIndex(std::floor(major1), -1, majorLimit);
    const float length = major1 - major0;
    for (int m = first; m <= last; ++m) {
      const auto column = static_cast<float>(m);
      const float along = column == std::floor(major0)   ? major0
                          : column == std::floor(major1) ? major1
                                                         : column + 0.5f;
      const float u = length > 0 ? (along - major0) / length : 0.0f;
      const int n = clampToIndex(std::floor(minor0 + u * (minor1 - minor0)), 0, minorLimit);
      plot(t, XMajor ? m : n, XMajor ? n : m, from.z + u * (to.z - from.z), from.r + u * (to.r - from.r),
           from.g + u * (to.g - from.g), from.b + u * (to.b - from.b));
    }
  }

  static void dot(const RasterTarget& t, int column, int row, SpanStart s) {
    for (int y = std::max(row - 1, 0); y <= std::min(row + 1, t.pixels.height - 1); ++y)
      for (int x = std::max(column - 1, 0); x <= std::min(column + 1, t.pixels.width - 1); ++x)
        plot(t, x, y, s.z, s.r, s.g, s.b);
  }

  static constexpr SpanRoutineSet routines{&span, &line<true>, &line<false>, &dot};
};

template <std::size_t... Codes>
constexpr std::array<SpanRoutineSet, kPixelFormatCount> makeSpanTable(std::index_sequence<Codes...>) {
  return {SpanWriter<static_cast<PixelFormatCode>(Codes)>::routines...};
}

constexpr auto kSpanTable = makeSpanTable(std::make_index_sequence<kPixelFormatCount>{});

// An edge from its upper to its lower end. Every triangle sharing the edge evaluates it from the
// same ends with the same operations, so they agree exactly on which centres lie left of it.
// The slope is divided out once per edge: two triangles sharing an edge sort its ends alike, so
// both compute the same x on every row and neither leaves a gap nor draws a pixel twice.
struct Edge {
  double x, y, slope;
  Edge(const RasterVertex& top, const RasterVertex& bottom)
      : x(top.x), y(top.y), slope((double{bottom.x} - top.x) / (double{bottom.y} - top.y)) {}
  [[nodiscard]] double xAt(double row) const { return x + (row - y) * slope; }
};

// An attribute as a plane over the screen, set up once per triangle.
struct Gradient {
  double atOrigin, perX, perY;
  [[nodiscard]] double at(double x, double y) const { return atOrigin + perX * x + perY * y; }
};

Gradient gradientOf(float RasterVertex::*field, const RasterVertex& a, const RasterVertex& b,
                    const RasterVertex& c, double inverseArea) {
  const double e1x = double{b.x} - a.x, e1y = double{b.y} - a.y;
  const double e2x = double{c.x} - a.x, e2y = double{c.y} - a.y;
  const double q1 = double{b.*field} - a.*field, q2 = double{c.*field} - a.*field;
  const double perX = (q1 * e2y - q2 * e1y) * inverseArea;
  const double perY = (q2 * e1x - q1 * e2x) * inverseArea;
  return {a.*field - perX * a.x - perY * a.y, perX, perY};
}

// Mixed in double so cut points of long edges far off the target land within float rounding of
// the edge.
RasterVertex lerp(const RasterVertex& inside, const RasterVertex& outside, double t) {
  auto mix = [t](float p, float q) { return static_cast<float>(p + t * (double{q} - p)); };
  return {
      mix(inside.x, outside.x), mix(inside.y, outside.y), mix(inside.z, outside.z), mix(inside.w, outside.w),
      mix(inside.r, outside.r), mix(inside.g, outside.g), mix(inside.b, outside.b), inside.extra};
}

// A half-space bounding what may be drawn: coordinate `field` at least (sign 1) or at most
// (sign -1) `bound`.
struct ClipPlane {
  float RasterVertex::*field;
  float sign;
  float bound;
  [[nodiscard]] double distance(const RasterVertex& v) const { return sign * (double{v.*field} - bound); }
};

// Triangles reaching no farther than this beyond the target are drawn unclipped in x and y: the
// span loop stays inside the target anyway, and leaving edges uncut keeps shared edges exact.
constexpr float kGuardBand = 4096.0f;

} // namespace

const SpanRoutineSet& spanRoutines(PixelFormatCode code) {
  const auto index = static_cast<std::size_t>(code);
  return kSpanTable[index < kSpanTable.size() ? index : 0];
}

Rasteriser::Rasteriser(RasterTarget target)
    : target_(target), routines_(&spanRoutines(target.pixels.format)) {
  if (target_.depth == nullptr || target_.pixels.pixels == nullptr)
    target_.pixels.width = target_.pixels.height = 0;
}

void Rasteriser::setDepthRange(float nearDepth, float farDepth) {
  near_ = nearDepth;
  far_ = farDepth;
}

void Rasteriser::drawTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
  if (!isFinite(a) || !isFinite(b) || !isFinite(c)) return;
  const RasterVertex* v0 = &a;
  const RasterVertex* v1 = &b;
  const RasterVertex* v2 = &c;
  if (v1->y < v0->y) std::swap(v0, v1);
  if (v2->y < v1->y) std::swap(v1, v2);
  if (v1->y < v0->y) std::swap(v0, v1);
  const RasterVertex& top = *v0;
  const RasterVertex& middle = *v1;
  const RasterVertex& bottom = *v2;
  // Twice the signed area; positive when the middle vertex lies left of the long edge.
  const double cross = (double{bottom.x} - top.x) * (double{middle.y} - top.y) -
                       (double{bottom.y} - top.y) * (double{middle.x} - top.x);
  if (cross == 0 || !std::isfinite(cross)) return;

  const int width = target_.pixels.width;
  const int height = target_.pixels.height;
  // Row r is sampled at r + 0.5; a centre exactly on the top edge belongs to the triangle.
  const int firstRow = clampToIndex(std::ceil(double{top.y} - 0.5), 0, height);
  const int endRow = clampToIndex(std::ceil(double{bottom.y} - 0.5), 0, height);
  ++statistics_.trianglesDrawn;
  const int rows = endRow - firstRow;
  if (rows < RasterStatistics::kScanlineBuckets)
    ++statistics_.scanlines[static_cast<std::size_t>(std::max(rows, 0))];
  else
    ++statistics_.scanlinesOverflow;
  if (rows <= 0) return;

  const double inverseArea =
      1.0 / ((double{b.x} - a.x) * (double{c.y} - a.y) - (double{b.y} - a.y) * (double{c.x} - a.x));
  const Gradient z = gradientOf(&RasterVertex::z, a, b, c, inverseArea);
  const Gradient red = gradientOf(&RasterVertex::r, a, b, c, inverseArea);
  const Gradient green = gradientOf(&RasterVertex::g, a, b, c, inverseArea);
  const Gradient blue = gradientOf(&RasterVertex::b, a, b, c, inverseArea);
  const SpanStep step{static_cast<float>(z.perX), static_cast<float>(red.perX),
                      static_cast<float>(green.perX), static_cast<float>(blue.perX)};

  const Edge longEdge(top, bottom);
  const Edge upperEdge(top, middle);
  const Edge lowerEdge(middle, bottom);
  const bool longOnRight = cross > 0;
  for (int row = firstRow; row < endRow; ++row) {
    const double y = row + 0.5;
    const double xLong = longEdge.xAt(y);
    // Rows above the middle vertex use the upper edge, which is then never horizontal.
    const double xShort = y < middle.y ? upperEdge.xAt(y) : lowerEdge.xAt(y);
    const double left = longOnRight ? xShort : xLong;
    const double right = longOnRight ? xLong : xShort;
    // Column c is sampled at c + 0.5 and covered when left <= c + 0.5 < right.
    const int first = clampToIndex(std::ceil(left - 0.5), 0, width);
    const int end = clampToIndex(std::ceil(right - 0.5), 0, width);
    if (first >= end) continue;
    const double x = first + 0.5;
    routines_->span(target_, row, first, end,
                    {static_cast<float>(z.at(x, y)), static_cast<float>(red.at(x, y)),
                     static_cast<float>(green.at(x, y)), static_cast<float>(blue.at(x, y))},
                    step);
  }
}

void Rasteriser::drawLine(const RasterVertex& a, const RasterVertex& b) {
  if (!isFinite(a) || !isFinite(b) || target_.pixels.width == 0) return;
  if (std::abs(b.y - a.y) > std::abs(b.x - a.x))
    routines_->lineYMajor(target_, a, b);
  else
    routines_->lineXMajor(target_, a, b);
}

void Rasteriser::drawDot(const RasterVertex& v) {
  if (!isFinite(v) || target_.pixels.width == 0) return;
  // The centre may lie one pixel off the target and still show part of the block.
  const int column = clampToIndex(std::floor(v.x), -2, target_.pixels.width + 1);
  const int row = clampToIndex(std::floor(v.y), -2, target_.pixels.height + 1);
  routines_->dot(target_, column, row, {v.z, v.r, v.g, v.b});
}

void Rasteriser::clipTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
  if (!isFinite(a) || !isFinite(b) || !isFinite(c)) return;
  const auto width = static_cast<float>(target_.pixels.width);
  const auto height = static_cast<float>(target_.pixels.height);
  const std::array<ClipPlane, 6> screenAndDepth{{{&RasterVertex::z, 1, near_},
                                                 {&RasterVertex::z, -1, far_},
                                                 {&RasterVertex::x, 1, 0},
                                                 {&RasterVertex::x, -1, width},
                                                 {&RasterVertex::y, 1, 0},
                                                 {&RasterVertex::y, -1, height}}};
  auto withinGuardBand = [&](const RasterVertex& v) {
    return v.x >= -kGuardBand && v.x <= width + kGuardBand && v.y >= -kGuardBand &&
           v.y <= height + kGuardBand;
  };
  const bool screenClipNeeded = !withinGuardBand(a) || !withinGuardBand(b) || !withinGuardBand(c);
  auto withinDepth = [&](const RasterVertex& v) { return v.z >= near_ && v.z <= far_; };
  // Nearly every triangle of a surface needs no cut at all.
  if (!screenClipNeeded && withinDepth(a) && withinDepth(b) && withinDepth(c)) {
    drawTriangle(a, b, c);
    return;
  }
  const std::size_t planeCount = screenClipNeeded ? 6 : 2;

  // Each plane adds at most one vertex to the convex polygon.
  std::array<RasterVertex, 9> polygon{a, b, c};
  std::array<RasterVertex, 9> next{};
  std::size_t count = 3;
  for (std::size_t p = 0; p < planeCount && count > 0; ++p) {
    const ClipPlane& plane = screenAndDepth[p];
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const RasterVertex& from = polygon[i];
      const RasterVertex& to = polygon[(i + 1) % count];
      const double dFrom = plane.distance(from);
      const double dTo = plane.distance(to);
      if (dFrom >= 0) next[kept++] = from;
      if ((dFrom >= 0) != (dTo >= 0)) {
        next[kept++] =
            dFrom >= 0 ? lerp(from, to, dFrom / (dFrom - dTo)) : lerp(to, from, dTo / (dTo - dFrom));
      }
    }
    std::swap(polygon, next);
    count = kept;
  }
  for (std::size_t i = 2; i < count; ++i) drawTriangle(polygon[0], polygon[i - 1], polygon[i]);
}

void Rasteriser::clipLine(const RasterVertex& a, const RasterVertex& b) {
  if (!isFinite(a) || !isFinite(b)) return;
  const std::array<ClipPlane, 6> planes{{{&RasterVertex::z, 1, near_},
                                         {&RasterVertex::z, -1, far_},
                                         {&RasterVertex::x, 1, 0},
                                         {&RasterVertex::x, -1, static_cast<float>(target_.pixels.width)},
                                         {&RasterVertex::y, 1, 0},
                                         {&RasterVertex::y, -1, static_cast<float>(target_.pixels.height)}}};
  // The part of the segment kept, as parameters along it from a.
  double enter = 0.0;
  double leave = 1.0;
  for (const ClipPlane& plane : planes) {
    const double dA = plane.distance(a);
    const double dB = plane.distance(b);
    if (dA < 0 && dB < 0) return;
    if (dA < 0)
      enter = std::max(enter, dA / (dA - dB));
    else if (dB < 0)
      leave = std::min(leave, dA / (dA - dB));
  }
  if (enter > leave) return;
  drawLine(enter > 0 ? lerp(b, a, 1 - enter) : a, leave < 1 ? lerp(a, b, leave) : b);
}

} // namespace vexmar
