#pragma once

#include "graph/plane/graph_plane.h"
#include "graph/space/graph_space_3d.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vexmar {

class Clock;

/// Every graph of a document: the plane and the 3D space, one of them active. The graph view
/// owns it and talks to the active space through it.
class CGraphContainer {
public:
  /// Size of the plane's saved block: 13 doubles and one 32-bit tick-step code.
  static constexpr std::size_t kPlaneSettingsBytes = 108;
  /// Size of the 3D space's saved block: two 3 x 3 matrices, ten ranges and the spinning flag.
  static constexpr std::size_t kSpaceSettingsBytes = 308;

  explicit CGraphContainer(PixelRect rect = {});
  CGraphContainer(PixelRect rect, Clock& clock);

  [[nodiscard]] CGraphPlane& plane() { return plane_; }
  [[nodiscard]] const CGraphPlane& plane() const { return plane_; }
  [[nodiscard]] CGraphSpace3D& space3D() { return space3D_; }
  [[nodiscard]] const CGraphSpace3D& space3D() const { return space3D_; }
  [[nodiscard]] CGraphSpace& active() { return *active_; }
  [[nodiscard]] const CGraphSpace& active() const { return *active_; }
  [[nodiscard]] bool is3DActive() const { return active_ == &space3D_; }
  void setActive3D(bool is3D) { active_ = is3D ? static_cast<CGraphSpace*>(&space3D_) : &plane_; }

  /// Kinds 0 and 1 zoom the active space; kind 2 resets both.
  void zoom(int kind);
  void work(std::int64_t budgetMs) { active_->work(budgetMs); }
  void draw(DrawingPort& port, unsigned flags) { active_->draw(port, flags); }
  [[nodiscard]] GraphStatus status(int graphIndex) const { return active_->status(graphIndex); }
  void setProperty(int which, double value, int graphIndex) {
    active_->setProperty(which, value, graphIndex);
  }
  /// Empties both graph lists.
  void clearGraphs();
  [[nodiscard]] bool allComplete() const { return active_->allComplete(); }
  void parameterChanged(std::uint16_t name, double value) { active_->parameterChanged(name, value); }
  /// Both spaces get the new pixel rectangle.
  void layoutChanged(PixelRect rect);

  /// Marks a coordinate's range as shown in the coordinates window (-1 clears the display) and
  /// returns it; nothing when the active space holds no range for it.
  std::optional<CoordinateRange> showRange(int index);
  /// The coordinate indexes shown since the display was last cleared, in the order asked.
  [[nodiscard]] const std::vector<int>& shownRanges() const { return shownRanges_; }
  /// Edits one end of a range of the active space; false when it holds none for the index.
  bool setRange(int index, bool isMax, double value);

  /// The plane's block followed by the 3D space's, in little-endian byte order.
  [[nodiscard]] std::vector<std::uint8_t> saveSettings() const;
  /// Restores what saveSettings wrote; false, changing nothing, when the record is too short
  /// or holds values no view can have.
  bool loadSettings(const std::vector<std::uint8_t>& record);

private:
  CGraphPlane plane_;
  CGraphSpace3D space3D_;
  CGraphSpace* active_;
  std::vector<int> shownRanges_;
};

} // namespace vexmar
