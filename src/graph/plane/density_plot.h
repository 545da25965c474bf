#pragma once

#include "graph/plane/graph_2d.h"
#include "graph/plane/sampled_function.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vexmar {

struct PlaneMapping;

/// z = f(x, y) shown by colouring square cells of the plane: the brighter the cell, the larger f
/// at its centre, within the range of values f takes across the window.
class CDensityPlot final : public CGraph2D {
public:
  /// Cell codes beside the levels 0 .. kLevelCount - 1.
  static constexpr std::uint8_t kNotComputed = 0xFF;
  static constexpr std::uint8_t kUndefined = 0xFE;
  static constexpr int kLevelCount = 240;
  /// Points across each direction of the window whose values set the range the levels span.
  static constexpr int kProbePoints = 20;

  CDensityPlot(const CGraphPlane& plane, SampledFunction function, std::unique_ptr<GraphStyle> style,
               double resolution);
  ~CDensityPlot() override;
  [[nodiscard]] bool drawsBeneathAxes() const override { return true; }

  void work(std::int64_t budgetMs) override;
  void draw(DrawingPort& port) override;
  [[nodiscard]] GraphStatus status() const override;
  void parameterChanged(std::uint16_t name, double value) override;
  void setProperty(int which, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override { return started_ && next_ >= cells_.size(); }
  void resize() override { invalidate(); }
  void scroll(int dx, int dy) override;
  [[nodiscard]] bool hitTest(PixelPoint point) const override;
  [[nodiscard]] bool readout(PixelPoint point, ReadoutRecord& record) const override;

  /// Bands of colour per 24 pixels for a resolution: 4 at 0, 24 at 1, always a divisor of 24.
  [[nodiscard]] static int bandsFor(double resolution);
  [[nodiscard]] int cellSize() const { return 24 / bands_; }
  [[nodiscard]] int columns() const { return columns_; }
  [[nodiscard]] int rows() const { return rows_; }
  /// One byte per cell, row by row from the top: a level or one of the two codes.
  [[nodiscard]] std::span<const std::uint8_t> cells() const { return cells_; }
  /// The values spread over the levels; both -infinity when f is constant or nowhere finite.
  [[nodiscard]] double low() const { return low_; }
  [[nodiscard]] double high() const { return high_; }
  /// The colour of each level: the style's colour in `bandsFor` steps from dark to full.
  [[nodiscard]] std::array<Rgb, kLevelCount> palette() const;

private:
  [[nodiscard]] const PlaneMapping& mapping() const;
  /// Lays out the cells over the plane and finds the value range; the cells are then computed.
  void start();
  /// Sets the grid evaluation up for the cells as the plane now lies.
  void prepareGrid();
  [[nodiscard]] std::uint8_t levelOf(double value) const;

  SampledFunction function_;
  int bands_;
  int columns_ = 0;
  int rows_ = 0;
  std::vector<std::uint8_t> cells_;
  std::size_t next_ = 0; ///< the next cell to compute, counted row by row
  bool started_ = false;
  double low_ = 0.0;
  double high_ = 0.0;
  double levelsPerHalfUnit_ = 0.0;
};

} // namespace vexmar
