#include "raster/frame_buffer.h"

#include <algorithm>
#include <cassert>
#include <new>

namespace vexmar {

bool FrameBuffer::resize(int width, int height, bool withDepth) {
  release();
  if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension) return false;
  const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  try {
    pixels_.assign(count, 0);
    if (withDepth) depth_.assign(count, kFarDepth);
  } catch (const std::bad_alloc&) {
    release();
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

void FrameBuffer::release() {
  pixels_ = {};
  depth_ = {};
  width_ = 0;
  height_ = 0;
  inFrame_ = false;
  drawing_ = false;
}

bool FrameBuffer::beginFrame(Rgb background) {
  if (isEmpty() || drawing_) return false;
  background_ = PixelLayout<kFormat>::packRgb(background);
  std::fill(pixels_.begin(), pixels_.end(), background_);
  std::fill(depth_.begin(), depth_.end(), kFarDepth);
  inFrame_ = true;
  return true;
}

bool FrameBuffer::endFrame() {
  const bool paired = inFrame_ && !drawing_;
  inFrame_ = false;
  drawing_ = false;
  return paired;
}

bool FrameBuffer::beginDrawing() {
  if (!inFrame_ || drawing_) return false;
  drawing_ = true;
  return true;
}

bool FrameBuffer::endDrawing() {
  const bool wasDrawing = drawing_;
  drawing_ = false;
  return wasDrawing;
}

PixelTarget FrameBuffer::target() {
  if (!drawing_) return {};
  return {
      reinterpret_cast<std::uint8_t*>(pixels_.data()), strideBytes(), width_, height_, kFormat, background_};
}

const std::uint8_t* FrameBuffer::pixelBytes() const {
  return reinterpret_cast<const std::uint8_t*>(pixels_.data());
}

std::size_t FrameBuffer::index(int x, int y) const {
  assert(x >= 0 && x < width_ && y >= 0 && y < height_);
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
}

} // namespace vexmar
