#include "raster/pixel_routines.h"

#include <array>
#include <cmath>
#include <utility>

namespace vexmar {

namespace {

bool mapCovers(TwoBitMap map, PixelRect mapRect) {
  if (mapRect.isEmpty() || map.stride < (static_cast<std::ptrdiff_t>(mapRect.width()) + 3) / 4) return false;
  return static_cast<std::size_t>(map.stride) * static_cast<std::size_t>(mapRect.height()) <=
         map.bytes.size();
}

// Clipped ends are inside the clip and finite, so rounding them cannot overflow an int.
int roundToPixel(double v) { return static_cast<int>(std::floor(v + 0.5)); }

template <PixelFormatCode Code> struct Plotter {
  using Layout = PixelLayout<Code>;
  static constexpr std::uint32_t kChannelMask =
      Layout::row.redMask | Layout::row.greenMask | Layout::row.blueMask;

  static std::uint8_t* address(const PixelTarget& target, int x, int y) {
    return target.pixels + y * target.pitch + static_cast<std::ptrdiff_t>(x) * Layout::bytesPerPixel;
  }

  // Brightness of the pixel under the new one, 0..256: full on the background, dim on black so a
  // curve crossing a dark region still shows, otherwise from the existing channels.
  static std::uint32_t intensity(std::uint32_t existing, std::uint32_t background) {
    existing &= kChannelMask;
    if (existing == (background & kChannelMask)) return 256;
    if (existing == 0) return 102;
    const std::uint32_t r = Layout::redOf(existing) * 256 / Layout::red.maximum;
    const std::uint32_t g = Layout::greenOf(existing) * 256 / Layout::green.maximum;
    const std::uint32_t b = Layout::blueOf(existing) * 256 / Layout::blue.maximum;
    const std::uint32_t m = std::max({r, g, b});
    return std::min<std::uint32_t>((r + g + b + 1280) * m / 2048, 256);
  }

  static std::uint32_t shaded(std::uint32_t existing, std::uint32_t background, Rgb colour) {
    // Most of a region lands on the background, where the colour goes in unchanged.
    if (((existing ^ background) & kChannelMask) == 0) return Layout::packRgb(colour);
    const std::uint32_t f = intensity(existing, background);
    return Layout::pack((colour.red * f / 256) >> (8 - Layout::red.bits),
                        (colour.green * f / 256) >> (8 - Layout::green.bits),
                        (colour.blue * f / 256) >> (8 - Layout::blue.bits));
  }

  static void shade(const PixelTarget& target, int x, int y, Rgb colour) {
    std::uint8_t* at = address(target, x, y);
    Layout::store(at, shaded(Layout::load(at), target.background, colour));
  }

  static void plotPixel(const PixelTarget& target, PixelRect clip, PixelPoint p, Rgb colour) {
    if (intersect(clip, target.bounds()).contains(p)) shade(target, p.x, p.y, colour);
  }

  // A fixed shape of offsets from the point, drawn only when its whole extent lies inside.
  template <std::size_t N>
  static void plotShape(const PixelTarget& target, PixelRect clip, PixelPoint p, Rgb colour, PixelRect extent,
                        const std::array<PixelPoint, N>& offsets) {
    const PixelRect area = intersect(clip, target.bounds());
    const long long x = p.x;
    const long long y = p.y;
    if (x + extent.left < area.left || x + extent.right > area.right || y + extent.top < area.top ||
        y + extent.bottom > area.bottom)
      return;
    for (PixelPoint o : offsets) shade(target, p.x + o.x, p.y + o.y, colour);
  }

  static void plotDot(const PixelTarget& target, PixelRect clip, PixelPoint p, Rgb colour) {
    static constexpr std::array<PixelPoint, 9> kDot{
        {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}};
    plotShape(target, clip, p, colour, {-1, -1, 2, 2}, kDot);
  }

  static void plotMarker(const PixelTarget& target, PixelRect clip, PixelPoint p, Rgb colour) {
    // clang-format off
    static constexpr std::array<PixelPoint, 14> kMarker{{
        {0, -3}, {1, -3}, {0, 0}, {1, 0}, {0, 3}, {1, 3},        // top, middle and bottom bars
        {-1, -2}, {-1, -1}, {-1, 1}, {-1, 2},                    // left side
        {2, -2}, {2, -1}, {2, 1}, {2, 2}}};                      // right side
    // clang-format on
    plotShape(target, clip, p, colour, {-3, -1, 4, 3}, kMarker);
  }

  // Positions from + k * step between from and to, kept to [low, high); 64-bit so that coordinates
  // near the int limits cannot overflow.
  template <typename Plot>
  static void steppedRun(long long from, long long to, int step, long long low, long long high, Plot plot) {
    const long long stride = step < 1 ? 1 : step;
    const long long direction = to >= from ? 1 : -1;
    const long long length = (to - from) * direction;
    long long first = 0;
    long long last = length / stride;
    // Distances along the run to the first and last positions inside [low, high).
    const auto along = [&](long long position) { return (position - from) * direction; };
    long long enter = direction > 0 ? along(low) : along(high - 1);
    long long leave = direction > 0 ? along(high - 1) : along(low);
    if (leave < 0 || enter > length || low >= high) return;
    if (enter > 0) first = (enter + stride - 1) / stride;
    if (leave < length) last = leave / stride;
    for (long long k = first; k <= last; ++k) plot(static_cast<int>(from + direction * k * stride));
  }

  static void plotVerticalSegment(const PixelTarget& target, PixelRect clip, PixelPoint from, PixelPoint to,
                                  Rgb colour, int step) {
    const PixelRect area = intersect(clip, target.bounds());
    if (from.x < area.left || from.x >= area.right) return;
    steppedRun(from.y, to.y, step, area.top, area.bottom, [&](int y) { shade(target, from.x, y, colour); });
  }

  static void plotHorizontalSegment(const PixelTarget& target, PixelRect clip, PixelPoint from, PixelPoint to,
                                    Rgb colour, int step) {
    const PixelRect area = intersect(clip, target.bounds());
    if (from.y < area.top || from.y >= area.bottom) return;
    steppedRun(from.x, to.x, step, area.left, area.right, [&](int x) { shade(target, x, from.y, colour); });
  }

  // One pixel per step along the major axis between the clipped ends.
  template <typename Plot>
  static void walkLine(const PixelTarget& target, PixelRect clip, PixelPoint from, PixelPoint to, Plot plot) {
    const PixelRect area = intersect(clip, target.bounds());
    double x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
    if (area.isEmpty() || !clipSegment(area, x0, y0, x1, y1)) return;
    const int ax = roundToPixel(x0), ay = roundToPixel(y0), bx = roundToPixel(x1), by = roundToPixel(y1);
    // Bresenham never leaves the box of its ends, and the clipped ends lie inside the area.
    const int dx = std::abs(bx - ax), dy = -std::abs(by - ay);
    const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int error = dx + dy;
    for (int x = ax, y = ay;;) {
      plot(x, y);
      if (x == bx && y == by) break;
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        x += sx;
      }
      if (twice <= dx) {
        error += dx;
        y += sy;
      }
    }
  }

