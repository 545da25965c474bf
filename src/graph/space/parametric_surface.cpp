#include "graph/space/parametric_surface.h"

#include "algebra/derivative_evaluator.h"
#include "graph/equation_classifier.h"
#include "graph/space/graph_space_3d.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "numeric/numeric_state.h"
#include "raster/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <span>
#include <vector>

namespace vexmar {
namespace {

// Grids beyond this many samples a side are refused: the arrays would outgrow any use.
constexpr int kLargestGridSize = 2048;

int gridSizeFor(double resolution) {
  const double n = std::trunc(60 * resolution + 5);
  // At least two samples a side so that the grid has steps; NaN lands on the smallest too.
  if (!(n >= 2)) return 2;
  return n > kLargestGridSize ? kLargestGridSize : static_cast<int>(n);
}

Vector3 minus(const Vector3& a, const Vector3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

Vector3 cross(const Vector3& a, const Vector3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

bool isZero(const Vector3& a) { return a[0] == 0 && a[1] == 0 && a[2] == 0; }

// The unit vector along `a`, or false when it has no usable direction.
bool unitOf(const Vector3& a, std::array<float, 3>& unit) {
  const double scale = 1 / std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  const Vector3 n{a[0] * scale, a[1] * scale, a[2] * scale};
  if (!isFinitePoint(n)) return false;
  unit = {static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2])};
  return true;
}

bool usesFormulaColours(int mode) {
  return mode == static_cast<int>(GraphStyleMode::RgbFormula) ||
         mode == static_cast<int>(GraphStyleMode::HsvFormula);
}

struct ScreenPoint {
  double x;
  double y;
};

// Twice the signed area of (a, b, p): which side of the edge a→b the point lies on.
double edgeSide(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& p) {
  return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

bool triangleHolds(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, const ScreenPoint& p) {
  const double ab = edgeSide(a, b, p);
  const double bc = edgeSide(b, c, p);
  const double ca = edgeSide(c, a, p);
  return (ab >= 0 && bc >= 0 && ca >= 0) || (ab <= 0 && bc <= 0 && ca <= 0);
}

// Corners of a cell are numbered (r, c), (r, c + 1), (r + 1, c), (r + 1, c + 1).
using CellTriangle = std::array<std::size_t, 3>;
constexpr std::array<CellTriangle, 2> kWholeCell = {{{0, 1, 3}, {0, 2, 3}}};
// Row k: the one triangle left when corner k is missing.
constexpr std::array<CellTriangle, 4> kCellWithout = {{{1, 2, 3}, {0, 2, 3}, {0, 1, 3}, {0, 1, 2}}};

/// A grid cell: its corners' sample indices and which of them are valid.
struct GridCell {
  std::array<std::size_t, 4> index;
  std::array<bool, 4> valid;
  [[nodiscard]] int validCount() const { return valid[0] + valid[1] + valid[2] + valid[3]; }
  /// The triangles drawn for the cell; only for cells with at least three valid corners.
  [[nodiscard]] std::span<const CellTriangle> triangles() const {
    for (std::size_t k = 0; k < 4; ++k)
      if (!valid[k]) return {&kCellWithout[k], 1};
    return kWholeCell;
  }
};

} // namespace

struct CParametricSurface::Impl {
  Impl(const CoordinateRange& u, const CoordinateRange& v) : uRange(u), vRange(v) {}

  SpaceComponents components;
  // ∂X/∂u, ∂Y/∂u, ∂Z/∂u, ∂X/∂v, ∂Y/∂v, ∂Z/∂v; empty without analytic normals.
  std::array<std::unique_ptr<Evaluator>, 6> derivatives;
  std::unique_ptr<Evaluator> condition;
  std::unique_ptr<GridBlock> grid;
  const CoordinateRange& uRange;
  const CoordinateRange& vRange;
  double spareValue = 0;
  int n = 0;

  std::vector<Vector3> positions; // box units
  std::vector<std::array<float, 3>> normals;
  std::vector<std::array<float, 3>> channels; // formula colours, only in modes 9 and 10
  std::vector<std::uint8_t> valid;

  int row = 0;
  int column = -1;
  bool analyticNormals = false;
  bool normalsComplete = true;
  bool finished = false;
  double largestSquaredRadius = 0;
  int validCount = 0;

