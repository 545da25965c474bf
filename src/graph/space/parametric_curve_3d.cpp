#include "graph/space/parametric_curve_3d.h"

#include "graph/space/detail/space_formulas.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace vexmar {
namespace {

// Far more points than any screen can show; a damaged resolution stops here.
constexpr int kMaxPoints = 1'000'000;
// A click this many pixels from a drawn segment is on the curve.
constexpr double kHitPixels = 4.0;

double squaredDistanceToSegment(double px, double py, const RasterVertex& a, const RasterVertex& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double s = lengthSquared > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / lengthSquared : 0.0;
  s = std::clamp(s, 0.0, 1.0);
  const double ex = a.x + s * dx - px;
  const double ey = a.y + s * dy - py;
  return ex * ex + ey * ey;
}

} // namespace

struct CParametricCurve3D::Impl {
  Impl(const CoordinateRange& t, SpaceComponents c, std::unique_ptr<Evaluator> condition, int count)
      : tRange(t), tMax(t.max), formulas{std::move(c), std::move(condition)}, n(count) {}

  void start(const CGraphSpace3D& space) {
    started = true;
    box = BoxMapping::of(space);
    try {
      points.assign(static_cast<std::size_t>(n), Vector3{0, 0, 0});
      valid.assign(static_cast<std::size_t>(n), 0);
    } catch (const std::bad_alloc&) {
      points.clear();
      valid.clear();
      raiseError(Error::GraphMemory);
    }
  }

  void sample(int i) {
    // The lower end is read live so that a changed t range takes effect without a rebuild.
    const double tMin = tRange.min;
    const double t = tMin + i * ((tMax - tMin) / (n - 1));
    const SpaceComponents& c = formulas.components;
    const double x = c.x->evalU(t);
    const double y = c.y->evalU(t);
    const double z = c.z->evalU(t);
    bool ok = isFinitePoint({x, y, z});
    if (ok && formulas.condition) ok = formulas.condition->evalUVXYZ(t, 0.0, x, y, z) == 1.0;
    const Vector3 p = box.toBox(x, y, z);
    ok = ok && isFinitePoint(p);
    if (!ok) return;
    const auto at = static_cast<std::size_t>(i);
    points[at] = p;
    valid[at] = 1;
    largestSquared = std::max(largestSquared, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
  }

  void restart() {
    started = false;
    index = -1;
    largestSquared = 0.0;
    points.clear();
    valid.clear();
  }

  // Segments between consecutive valid points, projected; `visit` returns true to stop.
  template <typename Visit>
  void forEachSegment(const Camera& camera, const SurfaceColour& colour, Visit visit) const {
    const int last = std::min(index, static_cast<int>(points.size()) - 1);
    RasterVertex previous;
    bool previousValid = false;
    for (int i = 0; i <= last; ++i) {
      const auto at = static_cast<std::size_t>(i);
      if (valid[at] == 0) {
        previousValid = false;
        continue;
      }
      const RasterVertex current = projectedVertex(camera, points[at], colour);
      if (previousValid && visit(previous, current)) return;
      previous = current;
      previousValid = true;
    }
  }

  const CoordinateRange& tRange;
  double tMax;
  detail::SpaceFormulas formulas;
  int n;
  bool started = false;
  int index = -1; ///< the last point sampled
  BoxMapping box;
  std::vector<Vector3> points;
  std::vector<std::uint8_t> valid;
  double largestSquared = 0.0;
};

CParametricCurve3D::CParametricCurve3D(const CGraphSpace3D& space, const CoordinateRange& tRange,
                                       SpaceComponents components, std::unique_ptr<Evaluator> condition,
                                       std::unique_ptr<GraphStyle> style, double resolution)
    : CGraph3D(space, std::move(style)),
      impl_(std::make_unique<Impl>(tRange, std::move(components), std::move(condition),
                                   pointCountFor(resolution))) {
  impl_->formulas.compile();
  normaliseStyleColour(*style_);
}

CParametricCurve3D::~CParametricCurve3D() = default;

int CParametricCurve3D::pointCountFor(double resolution) {
  const double count = std::trunc(800.0 * resolution + 200.0);
  if (std::isnan(count)) return 200;
  return static_cast<int>(std::clamp(count, 2.0, static_cast<double>(kMaxPoints)));
}

void CParametricCurve3D::compute(std::int64_t budgetMs) {
  Impl& s = *impl_;
  if (!s.started) s.start(space_);
  if (s.points.empty()) return;
  Clock& ticks = clock();
  const std::int64_t deadline = ticks.nowMs() + budgetMs;
  while (s.index < s.n - 1) {
    s.sample(++s.index);
    if (ticks.nowMs() >= deadline) return;
  }
}

void CParametricCurve3D::render(const SpaceFrame& frame) {
  if (impl_->points.empty()) return;
  // Curves are not lit: the style's colour as it is.
  const SurfaceColour colour = baseColour(*style_, SurfaceGridSpot{});
  impl_->forEachSegment(frame.camera, colour, [&](const RasterVertex& a, const RasterVertex& b) {
    frame.rasteriser.clipLine(a, b);
    return false;
  });
}

bool CParametricCurve3D::hitTest(PixelPoint point, const Camera& camera) const {
  // The pixel's centre, as the rasteriser samples it.
  const double px = point.x + 0.5;
  const double py = point.y + 0.5;
  bool hit = false;
  impl_->forEachSegment(camera, SurfaceColour{}, [&](const RasterVertex& a, const RasterVertex& b) {
    hit = squaredDistanceToSegment(px, py, a, b) <= kHitPixels * kHitPixels;
    return hit;
  });
  return hit;
}

GraphStatus CParametricCurve3D::status() const { return detail::statusOfSamples(impl_->valid); }

bool CParametricCurve3D::dependsOn(std::uint16_t variable) {
  if (!impl_->formulas.recompileIfUses(variable)) return false;
  invalidate();
  return true;
}

void CParametricCurve3D::setOption(int code, double value) {
  if (code == Graph3DOption::Resolution) {
    impl_->n = pointCountFor(value);
    invalidate();
    return;
  }
  CGraph3D::setOption(code, value);
}

void CParametricCurve3D::invalidate() { impl_->restart(); }

bool CParametricCurve3D::isComplete() const {
  const Impl& s = *impl_;
  // A curve without memory for its points has nothing more to do.
  return s.started && (s.points.empty() || s.index >= s.n - 1);
}

double CParametricCurve3D::boundingRadius() const { return std::sqrt(impl_->largestSquared); }

int CParametricCurve3D::pointCount() const { return impl_->n; }

std::span<const Vector3> CParametricCurve3D::points() const { return impl_->points; }

std::span<const std::uint8_t> CParametricCurve3D::validFlags() const { return impl_->valid; }

} // namespace vexmar
