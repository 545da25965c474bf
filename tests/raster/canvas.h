#pragma once

#include "raster/pixel_format.h"
#include "raster/pixel_target.h"

#include <cstdint>
#include <vector>

namespace vexmar::test {

/// A small pixel buffer of any format, with guard bytes around it and padding at the end of every
/// row, so a test can prove a routine wrote nowhere outside the picture.
class Canvas {
public:
  static constexpr std::uint8_t kGuard = 0xA5;
  static constexpr int kGuardBytes = 64;
  static constexpr int kRowPadding = 8;

  Canvas(PixelFormatCode format, int width, int height, Rgb background = {255, 255, 255})
      : format_(format), width_(width), height_(height),
        pitch_(width * (pixelFormatRow(format).bitsPerPixel / 8) + kRowPadding),
        bytes_(static_cast<std::size_t>(2 * kGuardBytes + pitch_ * height), kGuard),
        background_(packPixel(format, background)) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) set(x, y, background_);
  }

  [[nodiscard]] PixelTarget target() {
    return {bytes_.data() + kGuardBytes, pitch_, width_, height_, format_, background_};
  }
  [[nodiscard]] int bytesPerPixel() const { return pixelFormatRow(format_).bitsPerPixel / 8; }
  [[nodiscard]] std::uint32_t get(int x, int y) const {
    const std::uint8_t* at = bytes_.data() + kGuardBytes + y * pitch_ + x * bytesPerPixel();
    std::uint32_t v = 0;
    for (int i = 0; i < bytesPerPixel(); ++i) v |= std::uint32_t{at[i]} << (8 * i);
    return v;
  }
  void set(int x, int y, std::uint32_t v) {
    std::uint8_t* at = bytes_.data() + kGuardBytes + y * pitch_ + x * bytesPerPixel();
    for (int i = 0; i < bytesPerPixel(); ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  [[nodiscard]] Rgb rgb(int x, int y) const { return unpackPixel(format_, get(x, y)); }
  [[nodiscard]] bool isBackground(int x, int y) const { return get(x, y) == background_; }
  [[nodiscard]] std::uint32_t background() const { return background_; }

  /// True when every guard and padding byte is intact.
  [[nodiscard]] bool guardsIntact() const {
    const auto rowBytes = width_ * bytesPerPixel();
    for (int i = 0; i < kGuardBytes; ++i)
      if (bytes_[i] != kGuard || bytes_[bytes_.size() - 1 - i] != kGuard) return false;
    for (int y = 0; y < height_; ++y)
      for (int i = rowBytes; i < pitch_; ++i)
        if (bytes_[kGuardBytes + y * pitch_ + i] != kGuard) return false;
    return true;
  }

  /// Number of pixels that are not the background.
  [[nodiscard]] int countDrawn() const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) count += isBackground(x, y) ? 0 : 1;
    return count;
  }

  /// True when every drawn pixel lies inside `rect`.
  [[nodiscard]] bool drawnOnlyInside(PixelRect rect) const {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (!isBackground(x, y) && !rect.contains({x, y})) return false;
    return true;
  }

private:
  PixelFormatCode format_;
  int width_;
  int height_;
  int pitch_;
  std::vector<std::uint8_t> bytes_;
  std::uint32_t background_;
};

inline std::vector<PixelFormatCode> allFormats() {
  std::vector<PixelFormatCode> formats;
  for (const PixelFormatRow& row : kPixelFormats) formats.push_back(row.code);
  return formats;
}

} // namespace vexmar::test
