#pragma once

#include "graph/coordinate_range.h"
#include "graph/graph_space.h"
#include "graph/space/camera.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vexmar {

class CGraph3D;
class Clock;
class Rasteriser;

/// The 3D graph space: its graphs, the ranges they run over, the orientation and spin of the
/// picture, and the camera and rasteriser that draw the box, the graphs and the axes.
class CGraphSpace3D final : public CGraphSpace {
public:
  using Matrix3 = vexmar::Matrix3;

  /// Without a clock a drag never counts as held still, so a release always leaves the spin.
  explicit CGraphSpace3D(PixelRect rect = {}, Clock* clock = nullptr);
  ~CGraphSpace3D() override;

  [[nodiscard]] std::optional<CoordinateRange> range(int index) const;
  /// The range the space holds for a coordinate, where graphs read their bounds live.
  [[nodiscard]] const CoordinateRange& heldRange(Coordinate coordinate) const;
  bool setRange(int index, bool isMax, double value);

  void work(std::int64_t budgetMs) override;
  void draw(DrawingPort& port, unsigned flags) override;
  [[nodiscard]] GraphStatus status(int graphIndex) const override;
  void layoutChanged(PixelRect rect) override;
  void zoom(int kind) override;
  void setProperty(int which, double value, int graphIndex) override;
  [[nodiscard]] RectRegion invalidRegion(bool whole) const override;
  [[nodiscard]] RectRegion readoutRegion(bool whole) const override;
  void mouseDown(PixelPoint point, unsigned modifiers, bool doubleClick) override;
  void mouseUp(PixelPoint point) override;
  void mouseMove(PixelPoint point, PixelPoint previous) override;
  /// True while the button pressed on a graph: a click that only stops the spin.
  [[nodiscard]] bool pressedOnGraph() const { return drag_ == Drag::Click; }
  [[nodiscard]] bool allComplete() const override;
  void parameterChanged(std::uint16_t name, double value) override;
  void clearGraphs() override;
  [[nodiscard]] int graphCount() const override;

  /// Appends a graph; returns its index in the list.
  int addGraph(std::unique_ptr<CGraph3D> graph);
  [[nodiscard]] CGraph3D* graph(int index) const;
  /// Sets the orientation so that the eye looks at the box centre from `azimuthDegrees` around
  /// the z axis (from the x axis toward y) and `elevationDegrees` above the x-y plane, with z up.
  void setViewAngles(double azimuthDegrees, double elevationDegrees);
  /// Triangles the graphs drew in the last frame, and in all frames so far.
  [[nodiscard]] long long lastFrameTriangles() const;
  [[nodiscard]] long long totalTriangles() const;
  [[nodiscard]] Clock& clock() const;
  /// What repaints the picture at once, for the animated steps of a zoom and for changes of a
  /// graph's colouring; without it those steps only ask for a redraw.
  void setRedrawNow(std::function<void()> redrawNow) { redrawNow_ = std::move(redrawNow); }
  /// How far from the box centre the graphs reached in the last computing step, in box units.
  [[nodiscard]] double largestRadius() const { return largestRadius_; }
  /// Distance from the box centre whose sphere just fills the smaller side of the view.
  [[nodiscard]] double viewingDistance() const { return viewingDistance_; }

  /// The ranges in their stored order: t, u, v, x, y, z, r, a spare pair, θ, φ.
  std::array<CoordinateRange, 10> ranges;
  Matrix3 spin{1, 0, 0, 0, 1, 0, 0, 0, 1};
  Matrix3 orientation{1, 0, 0, 0, 1, 0, 0, 0, 1};
  bool spinning = false;

  /// The camera as of the last change of orientation, view size or computing step.
  [[nodiscard]] const Camera& camera() const { return camera_; }

private:
  void reset();
  void updateCamera();
  void turnBy(const Matrix3& rotation);
  void stopIfHeldStill();
  void redrawNow();
  void invalidateGraphs();
  [[nodiscard]] bool hitsGraph(PixelPoint point) const;
  void drawBox(Rasteriser& rasteriser) const;
  void drawAxes(Rasteriser& rasteriser, DrawingPort& port) const;
  [[nodiscard]] CoordinateRange* heldRange(int index);

  PixelRect rect_;
  Camera camera_;
  std::vector<std::unique_ptr<CGraph3D>> graphs_;
  long long lastFrameTriangles_ = 0;
  long long totalTriangles_ = 0;
  double viewingDistance_ = defaultViewingDistance();
  double largestRadius_ = 1.2;
  std::function<void()> redrawNow_;
  // The gesture in progress: none, a click on a graph (which never turns the picture), a plain
  // rotating drag, or a coarse one with Control held.
  enum class Drag { None, Click, Rotate, RotateCoarse } drag_ = Drag::None;
  PixelPoint lastPoint_;
  Clock* clock_;
  std::int64_t lastStepMs_ = 0;
};

} // namespace vexmar
