#include "graph/plane/vector_field_2d.h"

#include "graph/equation_classifier.h"
#include "graph/graph_container.h"
#include "graph/graph_kinds.h"
#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/drawing_port.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace vexmar {
namespace {

// Reading the clock costs about as much as a grid point; it is read once per this many.
constexpr std::size_t kPointsPerClockReading = 16;

bool hasArrow(const FieldSample& s) {
  return s.computed && std::isfinite(s.f) && std::isfinite(s.g) && std::isfinite(std::hypot(s.f, s.g));
}

} // namespace

CVectorField2D::CVectorField2D(const CGraphPlane& plane, std::unique_ptr<Evaluator> f,
                               std::unique_ptr<Evaluator> g, std::unique_ptr<GraphStyle> style,
                               double resolution)
    : CGraph2D(plane, std::move(style)), f_(std::move(f)), g_(std::move(g)), resolution_(resolution) {
  compile();
}

CVectorField2D::~CVectorField2D() = default;

void CVectorField2D::compile() {
  // One batch: g reads what f shares with it, so f always runs first.
  compileBatch({f_.get(), g_.get()});
}

int CVectorField2D::spacingFor(double resolution) {
  // A resolution from a damaged document stays within the two ends.
  const double clamped = std::isnan(resolution) ? 0.0 : std::clamp(resolution, 0.0, 1.0);
  return static_cast<int>(std::lround(100.0 - 90.0 * clamped));
}

const PlaneMapping& CVectorField2D::mapping() const { return plane_.mapping(); }

PixelPoint CVectorField2D::gridPoint(int column, int row) const {
  const PixelRect& rect = mapping().rect;
  return {rect.left + spacing_ / 2 + column * spacing_, rect.top + spacing_ / 2 + row * spacing_};
}

void CVectorField2D::start() {
  started_ = true;
  // The spacing counts screen-independent pixels, as the plane's scale does, so that a field looks
  // the same on every screen.
  spacing_ = std::max(1, static_cast<int>(std::lround(spacingFor(resolution_) * plane_.pixelRatio())));
  next_ = 0;
  largest_ = 0.0;
  const PixelRect& rect = mapping().rect;
  const auto count = [this](int extent) {
    return extent > spacing_ / 2 ? (extent - spacing_ / 2 - 1) / spacing_ + 1 : 0;
  };
  columns_ = count(rect.width());
  rows_ = count(rect.height());
  try {
    samples_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), FieldSample{});
  } catch (const std::bad_alloc&) {
    samples_.clear();
    columns_ = rows_ = 0;
    raiseError(Error::GraphMemory);
  }
}

void CVectorField2D::work(std::int64_t budgetMs) {
  Clock& clock = plane_.clock();
  const std::int64_t deadline = clock.nowMs() + budgetMs;
  if (!started_) start();
  const PlaneMapping& m = mapping();
  const std::size_t count = samples_.size();
  for (std::size_t k = next_; k < count; ++k) {
    if ((k - next_) % kPointsPerClockReading == 0 && k != next_ && clock.nowMs() >= deadline) {
      next_ = k;
      return;
    }
    const PixelPoint p = gridPoint(static_cast<int>(k % static_cast<std::size_t>(columns_)),
                                   static_cast<int>(k / static_cast<std::size_t>(columns_)));
    const double x = m.xOf(p.x);
    const double y = m.yOf(p.y);
    FieldSample& s = samples_[k];
    s.f = f_->evalUVXYZ(0.0, 0.0, x, y, 0.0);
    s.g = g_->evalUVXYZ(0.0, 0.0, x, y, 0.0);
    s.computed = true;
    if (hasArrow(s)) largest_ = std::max(largest_, std::hypot(s.f, s.g));
  }
  next_ = count;
}

bool CVectorField2D::arrowHead(int column, int row, double& headColumn, double& headRow) const {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return false;
  const FieldSample& s = samples_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                                  static_cast<std::size_t>(column)];
  if (!hasArrow(s)) return false;
  const PixelPoint p = gridPoint(column, row);
  // Pixels are square, so one factor scales both components; a field that is zero everywhere has
  // arrows of no length.
  const double pixelsPerUnit = largest_ > 0.0 ? spacing_ / largest_ : 0.0;
  headColumn = p.x + s.f * pixelsPerUnit;
  headRow = p.y - s.g * pixelsPerUnit;
  return true;
}

void CVectorField2D::draw(DrawingPort& port) {
  if (!port.isAttached() || samples_.empty()) return;
  const PixelRect clip = intersect(port.clip(), mapping().rect);
  if (clip.isEmpty()) return;
  port.setClip(clip);
  const Rgb colour = colourOf(*style_);
  port.setPen(colour);
  for (int row = 0; row < rows_; ++row) {
    for (int column = 0; column < columns_; ++column) {
      const FieldSample& s = samples_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                                      static_cast<std::size_t>(column)];
      if (!s.computed) continue;
      const PixelPoint p = gridPoint(column, row);
      double headColumn = 0.0, headRow = 0.0;
      if (arrowHead(column, row, headColumn, headRow)) {
        const PixelPoint head{static_cast<int>(std::floor(headColumn + 0.5)),
                              static_cast<int>(std::floor(headRow + 0.5))};
        port.moveTo(p.x, p.y);
        port.lineTo(head.x, head.y);
        port.plotDot(clip, head, colour);
      } else if (!std::isnan(s.f) && !std::isnan(s.g)) {
        // Infinitely long: no arrow can show it, a marker says something is there.
        port.plotMarker(clip, p, colour);
      }
    }
  }
}

GraphStatus CVectorField2D::status() const {
  if (!isComplete()) return GraphStatus::None;
  return std::any_of(samples_.begin(), samples_.end(), hasArrow) ? GraphStatus::None
                                                                 : GraphStatus::UndefinedInRegion;
}

void CVectorField2D::parameterChanged(std::uint16_t name, double value) {
  if (!f_->dependsOnVariable(name) && !g_->dependsOnVariable(name)) return;
  if (applyParameterValue(name, value)) compile();
  invalidate();
}

void CVectorField2D::setProperty(int which, double value) {
  if (which == GraphProperty::Resolution) {
    resolution_ = value;
    invalidate();
    return;
  }
  CGraph2D::setProperty(which, value);
}

void CVectorField2D::invalidate() {
  started_ = false;
  next_ = 0;
  samples_.clear();
  columns_ = rows_ = 0;
  largest_ = 0.0;
}

int addVectorField2D(GraphKindRequest& request) {
  const MathObject& entries = *request.right;
  CGraphPlane& plane = request.container.plane();
  auto field =
      std::make_unique<CVectorField2D>(plane, std::make_unique<Evaluator>(cloneTree(*entries.child(0))),
                                       std::make_unique<Evaluator>(cloneTree(*entries.child(1))),
                                       std::move(request.style), request.settings.resolutionA);
  const int index = plane.addGraph(std::move(field));
  request.container.setActive3D(false);
  return index;
}

} // namespace vexmar
