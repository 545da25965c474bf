#include "graph/plane/density_plot.h"

#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "raster/drawing_port.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

namespace vexmar {
namespace {

// Reading the clock costs more than a cell; it is read once per this many cells.
constexpr std::size_t kCellsPerClockReading = 64;

} // namespace

CDensityPlot::CDensityPlot(const CGraphPlane& plane, SampledFunction function,
                           std::unique_ptr<GraphStyle> style, double resolution)
    : CGraph2D(plane, std::move(style)), function_(std::move(function)), bands_(bandsFor(resolution)) {}

CDensityPlot::~CDensityPlot() = default;

int CDensityPlot::bandsFor(double resolution) {
  // A resolution from a damaged document stays within the two ends.
  const double clamped = std::isnan(resolution) ? 0.0 : std::clamp(resolution, 0.0, 1.0);
  const int n = static_cast<int>(std::lround(4.0 + 20.0 * clamped));
  return 24 / (24 / n);
}

const PlaneMapping& CDensityPlot::mapping() const { return plane_.mapping(); }

void CDensityPlot::start() {
  started_ = true;
  next_ = 0;
  const PlaneMapping& m = mapping();
  const int size = cellSize();
  columns_ = std::max(0, (m.rect.width() + size - 1) / size);
  rows_ = std::max(0, (m.rect.height() + size - 1) / size);
  try {
    cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), kNotComputed);
  } catch (const std::bad_alloc&) {
    cells_.clear();
    columns_ = rows_ = 0;
    raiseError(Error::GraphMemory);
    return;
  }

  // The range of values comes from a coarse look at the whole window, edges included.
  const double left = m.xOf(m.rect.left - 0.5);
  const double right = m.xOf(m.rect.right - 0.5);
  const double bottom = m.yOf(m.rect.bottom - 0.5);
  const double top = m.yOf(m.rect.top - 0.5);
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (int i = 0; i < kProbePoints; ++i) {
    const double x = left + (right - left) * i / (kProbePoints - 1);
    for (int j = 0; j < kProbePoints; ++j) {
      const double value = function_.at(x, bottom + (top - bottom) * j / (kProbePoints - 1));
      if (!std::isfinite(value)) continue;
      low = std::min(low, value);
      high = std::max(high, value);
    }
  }
  if (high > low) {
    low_ = low;
    high_ = high;
    // Halves, so that a range wider than the largest double still spreads over the levels.
    levelsPerHalfUnit_ = kLevelCount / (high * 0.5 - low * 0.5);
  } else {
    // A constant, or nothing finite: every defined cell takes the top level.
    low_ = high_ = -std::numeric_limits<double>::infinity();
    levelsPerHalfUnit_ = 0.0;
  }

  prepareGrid();
}

void CDensityPlot::prepareGrid() {
  // Each cell is sampled at its middle pixel.
  const PlaneMapping& m = mapping();
  const int size = cellSize();
  const double middle = (size - 1) * 0.5;
  function_.prepareGrid(m.xOf(m.rect.left + middle), m.yOf(m.rect.top + middle), size * m.unitsPerPixelX,
                        -size * m.unitsPerPixelY, columns_, rows_);
}

void CDensityPlot::scroll(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  // Cells moved by whole cells keep their levels, and the range of values stays, so that the
  // colours do not change while the plane is dragged; any other move starts again.
  const int size = cellSize();
  if (!started_ || dx % size != 0 || dy % size != 0 || std::abs(dx / size) >= columns_ ||
      std::abs(dy / size) >= rows_) {
    invalidate();
    return;
  }
  const int shiftX = dx / size;
  const int shiftY = dy / size;
  try {
    std::vector<std::uint8_t> moved(cells_.size(), kNotComputed);
    const auto columns = static_cast<std::size_t>(columns_);
    const int firstColumn = std::max(0, shiftX);
    const int endColumn = std::min(columns_, columns_ + shiftX);
    for (int row = std::max(0, shiftY); row < std::min(rows_, rows_ + shiftY); ++row) {
      const std::uint8_t* from = cells_.data() + static_cast<std::size_t>(row - shiftY) * columns;
      std::copy(from + (firstColumn - shiftX), from + (endColumn - shiftX),
                moved.data() + static_cast<std::size_t>(row) * columns + firstColumn);
    }
    cells_ = std::move(moved);
  } catch (const std::bad_alloc&) {
    invalidate();
    return;
  }
  next_ = 0;
  prepareGrid();
}

