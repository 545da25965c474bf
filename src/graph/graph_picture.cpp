#include "graph/graph_picture.h"

#include "graph/graph_container.h"
#include "raster/drawing_port.h"
#include "raster/frame_buffer.h"

namespace vexmar {

bool drawGraphPicture(CGraphContainer& container, FrameBuffer& frame, TextRenderer* text, unsigned flags) {
  if (!frame.beginFrame(kGraphBackground)) return false;
  if (!frame.beginDrawing()) {
    (void)frame.endFrame();
    return false;
  }
  DrawingPort port(text);
  if (port.attach(frame.target(), frame.depthBuffer())) {
    container.draw(port, flags);
    port.detach();
  }
  frame.endDrawing();
  return frame.endFrame();
}

} // namespace vexmar
