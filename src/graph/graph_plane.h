#pragma once

#include "graph/coordinate_range.h"

#include <cstdint>
#include <numbers>
#include <optional>

namespace vexmar {

/// A pixel rectangle in the order the drawing port stores it; bottom and right are exclusive.
struct PixelRect {
  std::int16_t top = 0;
  std::int16_t left = 0;
  std::int16_t bottom = 0;
  std::int16_t right = 0;
};

/// The plane's saved view; the mapping values are derived but saved with it.
struct PlaneSettings {
  CoordinateRange tRange{0.0, 1.0};
  CoordinateRange rRange{0.0, 2.0};
  CoordinateRange thetaRange{0.0, 2.0 * std::numbers::pi};
  double scale = 0.25; ///< coordinate units per 16 pixels
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

/// The 2D graph space: the view's coordinate state and its mapping to pixels.
class CGraphPlane {
public:
  /// Zoom kinds, as the menu commands pass them.
  enum ZoomKind : int { ZoomIn = 0, ZoomOut = 1, Reset = 2 };

  explicit CGraphPlane(PixelRect rect = {});

  [[nodiscard]] const PlaneSettings& settings() const { return settings_; }
  [[nodiscard]] const PlaneMapping& mapping() const { return mapping_; }

  /// Restores a saved view; the mapping is recomputed from the scale and the edges.
  void setSettings(const PlaneSettings& settings);
  /// The pixel rectangle changed: the left and bottom edges keep their coordinates.
  void layoutChanged(PixelRect rect);
  /// Zoom in or out one step of the 1-2-5 ladder about the axis crossing, or reset.
  void zoom(int kind);
  /// Moves the axes with the mouse by whole pixels (right and down are positive).
  void moveAxes(int dx, int dy);

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
  void recomputeMapping();
  /// The member of the settings holding a coordinate's range, or null.
  [[nodiscard]] static CoordinateRange PlaneSettings::*heldRange(int index);

  PlaneSettings settings_;
  PlaneMapping mapping_;
};

} // namespace vexmar
