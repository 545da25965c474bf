#pragma once

#include "graph/coordinate_range.h"
#include "graph/graph_space.h"
#include "graph/plane/graph_2d.h"
#include "raster/pixel_target.h"

#include <cstdint>
#include <memory>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

namespace vexmar {

class Clock;

/// The plane's saved view; the mapping values are derived but saved with it.
struct PlaneSettings {
  CoordinateRange tRange{0.0, 1.0};
  CoordinateRange rRange{0.0, 2.0};
  CoordinateRange thetaRange{0.0, 2.0 * std::numbers::pi};
  double scale = 0.25; ///< coordinate units per 16 screen-independent pixels
  double originColumn = 0.0;
  double originRow = 0.0;
  double pixelsPerUnitX = 64.0;
  double pixelsPerUnitY = -64.0;
  double xMin = 0.0; ///< x at the left edge
  double yMin = 0.0; ///< y at the bottom edge
  std::int32_t tickStepCode = 1;
};

/// Coordinates <-> pixels, shared read-only with every 2D graph.
struct PlaneMapping {
  /// Pixels beyond this distance from zero are clamped so that they fit a signed 16-bit coordinate.
  static constexpr int kPixelLimit = 16383;

  PixelRect rect;
  double originColumn = 0.0;
  double originRow = 0.0;
  double pixelsPerUnitX = 64.0;
  double pixelsPerUnitY = -64.0; ///< negative: rows grow downward
  double unitsPerPixelX = 1.0 / 64.0;
  double unitsPerPixelY = 1.0 / 64.0; ///< positive
  /// The coordinates at the pixel limits; graphs clip lines to them before converting.
  double xAtLeftLimit = 0.0;
  double xAtRightLimit = 0.0;
  double yAtTopLimit = 0.0;
  double yAtBottomLimit = 0.0;

  /// The pixel of a coordinate, clamped to the limits; callers filter out values that are not numbers.
  [[nodiscard]] int columnOf(double x) const;
  [[nodiscard]] int rowOf(double y) const;
  [[nodiscard]] double xOf(double column) const { return (column - originColumn) * unitsPerPixelX; }
  [[nodiscard]] double yOf(double row) const { return (originRow - row) * unitsPerPixelY; }
};

/// Where one axis goes and which ticks it labels: values first, first + step, ..., last.
struct AxisLayout {
  bool drawn = false; ///< false when the ticks cannot be told apart in double precision
  int position = 0;   ///< the row of the x axis or the column of the y axis
  double step = 0.0;
  double first = 0.0;
  double last = 0.0;
};

struct AxesLayout {
  AxisLayout xAxis;
  AxisLayout yAxis;
};

/// True when ticks `step` apart can be told apart at values as large as `first` and `last`.
[[nodiscard]] bool ticksWithinDoubleLimits(double step, double first, double last);

/// How the mouse is being used in the plane.
enum class DragMode : std::uint8_t { None = 0, Reading = 1, MovingAxes = 2 };

/// The 2D graph space: the view's coordinate state, its mapping to pixels, and the graphs drawn
/// in it.
class CGraphPlane final : public CGraphSpace {
public:
  /// Zoom kinds, as the menu commands pass them.
  enum ZoomKind : int { ZoomIn = 0, ZoomOut = 1, Reset = 2 };

  explicit CGraphPlane(PixelRect rect = {});
  explicit CGraphPlane(PixelRect rect, Clock& clock);
  ~CGraphPlane() override;

  [[nodiscard]] const PlaneSettings& settings() const { return settings_; }
  [[nodiscard]] const PlaneMapping& mapping() const { return mapping_; }
  [[nodiscard]] Clock& clock() const { return *clock_; }