  static void plotLine(const PixelTarget& target, PixelRect clip, PixelPoint from, PixelPoint to,
                       Rgb colour) {
    walkLine(target, clip, from, to, [&](int x, int y) { shade(target, x, y, colour); });
  }

  static void lineSolid(const PixelTarget& target, PixelRect clip, PixelPoint from, PixelPoint to,
                        Rgb colour) {
    const std::uint32_t value = Layout::packRgb(colour);
    walkLine(target, clip, from, to, [&](int x, int y) { Layout::store(address(target, x, y), value); });
  }

  static void fillSolid(const PixelTarget& target, PixelRect clip, PixelRect rect, Rgb colour) {
    const PixelRect area = intersect(intersect(clip, target.bounds()), rect);
    const std::uint32_t value = Layout::packRgb(colour);
    for (int y = area.top; y < area.bottom; ++y) {
      std::uint8_t* at = address(target, area.left, y);
      for (int x = area.left; x < area.right; ++x, at += Layout::bytesPerPixel) Layout::store(at, value);
    }
  }

  static void blitMap(const PixelTarget& target, TwoBitMap map, PixelRect mapRect, PixelRect destRect,
                      Rgb colour) {
    if (mapRect.width() != destRect.width() || mapRect.height() != destRect.height()) return;
    if (!mapCovers(map, mapRect)) return;
    const PixelRect area = intersect(destRect, target.bounds());
    const Rgb light{static_cast<std::uint8_t>((colour.red + 255) / 2),
                    static_cast<std::uint8_t>((colour.green + 255) / 2),
                    static_cast<std::uint8_t>((colour.blue + 255) / 2)};
    for (int y = area.top; y < area.bottom; ++y) {
      const std::uint8_t* row = map.bytes.data() + (y - destRect.top) * map.stride;
      for (int x = area.left; x < area.right; ++x) {
        const int column = x - destRect.left;
        const auto code = static_cast<MapCode>((row[column >> 2] >> (6 - 2 * (column & 3))) & 3);
        switch (code) {
        case MapCode::Nothing:
          break;
        case MapCode::Light:
          shade(target, x, y, light);
          break;
        case MapCode::Black:
          Layout::store(address(target, x, y), 0);
          break;
        case MapCode::Full:
          shade(target, x, y, colour);
          break;
        }
      }
    }
  }

