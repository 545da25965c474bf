#pragma once

#include "raster/pixel_format.h"
#include "raster/pixel_target.h"

#include <array>
#include <cstdint>

namespace vexmar {

/// A projected vertex: screen position in pixels (x right, y down, pixel centres at +0.5),
/// depth (smaller is nearer), colour channels in 0..1 and a per-graph value carried through.
struct RasterVertex {
  float x = 0;
  float y = 0;
  float z = 0;
  float w = 1; ///< not read by the rasteriser
  float r = 0;
  float g = 0;
  float b = 0;
  float extra = 0;
};
static_assert(sizeof(RasterVertex) == 32);

/// The pixels and depths the software primitives draw into; depth has width x height doubles,
/// row-major.
struct RasterTarget {
  PixelTarget pixels;
  double* depth = nullptr;
};

/// Depth and colour at the first pixel of a run, and their change per pixel.
struct SpanStart {
  float z, r, g, b;
};
using SpanStep = SpanStart;

/// The pixel loops of one format. Callers pass rows and columns already inside the target.
struct SpanRoutineSet {
  /// Columns [first, end) of `row`, depth-tested (strictly nearer wins) and Gouraud-shaded.
  void (*span)(const RasterTarget&, int row, int first, int end, SpanStart, SpanStep);
  /// Segments stepping one column (x-major) or one row (y-major) at a time; ends in pixels.
  void (*lineXMajor)(const RasterTarget&, const RasterVertex& from, const RasterVertex& to);
  void (*lineYMajor)(const RasterTarget&, const RasterVertex& from, const RasterVertex& to);
  /// The 3 x 3 block around a pixel, each pixel only when inside the target and nearer.
  void (*dot)(const RasterTarget&, int column, int row, SpanStart);
};

/// The routines of a format; codes outside the known layouts get those of the first.
[[nodiscard]] const SpanRoutineSet& spanRoutines(PixelFormatCode code);

/// Counters of the software triangle, for tuning: triangles drawn and how many scanlines each.
struct RasterStatistics {
  static constexpr int kScanlineBuckets = 51;
  long long trianglesDrawn = 0;
  std::array<long long, kScanlineBuckets> scanlines{}; ///< triangles with 0..50 scanlines
  long long scanlinesOverflow = 0;                     ///< triangles with more
};

/// The software rasteriser for 3D graphs: triangles, lines and dots with a depth buffer. Pixel
/// centres are sampled; a centre on an edge belongs to the triangle on its right or below, so
/// triangles sharing an edge cover every pixel along it exactly once.
class Rasteriser {
public:
  /// Depth range the clipping stages keep unless told otherwise; the frame buffer clears to a
  /// depth beyond it.
  static constexpr float kNearDepth = 0.0f;
  static constexpr float kFarDepth = 1.0f;

  /// Draws into `target` (which must have a depth buffer to draw anything).
  explicit Rasteriser(RasterTarget target);

  /// Draws a triangle as given; parts off the target are skipped, not clipped.
  void drawTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);
  void drawLine(const RasterVertex& a, const RasterVertex& b);
  void drawDot(const RasterVertex& v);

  /// Clips to the target's rectangle and the depth range, then draws what is left.
  void clipTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);
  void clipLine(const RasterVertex& a, const RasterVertex& b);

  void setDepthRange(float nearDepth, float farDepth);
  [[nodiscard]] const RasterStatistics& statistics() const { return statistics_; }

private:
  RasterTarget target_;
  const SpanRoutineSet* routines_;
  float near_ = kNearDepth;
  float far_ = kFarDepth;
  RasterStatistics statistics_;
};

} // namespace vexmar
