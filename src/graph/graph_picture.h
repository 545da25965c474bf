#pragma once

#include "graph/graph_space.h"

namespace vexmar {

class CGraphContainer;
class FrameBuffer;
class TextRenderer;

/// Background the graph pane is cleared to.
inline constexpr Rgb kGraphBackground{255, 255, 255};

/// Paints the active space into the frame buffer in one frame: cleared, drawn with `flags`,
/// closed. Returns false when the buffer cannot take a frame (empty, or a frame left open).
bool drawGraphPicture(CGraphContainer& container, FrameBuffer& frame, TextRenderer* text,
                      unsigned flags = DrawFlag::All);

} // namespace vexmar
