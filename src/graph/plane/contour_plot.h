#pragma once

#include "graph/plane/graph_2d.h"
#include "graph/plane/sampled_function.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vexmar {

class Clock;
struct PlaneMapping;

/// A straight piece of a level line, in coordinates.
struct ContourSegment {
  double x0, y0, x1, y1;
  int level; ///< index into the levels
};

/// z = f(x, y) shown by its level lines: f is sampled on a grid over the window, and each level's
/// line is followed through the grid's cells by linear interpolation along their edges.
class CContourPlot final : public CGraph2D {
public:
  /// Cells across and down the window.
  static constexpr int kGridCells = 50;
  static constexpr int kMaxLevels = 24;

  CContourPlot(const CGraphPlane& plane, SampledFunction function, std::unique_ptr<GraphStyle> style,
               double resolution);
  ~CContourPlot() override;

  void work(std::int64_t budgetMs) override;
  void draw(DrawingPort& port) override;
  [[nodiscard]] GraphStatus status() const override;
  void parameterChanged(std::uint16_t name, double value) override;
  void setProperty(int which, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override {
    return started_ && next_ >= samples_.size() && tracedRows_ >= kGridCells;
  }
  void resize() override { startAgainKeepingThePicture(); }
  void scroll(int dx, int dy) override;
  [[nodiscard]] bool hitTest(PixelPoint point) const override;
  [[nodiscard]] bool readout(PixelPoint point, ReadoutRecord& record) const override;
  [[nodiscard]] CurvePiece nearestPoint(double x, double y, double tolerance) const override;

  /// 4 levels at resolution 0 up to 24 at 1.
  [[nodiscard]] static int levelCountFor(double resolution);
  [[nodiscard]] int levelCount() const { return levelCount_; }
  /// The values whose lines are drawn; empty until the grid is complete, and when f has no two
  /// different finite values on it.
  [[nodiscard]] std::span<const double> levels() const { return {levels_.data(), levelsUsed_}; }
  [[nodiscard]] std::span<const ContourSegment> segments() const { return segments_; }
  /// What draw shows: the lines found, or while they are found again for a moved or resized
  /// window, the last complete lines (they are in coordinates, so they still lie right).
  [[nodiscard]] std::span<const ContourSegment> shownSegments() const {
    return !isComplete() && !retained_.empty() ? retained_ : segments_;
  }

private:
  static constexpr int kGridPoints = kGridCells + 1;

  /// A cell edge from its left or lower end, with the function's values at both ends.
  struct EdgeEnds {
    double x0, y0, v0, x1, y1, v1;
  };
  /// A point where a level line crosses a cell edge; not on the level where f jumps over it.
  struct Crossing {
    double x, y;
    bool onLevel;
  };

  [[nodiscard]] const PlaneMapping& mapping() const;
  void start();
  void startAgainKeepingThePicture();
  /// Forgets the levels and their lines; the samples stay.
  void restartTrace();
  /// Chooses the levels once the samples are complete, then follows their lines row by row.
  void trace(Clock& clock, std::int64_t deadline);
  void chooseLevels();
  void traceCell(int column, int row);
  /// Where the level is met along an edge whose ends lie on either side of it.
  [[nodiscard]] Crossing crossing(const EdgeEnds& edge, double level) const;
  [[nodiscard]] double sample(int column, int row) const {
    return samples_[static_cast<std::size_t>(row) * kGridPoints + static_cast<std::size_t>(column)];
  }
  /// The nearest segment to (x, y) with its distance in pixels; null when there is none.
  [[nodiscard]] const ContourSegment* nearestSegment(double x, double y, double& distance) const;

  SampledFunction function_;
  int levelCount_;
  bool started_ = false;
  bool levelsChosen_ = false;
  int tracedRows_ = 0;   ///< rows of cells whose lines are found
  std::size_t next_ = 0; ///< the next grid point to sample, row by row from the bottom
  double left_ = 0.0;
  double bottom_ = 0.0;
  double cellWidth_ = 0.0;
  double cellHeight_ = 0.0;
  std::vector<double> samples_;
  std::array<double, kMaxLevels> levels_{};
  std::size_t levelsUsed_ = 0;
  std::vector<ContourSegment> segments_;
  std::vector<ContourSegment> retained_;
};

} // namespace vexmar
