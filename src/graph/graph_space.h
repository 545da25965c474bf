#pragma once

#include "graph/graph_messages.h"
#include "raster/pixel_target.h"
#include "raster/rect_region.h"

#include <cstdint>

namespace vexmar {

class DrawingPort;

/// Mouse modifier bits passed with a press.
namespace MouseModifier {
inline constexpr unsigned Shift = 1;
inline constexpr unsigned Control = 2; ///< moves the axes wherever the press is
} // namespace MouseModifier

/// What `draw` paints.
namespace DrawFlag {
inline constexpr unsigned Background = 1; ///< background, axes and tick labels
inline constexpr unsigned Graphs = 2;
inline constexpr unsigned Readout = 4;
inline constexpr unsigned All = 7;
} // namespace DrawFlag

/// The plane and the 3D space alike: the graph view talks only to the active one.
class CGraphSpace {
public:
  CGraphSpace() = default;
  virtual ~CGraphSpace() = default;
  CGraphSpace(const CGraphSpace&) = delete;
  CGraphSpace& operator=(const CGraphSpace&) = delete;

  /// Gives the graphs, in list order, the milliseconds left of `budgetMs`.
  virtual void work(std::int64_t budgetMs) = 0;
  virtual void draw(DrawingPort& port, unsigned flags) = 0;
  /// The status of one graph; None for an index outside the list.
  [[nodiscard]] virtual GraphStatus status(int graphIndex) const = 0;
  /// The pixel rectangle changed.
  virtual void layoutChanged(PixelRect rect) = 0;
  /// 0 zoom in, 1 zoom out, 2 reset to the defaults.
  virtual void zoom(int kind) = 0;
  virtual void setProperty(int which, double value, int graphIndex) = 0;
  /// What must be repainted: the whole rectangle, or only what the graphs and readout cover.
  [[nodiscard]] virtual RectRegion invalidRegion(bool whole) const = 0;
  /// The pixels the readout marks cover; empty without a readout.
  [[nodiscard]] virtual RectRegion readoutRegion(bool whole) const = 0;
  virtual void mouseDown(PixelPoint point, unsigned modifiers, bool doubleClick) = 0;
  virtual void mouseUp(PixelPoint point) = 0;
  virtual void mouseMove(PixelPoint point, PixelPoint previous) = 0;

  /// True when every graph has finished computing.
  [[nodiscard]] virtual bool allComplete() const = 0;
  virtual void parameterChanged(std::uint16_t name, double value) = 0;
  virtual void clearGraphs() = 0;
  [[nodiscard]] virtual int graphCount() const = 0;
  /// True once since the picture changed in a way that needs a repaint (a move, zoom or readout).
  [[nodiscard]] bool takeRedrawRequest() {
    const bool requested = redrawRequested_;
    redrawRequested_ = false;
    return requested;
  }

protected:
  void requestRedraw() { redrawRequested_ = true; }

private:
  bool redrawRequested_ = false;
};

} // namespace vexmar
