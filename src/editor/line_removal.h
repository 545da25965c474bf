#pragma once

#include <cstdint>
#include <memory>

namespace vexmar {

/// A line taken out of the list of lines, kept by the Undo step that took it out. The layer that
/// owns the lines derives from it to keep everything else that belongs to a line.
class DetachedLine {
public:
  virtual ~DetachedLine() = default;
};

/// An edit step that took line `lineSerial` out of the list at `position`. While the step waits
/// for Undo it holds the line; while it waits for Redo the line is back in the list and `line` is
/// empty.
struct LineRemoval {
  std::uint64_t lineSerial = 0;
  int position = 0;
  std::unique_ptr<DetachedLine> line;
};

} // namespace vexmar
