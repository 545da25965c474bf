#pragma once

#include "raster/pixel_format.h"
#include "raster/pixel_target.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexmar {

/// The off-screen picture every graph draws into: 32-bit 0x00RRGGBB pixels plus one double of
/// depth per pixel for the 3D rasteriser. Drawing happens between `beginDrawing` and
/// `endDrawing`, inside a frame opened by `beginFrame` and closed by `endFrame`.
class FrameBuffer {
public:
  /// Depth every frame starts at: farther than any depth the projection produces (at most 1).
  static constexpr double kFarDepth = 2.0;
  /// Largest width or height accepted, far above any window but small enough that sizes in
  /// bytes cannot overflow.
  static constexpr int kMaxDimension = 16384;
  static constexpr PixelFormatCode kFormat = PixelFormatCode::Xrgb8888;

  FrameBuffer() = default;

  /// Replaces the buffer by one of the given size, contents cleared to black; the depth buffer
  /// (twice the pixels' memory) only when 3D graphs will be drawn. A size outside
  /// 1..kMaxDimension, or an allocation failure, leaves an empty buffer and returns false.
  [[nodiscard]] bool resize(int width, int height, bool withDepth = true);
  [[nodiscard]] bool hasDepth() const { return !depth_.empty(); }
  void release();

  /// Clears the pixels to `background` and every depth to kFarDepth. Fails when the buffer is
  /// empty or drawing is still open.
  [[nodiscard]] bool beginFrame(Rgb background);
  /// Closes the frame; fails (closing any drawing left open) when it was not paired properly.
  [[nodiscard]] bool endFrame();

  /// Opens the pixels for drawing; fails outside a frame, or when drawing is already open.
  [[nodiscard]] bool beginDrawing();
  /// Returns false when no drawing was open.
  bool endDrawing();

  [[nodiscard]] bool isEmpty() const { return width_ == 0; }
  [[nodiscard]] bool inFrame() const { return inFrame_; }
  [[nodiscard]] bool isDrawing() const { return drawing_; }

  /// The description the software routines draw through while drawing is open; outside it an
  /// empty target that nothing can be drawn into.
  [[nodiscard]] PixelTarget target();

  // Raw access, for presentation (the application wraps these in an image without copying).
  [[nodiscard]] int width() const { return width_; }
  [[nodiscard]] int height() const { return height_; }
  [[nodiscard]] std::ptrdiff_t strideBytes() const { return static_cast<std::ptrdiff_t>(width_) * 4; }
  [[nodiscard]] const std::uint8_t* pixelBytes() const;
  [[nodiscard]] std::uint32_t pixel(int x, int y) const { return pixels_[index(x, y)]; }
  /// Only while the buffer has depth.
  [[nodiscard]] double depth(int x, int y) const { return depth_[index(x, y)]; }
  /// Null without depth.
  [[nodiscard]] double* depthBuffer() { return depth_.empty() ? nullptr : depth_.data(); }
  /// The pixel value the last frame was cleared to.
  [[nodiscard]] std::uint32_t backgroundPixel() const { return background_; }

private:
  [[nodiscard]] std::size_t index(int x, int y) const;

  std::vector<std::uint32_t> pixels_;
  std::vector<double> depth_;
  int width_ = 0;
  int height_ = 0;
  std::uint32_t background_ = 0;
  bool inFrame_ = false;
  bool drawing_ = false;
};

} // namespace vexmar
