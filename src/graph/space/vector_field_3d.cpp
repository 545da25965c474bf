#include "graph/space/vector_field_3d.h"

#include "graph/space/detail/space_formulas.h"
#include "graph/space/graph_space_3d.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace vexmar {
namespace {

// A lattice of this many points per axis already has more arrows than can be told apart.
constexpr int kMaxLatticeSize = 200;

double lengthOf(const Vector3& v) { return std::hypot(v[0], v[1], v[2]); }

} // namespace

struct CVectorField3D::Impl {
  Impl(SpaceComponents c, std::unique_ptr<Evaluator> condition, int size)
      : formulas{std::move(c), std::move(condition)}, n(size) {}

  void start(const CGraphSpace3D& space) {
    started = true;
    box = BoxMapping::of(space);
    for (int axis = 0; axis < 3; ++axis) {
      const CoordinateRange r = space.range(axis).value_or(CoordinateRange{-2, 2});
      const auto a = static_cast<std::size_t>(axis);
      low[a] = r.min;
      step[a] = (r.max - r.min) / (n - 1);
    }
    const auto count =
        static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    try {
      samples.assign(count, FieldSample{});
      valid.assign(count, 0);
    } catch (const std::bad_alloc&) {
      samples.clear();
      valid.clear();
      raiseError(Error::GraphMemory);
    }
  }

  void sample(std::size_t k) {
    const auto size = static_cast<std::size_t>(n);
    const std::size_t lattice[3] = {k % size, k / size % size, k / (size * size)};
    double at[3];
    for (std::size_t a = 0; a < 3; ++a) at[a] = low[a] + static_cast<double>(lattice[a]) * step[a];
    const Evaluator* condition = formulas.condition.get();
    if (condition && condition->evalUVXYZ(0.0, 0.0, at[0], at[1], at[2]) != 1.0) return;
    FieldSample& s = samples[k];
    s.position = box.toBox(at[0], at[1], at[2]);
    const SpaceComponents& c = formulas.components;
    s.vector = {c.x->evalUVXYZ(0.0, 0.0, at[0], at[1], at[2]), c.y->evalUVXYZ(0.0, 0.0, at[0], at[1], at[2]),
                c.z->evalUVXYZ(0.0, 0.0, at[0], at[1], at[2])};
    const double length = lengthOf(s.vector);
    const Vector3 inBox = boxVector(s.vector);
    const double boxLength = lengthOf(inBox);
    if (!isFiniteSample(length) || !isFiniteSample(boxLength) || !isFinitePoint(s.position)) return;
    valid[k] = 1;
    largestLength = std::max(largestLength, length);
    largestBoxLength = std::max(largestBoxLength, boxLength);
    const Vector3& p = s.position;
    largestSquared = std::max(largestSquared, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
  }

  // A vector in coordinates as the box shows it: each axis has its own scale.
  [[nodiscard]] Vector3 boxVector(const Vector3& v) const {
    return {v[0] / box.halfWidth[0], v[1] / box.halfWidth[1], v[2] / box.halfWidth[2]};
  }

  [[nodiscard]] std::optional<Vector3> head(std::size_t k) const {
    if (k >= valid.size() || valid[k] == 0) return std::nullopt;
    // The longest arrow, as the box shows it, spans one lattice step: 2 / (n - 1) box units.
    const double scale = largestBoxLength > 0 ? (2.0 / (n - 1)) / largestBoxLength : 0.0;
    const Vector3 v = boxVector(samples[k].vector);
    const Vector3& p = samples[k].position;
    return Vector3{p[0] + v[0] * scale, p[1] + v[1] * scale, p[2] + v[2] * scale};
  }

  void restart() {
    started = false;
    next = 0;
    largestLength = largestBoxLength = largestSquared = 0.0;
    samples.clear();
    valid.clear();
  }

  detail::SpaceFormulas formulas;
  int n;
  bool started = false;
  std::size_t next = 0; ///< the next lattice point to sample
  BoxMapping box;
  Vector3 low{0, 0, 0};
  Vector3 step{0, 0, 0};
  std::vector<FieldSample> samples;
  std::vector<std::uint8_t> valid;
  double largestLength = 0.0;
  double largestBoxLength = 0.0;
  double largestSquared = 0.0;
};

CVectorField3D::CVectorField3D(const CGraphSpace3D& space, SpaceComponents components,
                               std::unique_ptr<Evaluator> condition, std::unique_ptr<GraphStyle> style,
                               double resolution)
    : CGraph3D(space, std::move(style)),
      impl_(std::make_unique<Impl>(std::move(components), std::move(condition), latticeSizeFor(resolution))) {
  impl_->formulas.compile();
  normaliseStyleColour(*style_);
}

CVectorField3D::~CVectorField3D() = default;

int CVectorField3D::latticeSizeFor(double resolution) {
  const double size = std::trunc(12.0 * resolution + 4.5);
  if (std::isnan(size)) return 4;
  return static_cast<int>(std::clamp(size, 2.0, static_cast<double>(kMaxLatticeSize)));
}

void CVectorField3D::compute(std::int64_t budgetMs) {
  Impl& s = *impl_;
  if (!s.started) s.start(space_);
  Clock& ticks = clock();
  const std::int64_t deadline = ticks.nowMs() + budgetMs;
  while (s.next < s.samples.size()) {
    s.sample(s.next++);
    if (ticks.nowMs() >= deadline) return;
  }
}

void CVectorField3D::render(const SpaceFrame& frame) {
  const Impl& s = *impl_;
  const SurfaceColour colour = baseColour(*style_, SurfaceGridSpot{});
  for (std::size_t k = 0; k < s.next && k < s.samples.size(); ++k) {
    const std::optional<Vector3> head = s.head(k);
    if (!head) continue;
    const RasterVertex tip = projectedVertex(frame.camera, *head, colour);
    frame.rasteriser.clipLine(projectedVertex(frame.camera, s.samples[k].position, colour), tip);
    frame.rasteriser.drawDot(tip);
  }
}

GraphStatus CVectorField3D::status() const { return detail::statusOfSamples(impl_->valid); }

bool CVectorField3D::dependsOn(std::uint16_t variable) {
  if (!impl_->formulas.recompileIfUses(variable)) return false;
  invalidate();
  return true;
}

void CVectorField3D::setOption(int code, double value) {
  if (code == Graph3DOption::Resolution) {
    impl_->n = latticeSizeFor(value);
    invalidate();
    return;
  }
  CGraph3D::setOption(code, value);
}

void CVectorField3D::invalidate() { impl_->restart(); }

bool CVectorField3D::isComplete() const { return impl_->started && impl_->next >= impl_->samples.size(); }

double CVectorField3D::boundingRadius() const {
  if (status() != GraphStatus::None) return 0.0;
  // An arrow reaches at most one lattice step beyond its point.
  return std::sqrt(impl_->largestSquared) + 2.0 / (impl_->n - 1);
}

int CVectorField3D::latticeSize() const { return impl_->n; }

std::span<const CVectorField3D::FieldSample> CVectorField3D::samples() const { return impl_->samples; }

std::span<const std::uint8_t> CVectorField3D::validFlags() const { return impl_->valid; }

double CVectorField3D::largestLength() const { return impl_->largestLength; }

std::optional<Vector3> CVectorField3D::arrowHead(int index) const {
  if (index < 0) return std::nullopt;
  return impl_->head(static_cast<std::size_t>(index));
}

} // namespace vexmar