  // Reused by every frame so that drawing allocates nothing once the first frame has run.
  std::vector<RasterVertex> projected;
  std::vector<double> intensities;

  [[nodiscard]] std::size_t sampleCount() const {
    return static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  }
  [[nodiscard]] std::size_t at(int r, int c) const {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(n) + static_cast<std::size_t>(c);
  }
  [[nodiscard]] bool hasArrays() const { return !valid.empty(); }
  [[nodiscard]] GridCell cell(int r, int c) const {
    const std::array<std::size_t, 4> index{at(r, c), at(r, c + 1), at(r + 1, c), at(r + 1, c + 1)};
    return {index, {valid[index[0]] != 0, valid[index[1]] != 0, valid[index[2]] != 0, valid[index[3]] != 0}};
  }

  void compile(GraphStyle& style);
  bool allocate(const GraphStyle& style);
  void freeArrays();
  void restart();
  void computeNumericNormals();
  [[nodiscard]] bool neighbourDifference(int r, int c, int dr, int dc, Vector3& difference) const;
  void fillChannels(const GraphStyle& style, const BoxMapping& box);
};

void CParametricSurface::Impl::compile(GraphStyle& style) {
  Evaluator* x = components.x.get();
  Evaluator* y = components.y.get();
  Evaluator* z = components.z.get();
  grid.reset();
  if (x != nullptr && y != nullptr && z != nullptr) {
    if (analyticNormals) {
      grid = compileGridBatch({x, y, z, derivatives[0].get(), derivatives[1].get(), derivatives[2].get(),
                               derivatives[3].get(), derivatives[4].get(), derivatives[5].get()});
    } else {
      grid = compileGridBatch({x, y, z});
    }
  }
  if (condition) compileBatch({condition.get()});
  compileColourFormulas(style);
}

bool CParametricSurface::Impl::allocate(const GraphStyle& style) {
  try {
    const std::size_t count = sampleCount();
    positions.assign(count, Vector3{0, 0, 0});
    normals.assign(count, std::array<float, 3>{0, 0, 0});
    if (usesFormulaColours(style.mode)) channels.assign(count, std::array<float, 3>{0, 0, 0});
    valid.assign(count, 0);
  } catch (const std::bad_alloc&) {
    freeArrays();
    raiseError(Error::GraphMemory);
    return false;
  }
  return true;
}

void CParametricSurface::Impl::freeArrays() {
  positions = {};
  normals = {};
  channels = {};
  valid = {};
  projected = {};
  intensities = {};
}

void CParametricSurface::Impl::restart() {
  std::fill(positions.begin(), positions.end(), Vector3{0, 0, 0});
  std::fill(normals.begin(), normals.end(), std::array<float, 3>{0, 0, 0});
  std::fill(channels.begin(), channels.end(), std::array<float, 3>{0, 0, 0});
  std::fill(valid.begin(), valid.end(), std::uint8_t{0});
  row = 0;
  column = -1;
  largestSquaredRadius = 0;
  validCount = 0;
  normalsComplete = true;
  finished = false;
  // Hoisted u-only and v-only parts hold parameter values, so they are worked out afresh.
  if (grid) grid->prepared = false;
}

// The difference from sample (r, c) toward the neighbour (r + dr, c + dc), or from the opposite
// neighbour negated, whichever is valid first; false when neither is.
bool CParametricSurface::Impl::neighbourDifference(int r, int c, int dr, int dc, Vector3& difference) const {
  if (r < 0 || c < 0 || r >= n || c >= n || valid[at(r, c)] == 0) return false;
  const Vector3& here = positions[at(r, c)];
  for (const int sign : {1, -1}) {
    const int nr = r + sign * dr;
    const int nc = c + sign * dc;
    if (nr < 0 || nc < 0 || nr >= n || nc >= n || valid[at(nr, nc)] == 0) continue;
    const Vector3 step = minus(positions[at(nr, nc)], here);
    difference = sign > 0 ? step : Vector3{-step[0], -step[1], -step[2]};
    return true;
  }
  return false;
}

void CParametricSurface::Impl::computeNumericNormals() {
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (valid[at(r, c)] == 0) continue;
      Vector3 alongRows{0, 0, 0};
      Vector3 alongColumns{0, 0, 0};
      (void)neighbourDifference(r, c, 1, 0, alongRows);
      (void)neighbourDifference(r, c, 0, 1, alongColumns);
      // Where a whole row or column meets in one point (a pole), the same difference taken one
      // column (row) over still gives a direction across the surface.
      if (isZero(alongRows)) (void)neighbourDifference(r, c + (c + 1 < n ? 1 : -1), 1, 0, alongRows);
      if (isZero(alongColumns)) (void)neighbourDifference(r + (r + 1 < n ? 1 : -1), c, 0, 1, alongColumns);
      std::array<float, 3> unit{};
      if (unitOf(cross(alongRows, alongColumns), unit)) normals[at(r, c)] = unit;
    }
  }
}