  static constexpr PixelRoutineSet routines{
      plotPixel, plotDot,   plotMarker, plotVerticalSegment, plotHorizontalSegment, plotLine,
      blitMap,   fillSolid, lineSolid};
};

template <std::size_t... Codes>
constexpr std::array<PixelRoutineSet, kPixelFormatCount> makeRoutineTable(std::index_sequence<Codes...>) {
  return {Plotter<static_cast<PixelFormatCode>(Codes)>::routines...};
}

constexpr auto kRoutineTable = makeRoutineTable(std::make_index_sequence<kPixelFormatCount>{});

} // namespace

const PixelRoutineSet* pixelRoutines(PixelFormatCode code) {
  const auto index = static_cast<std::size_t>(code);
  return index < kRoutineTable.size() ? &kRoutineTable[index] : nullptr;
}

MapCode mapCodeAt(TwoBitMap map, int column, int row) {
  const std::uint8_t byte = map.bytes[static_cast<std::size_t>(row * map.stride + column / 4)];
  return static_cast<MapCode>((byte >> (6 - 2 * (column % 4))) & 3);
}

bool fillMapRect(TwoBitMap map, PixelRect mapRect, PixelRect rect, MapCode code) {
  if (!mapCovers(map, mapRect)) return false;
  const PixelRect area = intersect(rect, mapRect);
  if (area.isEmpty()) return true;
  const int first = area.left - mapRect.left;
  const int last = area.right - mapRect.left - 1;
  const auto fill = static_cast<std::uint8_t>(static_cast<unsigned>(code) * 0x55u);
  // Bits of the pixels from `column` to the end of its byte, and up to and including it.
  const auto fromColumn = [](int column) { return static_cast<std::uint8_t>(0xFFu >> (2 * (column & 3))); };
  const auto toColumn = [](int column) { return static_cast<std::uint8_t>(0xFFu << (6 - 2 * (column & 3))); };
  for (int y = area.top; y < area.bottom; ++y) {
    std::uint8_t* row = map.bytes.data() + (y - mapRect.top) * map.stride;
    const int firstByte = first >> 2;
    const int lastByte = last >> 2;
    const auto blend = [fill](std::uint8_t& byte, std::uint8_t mask) {
      byte = static_cast<std::uint8_t>((byte & ~mask) | (fill & mask));
    };
    if (firstByte == lastByte) {
      blend(row[firstByte], static_cast<std::uint8_t>(fromColumn(first) & toColumn(last)));
      continue;
    }
    blend(row[firstByte], fromColumn(first));
    for (int b = firstByte + 1; b < lastByte; ++b) row[b] = fill;
    blend(row[lastByte], toColumn(last));
  }
  return true;
}

bool clipSegment(PixelRect clip, double& x0, double& y0, double& x1, double& y1) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return false;
  if (clip.isEmpty()) return false;
  // Liang-Barsky against the pixel centres' box. The coordinate of the edge a cut lies on is set
  // exactly: with ends far beyond the int range, x0 + t * dx would lose all precision.
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double left = clip.left, right = clip.right - 1, top = clip.top, bottom = clip.bottom - 1;
  struct Edge {
    double p, q, value;
    bool vertical;
  };
  const std::array<Edge, 4> edges{{{-dx, x0 - left, left, true},
                                   {dx, right - x0, right, true},
                                   {-dy, y0 - top, top, false},
                                   {dy, bottom - y0, bottom, false}}};
  double enter = 0.0;
  double leave = 1.0;
  const Edge* enterEdge = nullptr;
  const Edge* leaveEdge = nullptr;
  for (const Edge& edge : edges) {
    if (edge.p == 0.0) {
      if (edge.q < 0.0) return false;
      continue;
    }
    const double t = edge.q / edge.p;
    if (edge.p < 0.0 && t > enter) {
      enter = t;
      enterEdge = &edge;
    } else if (edge.p > 0.0 && t < leave) {
      leave = t;
      leaveEdge = &edge;
    }
    if (enter > leave) return false;
  }
  const auto cut = [&](double t, const Edge* edge, double& x, double& y) {
    if (edge == nullptr) return; // this end is inside
    x = edge->vertical ? edge->value : x0 + t * dx;
    y = edge->vertical ? y0 + t * dy : edge->value;
  };
  double startX = x0, startY = y0;
  cut(enter, enterEdge, startX, startY);
  cut(leave, leaveEdge, x1, y1);
  x0 = std::clamp(startX, left, right);
  y0 = std::clamp(startY, top, bottom);
  x1 = std::clamp(x1, left, right);
  y1 = std::clamp(y1, top, bottom);
  return true;
}

} // namespace vexmar
