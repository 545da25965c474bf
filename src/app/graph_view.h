#pragma once

#include "app/qt_text_renderer.h"
#include "graph/graph_container.h"
#include "raster/frame_buffer.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vexmar {

class Clock;
class VexmarDocument;

/// The graph pane: owns every graph of the document, computes them in idle-time slices, shows
/// the frame buffer, and turns the mouse into panning, zooming and readouts.
class CGraphView : public QWidget {
  Q_OBJECT
public:
  explicit CGraphView(VexmarDocument& document, QWidget* parent = nullptr);
  CGraphView(VexmarDocument& document, Clock& clock, QWidget* parent = nullptr);
  ~CGraphView() override;

  [[nodiscard]] CGraphContainer& container() { return container_; }
  [[nodiscard]] bool graphingOn() const;
  /// The picture as last painted, at device pixels.
  [[nodiscard]] QImage picture();

  /// One idle slice: computes for 30 ms and repaints, and moves a running animation on once the
  /// graphs are complete. Returns true while more work is wanted.
  bool idleStep();
  /// Runs idle slices until every graph is complete or `limitMs` of the clock passed.
  void finishGraphs(int limitMs = 10000);
  /// Hands the idle slices to the application's idle loop, which `wake` asks for a pass; without
  /// one the view runs its own.
  void setIdleDriver(std::function<void()> wake) { wakeIdleLoop_ = std::move(wake); }

public slots:
  void drawGraph();
  void rebuildGraphs();
  void graphOff();
  void resetGraph();
  void zoomIn();
  void zoomOut();
  /// The resolution control's position, 0..12.
  void setResolution(int position);
  /// 0 fast, 1 bounds, 2 careful: the current equation's curve mode.
  void setCurveMode(int mode);
  /// A parameter took a value (the slider, the parameters window): the graphs using it follow.
  void setParameter(std::uint16_t name, double value);
  /// The animation slider moved: its letter takes the slider's value.
  void animationMoved();
  /// Another letter is animated: the graphs are built again to read it live.
  void setAnimatedVariable(std::uint16_t letter);
  void setAnimating(bool on);
  void copyGraph();

signals:
  /// The picture or the graph statuses changed in a way the frame shows (titles, checks).
  void graphStateChanged();
  /// A passing notice for the status bar (why the view stopped moving).
  void statusMessage(const QString& text);
  /// The animation moved the slider one step, or stopped.
  void animationStepped();

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  /// The wheel zooms the plane about the pointer, one ladder step a notch.
  void wheelEvent(QWheelEvent* event) override;

private:
  void initialise();
  [[nodiscard]] PixelRect deviceRect() const;
  [[nodiscard]] PixelPoint devicePoint(QPointF position) const;
  /// Makes the frame buffer match the widget's device-pixel size; false when it cannot.
  bool updateFrameBuffer();
  void renderPicture();
  void wakeIdle();
  void refreshStatuses();
  void recolour(int equation);
  void autoScroll();
  /// True while the picture in space turns by itself.
  [[nodiscard]] bool spinningInSpace() const;
  /// Tells the user when the plane refused to move or zoom past the range of doubles.
  void reportLimit();

  VexmarDocument& document_;
  Clock& clock_;
  CGraphContainer container_;
  FrameBuffer frame_;
  std::unique_ptr<QtTextRenderer> text_;
  double textScale_ = 0.0;
  QTimer idleTimer_;
  std::function<void()> wakeIdleLoop_;
  QTimer autoScrollTimer_;
  QTimer spinTimer_; ///< wakes the idle loop for the next spin step
  std::int64_t lastSpinStepMs_ = 0;
  bool suspended_ = false; ///< no frame buffer for the current size
  bool firstPass_ = false; ///< statuses are refreshed once every graph completed
  bool mouseCaptured_ = false;
  PixelPoint lastMouse_;
  int wheelAngle_ = 0; ///< eighths of a degree turned and not yet zoomed by
};

} // namespace vexmar