  /// Restores a saved view; the mapping is recomputed from the scale and the edges.
  void setSettings(const PlaneSettings& settings);
  /// The pixel rectangle changed: the point in the middle of the view stays in the middle (an
  /// unmoved plane keeps its origin there); graphs keep the samples still on screen.
  void layoutChanged(PixelRect rect) override;
  /// Zoom in or out one step of the 1-2-5 ladder about the axis crossing, or reset.
  void zoom(int kind) override;
  /// Zoom in or out one step of the ladder keeping the point under `pixel` where it is (the
  /// mouse wheel and the double click).
  void zoomAt(int kind, PixelPoint pixel);
  /// Shows the region [xMin, xMax] x [yMin, yMax] as nearly as the ladder allows: the scale nearest
  /// to the one that fits it, centred on it. False, with the view unchanged, for a region that is
  /// empty or not numbers, or that the view cannot show within the range of doubles.
  bool showRegion(double xMin, double xMax, double yMin, double yMax);
  /// Device pixels per screen-independent pixel: the scale counts the latter, so a view looks the
  /// same on every screen, while graphs sample every device pixel.
  void setPixelRatio(double ratio);
  [[nodiscard]] double pixelRatio() const { return pixelRatio_; }
  /// Moves the axes with the mouse by whole pixels (right and down are positive); graphs keep
  /// the samples still on screen. Along an axis where the move would take the view past the range
  /// of doubles the view stays; false then, and the limit notice is set.
  bool moveAxes(int dx, int dy);
  /// True once since a move or zoom was refused at the limits of double precision: the pane
  /// tells the user why the view stopped.
  [[nodiscard]] bool takeLimitNotice() { return std::exchange(limitNotice_, false); }

  /// Takes ownership of a graph; returns its index in the list.
  int addGraph(std::unique_ptr<CGraph2D> graph);
  [[nodiscard]] CGraph2D* graph(int index) const;
  [[nodiscard]] int graphCount() const override { return static_cast<int>(graphs_.size()); }
  void clearGraphs() override;

  void work(std::int64_t budgetMs) override;
  void draw(DrawingPort& port, unsigned flags) override;
  [[nodiscard]] GraphStatus status(int graphIndex) const override;
  void setProperty(int which, double value, int graphIndex) override;
  [[nodiscard]] RectRegion invalidRegion(bool whole) const override;
  [[nodiscard]] RectRegion readoutRegion(bool whole) const override;
  void mouseDown(PixelPoint point, unsigned modifiers, bool doubleClick) override;
  void mouseUp(PixelPoint point) override;
  void mouseMove(PixelPoint point, PixelPoint previous) override;
  [[nodiscard]] bool allComplete() const override;
  void parameterChanged(std::uint16_t name, double value) override;

  [[nodiscard]] DragMode dragMode() const { return dragMode_; }
  /// The readout being shown; kind 0 when none.
  [[nodiscard]] const ReadoutRecord& readout() const { return readout_; }
  [[nodiscard]] int readoutGraph() const { return readoutGraph_; }
  /// Moves the readout to the graph near a pixel, snapping to a crossing with another graph.
  void updateReadout(PixelPoint point);

  /// The range the plane holds for a coordinate index, or nothing when it holds none.
  [[nodiscard]] std::optional<CoordinateRange> range(int index) const;
  /// Sets one end of a held range; false when the plane holds no range for the index.
  bool setRange(int index, bool isMax, double value);

  /// The axes' places and ticks; raises the double-limits error when an axis cannot be drawn.
  [[nodiscard]] AxesLayout layoutAxes() const;
  /// The distance between labelled ticks for the current scale and tick-step code.
  [[nodiscard]] double tickStep() const;

private:
  void reset();
  /// Puts the scale one ladder step in or out and the coordinate (x, y) at `pixel`; false, with
  /// the view unchanged, when that would leave the range of doubles.
  bool zoomAbout(int kind, double pixelX, double pixelY, double x, double y);
  /// True when the edges of the view and the ticks labelling them are numbers doubles can hold
  /// and tell apart.
  [[nodiscard]] bool withinDoubleLimits(const PlaneSettings& settings) const;
  void recomputeMapping();
  void invalidateGraphs();
  void drawAxes(DrawingPort& port) const;
  void drawReadout(DrawingPort& port) const;
  [[nodiscard]] bool onAxisStrip(PixelPoint point) const;
  /// Device pixels for a length given in screen-independent pixels.
  [[nodiscard]] int px(int pixels) const;
  [[nodiscard]] int xAxisRow() const;
  [[nodiscard]] int yAxisColumn() const;
  /// The member of the settings holding a coordinate's range, or null.
  [[nodiscard]] static CoordinateRange PlaneSettings::*heldRange(int index);

  PlaneSettings settings_;
  PlaneMapping mapping_;
  Clock* clock_;
  double pixelRatio_ = 1.0;
  bool centred_ = true; ///< the origin has not been moved away from the middle
  bool limitNotice_ = false;
  std::vector<std::unique_ptr<CGraph2D>> graphs_;
  DragMode dragMode_ = DragMode::None;
  int readoutGraph_ = -1;
  ReadoutRecord readout_;
};

} // namespace vexmar