void CParametricSurface::Impl::fillChannels(const GraphStyle& style, const BoxMapping& box) {
  const double du = (uRange.max - uRange.min) / (n - 1);
  const double dv = (vRange.max - vRange.min) / (n - 1);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const std::size_t index = at(r, c);
      if (valid[index] == 0) continue;
      const Vector3& p = positions[index];
      channels[index] = evaluateColourFormulas(
          style, uRange.min + r * du, vRange.min + c * dv, box.centre[0] + p[0] * box.halfWidth[0],
          box.centre[1] + p[1] * box.halfWidth[1], box.centre[2] + p[2] * box.halfWidth[2]);
    }
  }
}

CParametricSurface::CParametricSurface(const CGraphSpace3D& space, SpaceComponents components,
                                       std::unique_ptr<Evaluator> condition,
                                       std::unique_ptr<GraphStyle> style, const CoordinateRange& uRange,
                                       const CoordinateRange& vRange, double resolution, double spareValue)
    : CGraph3D(space, std::move(style)), impl_(std::make_unique<Impl>(uRange, vRange)) {
  Impl& s = *impl_;
  s.components = std::move(components);
  s.condition = std::move(condition);
  s.spareValue = spareValue;
  s.n = gridSizeFor(resolution);
  Evaluator* x = s.components.x.get();
  Evaluator* y = s.components.y.get();
  Evaluator* z = s.components.z.get();
  if (x != nullptr && y != nullptr && z != nullptr && !x->containsFactorial() && !y->containsFactorial() &&
      !z->containsFactorial() && !z->dependsOnVariable(Letter::R) && !z->dependsOnVariable(Letter::Theta)) {
    const std::array<const Evaluator*, 3> parts{x, y, z};
    bool all = true;
    for (std::size_t k = 0; k < s.derivatives.size(); ++k) {
      s.derivatives[k] = makeDerivativeEvaluator(*parts[k % 3], k < 3 ? Letter::U : Letter::V);
      all = all && s.derivatives[k] != nullptr;
    }
    s.analyticNormals = all;
    if (!all)
      for (auto& d : s.derivatives) d.reset();
  }
  normaliseStyleColour(*style_);
  s.compile(*style_);
  if (s.allocate(*style_)) s.restart();
}

CParametricSurface::~CParametricSurface() = default;

int CParametricSurface::gridSize() const { return impl_->n; }
bool CParametricSurface::usesAnalyticNormals() const { return impl_->analyticNormals; }
double CParametricSurface::spareValue() const { return impl_->spareValue; }

CParametricSurface::Sample CParametricSurface::sample(int row, int column) const {
  const Impl& s = *impl_;
  if (!s.hasArrays() || row < 0 || column < 0 || row >= s.n || column >= s.n) return {};
  const std::size_t index = s.at(row, column);
  return {s.positions[index], s.normals[index], s.valid[index] != 0};
}