std::uint8_t CDensityPlot::levelOf(double value) const {
  if (std::isnan(value)) return kUndefined;
  if (value >= high_) return kLevelCount - 1;
  if (value < low_) return 0;
  const double level = (value * 0.5 - low_ * 0.5) * levelsPerHalfUnit_;
  return static_cast<std::uint8_t>(std::min(level, kLevelCount - 1.0));
}

void CDensityPlot::work(std::int64_t budgetMs) {
  Clock& clock = plane_.clock();
  const std::int64_t deadline = clock.nowMs() + budgetMs;
  if (!started_) start();
  const std::size_t count = cells_.size();
  const auto columns = static_cast<std::size_t>(columns_);
  for (std::size_t k = next_; k < count; ++k) {
    if ((k - next_) % kCellsPerClockReading == 0 && k != next_ && clock.nowMs() >= deadline) {
      next_ = k;
      return;
    }
    if (cells_[k] != kNotComputed) continue;
    const double value = function_.atGridPoint(static_cast<int>(k % columns), static_cast<int>(k / columns));
    cells_[k] = levelOf(value);
  }
  next_ = count;
}

std::array<Rgb, CDensityPlot::kLevelCount> CDensityPlot::palette() const {
  const Rgb colour = colourOf(*style_);
  const int perBand = kLevelCount / bands_;
  std::array<Rgb, kLevelCount> entries{};
  for (int k = 0; k < bands_; ++k) {
    // The darkest band keeps a quarter of the colour, so that low values still read as the graph.
    // Worked out in hundredths so that the top band is exactly the full colour.
    const double factor = bands_ > 1 ? (26.0 * (bands_ - 1) + 74.0 * k) / (100.0 * (bands_ - 1)) : 1.0;
    const auto scaled = [factor](std::uint8_t channel) {
      return static_cast<std::uint8_t>(channel * factor);
    };
    const Rgb band{scaled(colour.red), scaled(colour.green), scaled(colour.blue)};
    std::fill_n(entries.begin() + k * perBand, perBand, band);
  }
  return entries;
}

void CDensityPlot::draw(DrawingPort& port) {
  if (!port.isAttached() || cells_.empty()) return;
  const PlaneMapping& m = mapping();
  const PixelRect clip = intersect(port.clip(), m.rect);
  if (clip.isEmpty()) return;
  port.setClip(clip);
  const std::array<Rgb, kLevelCount> colours = palette();
  const int size = cellSize();
  // Cells of one level next to each other in a row are filled as one rectangle.
  for (int row = 0; row < rows_; ++row) {
    const int top = m.rect.top + row * size;
    if (top + size <= clip.top || top >= clip.bottom) continue;
    const std::uint8_t* cells =
        cells_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_);
    int column = 0;
    while (column < columns_) {
      const std::uint8_t level = cells[column];
      int end = column + 1;
      while (end < columns_ && cells[end] == level) ++end;
      if (level < kLevelCount) {
        port.setBrush(colours[level]);
        port.fillRect({top, m.rect.left + column * size, top + size, m.rect.left + end * size});
      }
      column = end;
    }
  }
}

GraphStatus CDensityPlot::status() const {
  if (!started_) return GraphStatus::None;
  const bool undefined =
      std::all_of(cells_.begin(), cells_.end(), [](std::uint8_t c) { return c == kUndefined; });
  return undefined ? GraphStatus::UndefinedInRegion : GraphStatus::None;
}

void CDensityPlot::parameterChanged(std::uint16_t name, double value) {
  if (function_.parameterChanged(name, value)) invalidate();
}

void CDensityPlot::setProperty(int which, double value) {
  if (which == GraphProperty::Resolution) {
    bands_ = bandsFor(value);
    invalidate();
    return;
  }
  CGraph2D::setProperty(which, value);
}

void CDensityPlot::invalidate() {
  started_ = false;
  next_ = 0;
  cells_.clear();
  columns_ = rows_ = 0;
}

bool CDensityPlot::hitTest(PixelPoint point) const {
  const PlaneMapping& m = mapping();
  if (!m.rect.contains(point) || columns_ == 0) return false;
  const int size = cellSize();
  const std::size_t k =
      static_cast<std::size_t>((point.y - m.rect.top) / size) * static_cast<std::size_t>(columns_) +
      static_cast<std::size_t>((point.x - m.rect.left) / size);
  return k < cells_.size() && cells_[k] < kLevelCount;
}

bool CDensityPlot::readout(PixelPoint point, ReadoutRecord& record) const {
  return function_.readout(mapping(), point, record);
}

} // namespace vexmar
