#pragma once

#include "raster/frame_buffer.h"

#include <QImage>

namespace vexmar {

/// The frame buffer's pixels as an image, without a copy: valid while the buffer is unchanged.
/// Its 0x00RRGGBB pixels are Qt's RGB32 layout.
[[nodiscard]] inline QImage imageOf(const FrameBuffer& frame) {
  return QImage(frame.pixelBytes(), frame.width(), frame.height(), frame.strideBytes(), QImage::Format_RGB32);
}

} // namespace vexmar