void CParametricSurface::compute(std::int64_t budgetMs) {
  Impl& s = *impl_;
  if (!s.hasArrays() || !s.grid || s.finished) return;
  Clock& ticks = clock();
  const std::int64_t deadline = ticks.nowMs() + budgetMs;
  const CoordinateRange u = s.uRange;
  const CoordinateRange v = s.vRange;
  const double du = (u.max - u.min) / (s.n - 1);
  const double dv = (v.max - v.min) / (s.n - 1);
  const BoxMapping box = BoxMapping::of(space_);
  prepareGrid(u.min, v.min, du, dv, s.n, s.n, *s.grid);
  const bool formulaColours = usesFormulaColours(style_->mode) && !s.channels.empty();
  GridBlock& grid = *s.grid;
  const auto& d = s.derivatives;

  while (ticks.nowMs() < deadline) {
    int r = s.row;
    int c = s.column + 1;
    if (c == s.n) {
      c = 0;
      ++r;
    }
    if (r >= s.n) break;
    s.row = r;
    s.column = c;
    const std::size_t index = s.at(r, c);
    const double x = s.components.x->evalGridPoint(r, c, grid);
    const double y = s.components.y->evalGridPoint(r, c, grid);
    const double z = s.components.z->evalGridPoint(r, c, grid);
    bool ok = isFinitePoint({x, y, z});
    if (ok && s.analyticNormals) {
      // Tangents in box units, so that the normal is the one of the surface as drawn even when
      // the axes are scaled unequally; it agrees with the normals worked out from neighbours.
      Vector3 alongU{};
      Vector3 alongV{};
      for (std::size_t k = 0; k < 3; ++k) alongU[k] = d[k]->evalGridPoint(r, c, grid) / box.halfWidth[k];
      for (std::size_t k = 0; k < 3; ++k) alongV[k] = d[k + 3]->evalGridPoint(r, c, grid) / box.halfWidth[k];
      if (!unitOf(cross(alongU, alongV), s.normals[index])) s.normalsComplete = false;
    }
    const double uValue = u.min + r * du;
    const double vValue = v.min + c * dv;
    if (ok && s.condition) ok = s.condition->evalUVXYZ(uValue, vValue, x, y, z) == 1.0;
    if (ok && formulaColours) s.channels[index] = evaluateColourFormulas(*style_, uValue, vValue, x, y, z);
    const Vector3 p = box.toBox(x, y, z);
    ok = ok && isFinitePoint(p);
    if (!ok) continue;
    s.largestSquaredRadius = std::max(s.largestSquaredRadius, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    s.positions[index] = p;
    s.valid[index] = 1;
    ++s.validCount;
  }

  if (!s.analyticNormals) s.normalsComplete = false;
  if (s.row == s.n - 1 && s.column == s.n - 1) {
    s.finished = true;
    if (!s.normalsComplete) s.computeNumericNormals();
  }
}

void CParametricSurface::render(const SpaceFrame& frame) {
  Impl& s = *impl_;
  if (!s.hasArrays()) return;
  const std::size_t count = s.sampleCount();
  frame.counters.verticesProcessed += static_cast<long long>(count);
  if (s.validCount == 0) return;
  s.projected.resize(count);
  s.intensities.resize(count);

  const GraphStyle& style = *style_;
  const bool perCell = coloursCells(style.mode);
  const bool formulaColours = usesFormulaColours(style.mode) && !s.channels.empty();
  const auto extra = static_cast<float>(s.spareValue);
  const Camera& camera = frame.camera;
  for (int r = 0; r < s.n; ++r) {
    for (int c = 0; c < s.n; ++c) {
      const std::size_t index = s.at(r, c);
      if (s.valid[index] == 0) continue;
      const ProjectedPoint p = camera.project(s.positions[index]);
      RasterVertex& vertex = s.projected[index];
      vertex = {
          static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.depth), 1, 0, 0, 0, extra};
      const std::array<float, 3>& normal = s.normals[index];
      const double intensity = lightIntensity({normal[0], normal[1], normal[2]}, frame.lighting);
      s.intensities[index] = intensity;
      if (perCell) continue;
      const SurfaceColour base =
          baseColour(style, {r, c, s.n}, formulaColours ? s.channels[index] : std::array<float, 3>{});
      setVertexColour(vertex, litColour(base, intensity));
    }
  }

  Rasteriser& rasteriser = frame.rasteriser;
  std::array<RasterVertex, 4> cellCopy;
  for (int r = 0; r + 1 < s.n; ++r) {
    for (int c = 0; c + 1 < s.n; ++c) {
      const GridCell cell = s.cell(r, c);
      if (cell.validCount() <= 2) continue;
      const auto& index = cell.index;
      std::array<const RasterVertex*, 4> vertex{};
      if (perCell) {
        // Neighbouring cells give a shared vertex different colours, so each cell colours copies.
        const CellCorners colours = cellCornerColours(style, {r, c, s.n},
                                                      {s.intensities[index[0]], s.intensities[index[1]],
                                                       s.intensities[index[2]], s.intensities[index[3]]});
        for (std::size_t k = 0; k < 4; ++k) {
          cellCopy[k] = s.projected[index[k]];
          setVertexColour(cellCopy[k], colours[k]);
          vertex[k] = &cellCopy[k];
        }
      } else {
        for (std::size_t k = 0; k < 4; ++k) vertex[k] = &s.projected[index[k]];
      }
      const std::span<const CellTriangle> triangles = cell.triangles();
      frame.counters.trianglesDrawn += static_cast<long long>(triangles.size());
      for (const CellTriangle& t : triangles)
        rasteriser.clipTriangle(*vertex[t[0]], *vertex[t[1]], *vertex[t[2]]);
    }
  }
}

