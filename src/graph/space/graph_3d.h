#pragma once

#include "graph/graph_messages.h"
#include "graph/graph_style.h"
#include "graph/space/camera.h"
#include "graph/space/surface_colouring.h"
#include "raster/pixel_target.h"
#include "raster/rasteriser.h"

#include <cstdint>
#include <memory>

namespace vexmar {

class CGraphSpace3D;
class Clock;
class Rasteriser;

/// The settings `setOption` can change on a graph in space.
namespace Graph3DOption {
inline constexpr int ColourIndex = 5; ///< the equation's colour index
inline constexpr int SpareValue = 6;  ///< carried into every surface vertex
inline constexpr int Resolution = 7;  ///< sample density
} // namespace Graph3DOption

/// Counters of one frame, reset by the space before its graphs draw.
struct SpaceFrameCounters {
  long long trianglesDrawn = 0;
  long long verticesProcessed = 0;
};

/// What a graph draws with in one frame; the space prepares it.
struct SpaceFrame {
  Rasteriser& rasteriser;
  const Camera& camera;
  SurfaceLighting lighting;
  SpaceFrameCounters& counters;
};

/// The box the space shows: each axis's centre and half-width, so that the visible box is
/// [-1, 1]³ in box units.
struct BoxMapping {
  Vector3 centre{0, 0, 0};
  Vector3 halfWidth{2, 2, 2};

  /// The space's x, y and z ranges as they are now.
  [[nodiscard]] static BoxMapping of(const CGraphSpace3D& space);
  /// A point in coordinates in box units; not finite when the point or a range is not.
  [[nodiscard]] Vector3 toBox(double x, double y, double z) const {
    return {(x - centre[0]) / halfWidth[0], (y - centre[1]) / halfWidth[1], (z - centre[2]) / halfWidth[2]};
  }
};

/// Every graph drawn in space: surfaces, space curves and vector fields. A graph samples its
/// equation a time slice at a time into box units and draws what it has through the space's
/// camera and rasteriser, so that turning the picture recomputes nothing.
class CGraph3D {
public:
  CGraph3D(const CGraphSpace3D& space, std::unique_ptr<GraphStyle> style);
  virtual ~CGraph3D();
  CGraph3D(const CGraph3D&) = delete;
  CGraph3D& operator=(const CGraph3D&) = delete;

  /// Samples more until `budgetMs` milliseconds of the space's clock have passed or all is done.
  virtual void compute(std::int64_t budgetMs) = 0;
  /// Draws the samples computed so far.
  virtual void render(const SpaceFrame& frame) = 0;
  /// None when something is drawn, else why not.
  [[nodiscard]] virtual GraphStatus status() const = 0;
  /// True when any of the graph's formulas uses the letter; the graph has then started again.
  virtual bool dependsOn(std::uint16_t variable) = 0;
  /// Colour index (5) is handled here; kinds handle the spare value (6) and resolution (7).
  virtual void setOption(int code, double value);
  /// Forgets every sample and starts again.
  virtual void invalidate() = 0;
  [[nodiscard]] virtual bool isComplete() const = 0;
  /// How far from the box centre the valid samples reach, in box units.
  [[nodiscard]] virtual double boundingRadius() const = 0;
  /// True when the view point lies on the drawn graph (within a few pixels), as last projected.
  [[nodiscard]] virtual bool hitTest(PixelPoint /*point*/, const Camera& /*camera*/) const { return false; }

  [[nodiscard]] const GraphStyle& style() const { return *style_; }

protected:
  [[nodiscard]] Clock& clock() const;

  const CGraphSpace3D& space_;
  std::unique_ptr<GraphStyle> style_;
};

/// A box point projected by the camera, as the line and dot stages take it.
[[nodiscard]] inline RasterVertex projectedVertex(const Camera& camera, const Vector3& point,
                                                  const SurfaceColour& colour) {
  const ProjectedPoint p = camera.project(point);
  RasterVertex vertex;
  vertex.x = static_cast<float>(p.x);
  vertex.y = static_cast<float>(p.y);
  vertex.z = static_cast<float>(p.depth);
  setVertexColour(vertex, colour);
  return vertex;
}

/// A sample value counts only when it is a finite number.
[[nodiscard]] inline bool isFiniteSample(double value) { return value - value == 0; }
[[nodiscard]] inline bool isFinitePoint(const Vector3& p) {
  return isFiniteSample(p[0]) && isFiniteSample(p[1]) && isFiniteSample(p[2]);
}

} // namespace vexmar
