#pragma once

#include "graph/graph_messages.h"
#include "graph/graph_style.h"
#include "raster/pixel_target.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace vexmar {

class CGraphPlane;
class DrawingPort;

/// The settings `setProperty` can change; a kind ignores the ones it has no use for.
namespace GraphProperty {
inline constexpr int CurveMode = 0;   ///< 0, 1 or 2, given as a double
inline constexpr int ColourIndex = 5; ///< the equation's colour index
inline constexpr int Resolution = 7;  ///< sample density of parametric curves
} // namespace GraphProperty

/// One labelled value of a readout: "x: 1.5", or a range "y: 0.2 ... 0.3".
struct ReadoutLine {
  std::string_view label; ///< "x: ", "y: ", "t: ", ...
  double value = 0.0;
  double high = 0.0; ///< the range's upper end when isRange
  bool isRange = false;
  bool isAngle = false; ///< formatted as an angle
};

/// What a graph reports for a point the mouse is reading.
struct ReadoutRecord {
  /// 0 nothing to show; 1 a single dependent value; 2 a range (an explicit curve in curve mode 1).
  int kind = 0;
  /// Where the readout marks go, in coordinates.
  double x = 0.0;
  double y = 0.0;
  int lineCount = 0;
  std::array<ReadoutLine, 5> lines{}; ///< at most x, y, r, theta and t

  /// A readout of one point of a graph: kind 1, marked at (x, y), reading "x: " and "y: ".
  [[nodiscard]] static ReadoutRecord ofPoint(double x, double y) {
    ReadoutRecord record;
    record.kind = 1;
    record.x = x;
    record.y = y;
    record.add({"x: ", x});
    record.add({"y: ", y});
    return record;
  }

  void add(ReadoutLine line) {
    if (lineCount < static_cast<int>(lines.size())) lines[static_cast<std::size_t>(lineCount++)] = line;
  }
};

/// A short straight piece of a graph near a point, in coordinates: the point on the graph and
/// the direction of the graph there. Two pieces are intersected to snap a readout onto the
/// crossing of two graphs.
struct CurvePiece {
  bool found = false;
  double x = 0.0;
  double y = 0.0;
  double dx = 1.0; ///< direction; need not be normalised
  double dy = 0.0;
};

/// What every graph drawn in the plane does. Graphs compute their picture incrementally under a
/// time budget and keep their progress between calls.
class CGraph2D {
public:
  CGraph2D(const CGraphPlane& plane, std::unique_ptr<GraphStyle> style);
  virtual ~CGraph2D();
  CGraph2D(const CGraph2D&) = delete;
  CGraph2D& operator=(const CGraph2D&) = delete;

  /// Computes more of the picture until `budgetMs` milliseconds of the plane's clock have passed.
  virtual void work(std::int64_t budgetMs) = 0;
  /// Draws what has been computed so far.
  virtual void draw(DrawingPort& port) = 0;
  [[nodiscard]] virtual GraphStatus status() const = 0;
  /// A parameter letter took a new value: a graph using it recompiles and starts again.
  virtual void parameterChanged(std::uint16_t name, double value);
  /// Colour index is handled here; kinds handle the settings they have.
  virtual void setProperty(int which, double value);
  /// Forgets everything computed and starts again.
  virtual void invalidate() = 0;
  [[nodiscard]] virtual bool isComplete() const = 0;
  /// The plane's pixel rectangle changed: keep what still fits, counted from the left and bottom
  /// edges; a scroll then moves it where the view put it.
  virtual void resize() {}
  /// The plane moved by whole pixels (right and down positive): keep what is still on screen.
  virtual void scroll(int /*dx*/, int /*dy*/) { invalidate(); }
  /// True when the pixel lies on the drawn graph, within 4 pixels.
  [[nodiscard]] virtual bool hitTest(PixelPoint /*point*/) const { return false; }
  /// Fills the record for the mouse at `point`; false when there is nothing to read there.
  [[nodiscard]] virtual bool readout(PixelPoint /*point*/, ReadoutRecord& /*record*/) const { return false; }
  /// The piece of the graph near (x, y) within `tolerance` coordinate units; not found for kinds
  /// without curves.
  [[nodiscard]] virtual CurvePiece nearestPoint(double /*x*/, double /*y*/, double /*tolerance*/) const {
    return {};
  }

  [[nodiscard]] const GraphStyle& style() const { return *style_; }
  /// A graph that covers whole areas in opaque colour is drawn before the axes, which stay seen.
  [[nodiscard]] virtual bool drawsBeneathAxes() const { return false; }

protected:
  /// Puts a curve mode given as exactly 0.0, 1.0 or 2.0 into `mode`; false, changing nothing, for
  /// any other value.
  static bool takeCurveMode(double value, int& mode);

  const CGraphPlane& plane_;
  std::unique_ptr<GraphStyle> style_;
};

/// Pixels around a graph that still count as on it, for hit tests and readout snapping.
inline constexpr int kHitTolerancePixels = 4;

/// Puts a parameter's new value where the evaluators read it: the animated letter's live slot, or
/// the parameter list that compilation bakes in. True when the evaluators must be compiled again.
bool applyParameterValue(std::uint16_t name, double value);

/// The style's colour as the drawing routines take it.
[[nodiscard]] Rgb colourOf(const GraphStyle& style);

} // namespace vexmar