bool CParametricSurface::hitTest(PixelPoint point, const Camera& camera) const {
  const Impl& s = *impl_;
  if (!s.hasArrays() || s.validCount == 0) return false;
  // The rasteriser samples pixel centres, so the clicked pixel is on the surface when its centre is.
  const ScreenPoint target{point.x + 0.5, point.y + 0.5};
  for (int r = 0; r + 1 < s.n; ++r) {
    for (int c = 0; c + 1 < s.n; ++c) {
      const GridCell cell = s.cell(r, c);
      if (cell.validCount() <= 2) continue;
      std::array<ScreenPoint, 4> corner{};
      for (std::size_t k = 0; k < 4; ++k) {
        if (!cell.valid[k]) continue;
        const ProjectedPoint p = camera.project(s.positions[cell.index[k]]);
        corner[k] = {p.x, p.y};
      }
      for (const CellTriangle& t : cell.triangles())
        if (triangleHolds(corner[t[0]], corner[t[1]], corner[t[2]], target)) return true;
    }
  }
  return false;
}
GraphStatus CParametricSurface::status() const {
  return impl_->validCount > 0 ? GraphStatus::None : GraphStatus::UndefinedOrInfiniteForRanges;
}

bool CParametricSurface::dependsOn(std::uint16_t variable) {
  Impl& s = *impl_;
  const auto uses = [variable](const std::unique_ptr<Evaluator>& e) {
    return e && e->dependsOnVariable(variable);
  };
  if (!uses(s.components.x) && !uses(s.components.y) && !uses(s.components.z) && !uses(s.condition) &&
      !colourFormulasDependOn(*style_, variable))
    return false;
  // Parameters other than the animated one are baked into the programs when they are compiled.
  if (static_cast<double>(variable) != numericState().animatedVariable) s.compile(*style_);
  invalidate();
  return true;
}

void CParametricSurface::setOption(int code, double value) {
  Impl& s = *impl_;
  if (code == Graph3DOption::SpareValue) {
    s.spareValue = value;
    return;
  }
  if (code == Graph3DOption::Resolution) {
    s.freeArrays();
    s.n = gridSizeFor(value);
    if (s.allocate(*style_)) s.restart();
    return;
  }
  CGraph3D::setOption(code, value);
  if (code != Graph3DOption::ColourIndex || !usesFormulaColours(style_->mode) || !s.channels.empty() ||
      !s.hasArrays())
    return;
  // A formula mode needs its channels for the samples already taken.
  if (!compileColourFormulas(*style_)) return;
  try {
    s.channels.assign(s.sampleCount(), std::array<float, 3>{0, 0, 0});
  } catch (const std::bad_alloc&) {
    s.freeArrays();
    raiseError(Error::GraphMemory);
    return;
  }
  s.fillChannels(*style_, BoxMapping::of(space_));
}

void CParametricSurface::invalidate() { impl_->restart(); }

bool CParametricSurface::isComplete() const {
  // Without arrays or programs there is nothing left to sample.
  return impl_->finished || !impl_->hasArrays() || !impl_->grid;
}

double CParametricSurface::boundingRadius() const { return std::sqrt(impl_->largestSquaredRadius); }

} // namespace vexmar
