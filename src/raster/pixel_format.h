#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace vexmar {

/// The screen pixel layouts the software routines know; `Unsupported` ends renderer set-up.
enum class PixelFormatCode : std::uint8_t {
  Rgb555 = 0,
  Rgb655 = 1,
  Rgb565 = 2,
  Rgb556 = 3,
  Bgr555 = 4,
  Bgr556 = 5,
  Bgr565 = 6,
  Bgr655 = 7,
  Rgb888 = 8,
  Bgr888 = 9,
  Xrgb8888 = 10,
  Xbgr8888 = 11,
  Rgbx8888 = 12,
  Bgrx8888 = 13,
  Unsupported = 14,
};

inline constexpr int kPixelFormatCount = 14;

/// One recognised layout: bits per pixel and the channel masks.
struct PixelFormatRow {
  PixelFormatCode code;
  int bitsPerPixel;
  std::uint32_t redMask;
  std::uint32_t greenMask;
  std::uint32_t blueMask;
};

inline constexpr std::array<PixelFormatRow, kPixelFormatCount> kPixelFormats{{
    {PixelFormatCode::Rgb555, 16, 0x7C00, 0x03E0, 0x001F},
    {PixelFormatCode::Rgb655, 16, 0xFC00, 0x03E0, 0x001F},
    {PixelFormatCode::Rgb565, 16, 0xF800, 0x07E0, 0x001F},
    {PixelFormatCode::Rgb556, 16, 0xF800, 0x07C0, 0x003F},
    {PixelFormatCode::Bgr555, 16, 0x001F, 0x03E0, 0x7C00},
    {PixelFormatCode::Bgr556, 16, 0x001F, 0x03E0, 0xFC00},
    {PixelFormatCode::Bgr565, 16, 0x001F, 0x07E0, 0xF800},
    {PixelFormatCode::Bgr655, 16, 0x003F, 0x07C0, 0xF800},
    {PixelFormatCode::Rgb888, 24, 0xFF0000, 0x00FF00, 0x0000FF},
    {PixelFormatCode::Bgr888, 24, 0x0000FF, 0x00FF00, 0xFF0000},
    {PixelFormatCode::Xrgb8888, 32, 0xFF0000, 0x00FF00, 0x0000FF},
    {PixelFormatCode::Xbgr8888, 32, 0x0000FF, 0x00FF00, 0xFF0000},
    {PixelFormatCode::Rgbx8888, 32, 0xFF000000, 0xFF0000, 0x00FF00},
    {PixelFormatCode::Bgrx8888, 32, 0x00FF00, 0xFF0000, 0xFF000000},
}};

/// The code of the layout with these masks, or `Unsupported`. 16-bit layouts are told apart
/// by their masks alone, so a 15-bit depth reported by a driver still matches.
[[nodiscard]] PixelFormatCode pixelFormatFromMasks(int bitsPerPixel, std::uint32_t redMask,
                                                   std::uint32_t greenMask, std::uint32_t blueMask);

[[nodiscard]] constexpr const PixelFormatRow& pixelFormatRow(PixelFormatCode code) {
  return kPixelFormats[static_cast<std::size_t>(code)];
}

/// A colour as the 8-bit channels of a colour reference.
struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend constexpr bool operator==(Rgb, Rgb) = default;
};

/// One channel of a layout, derived from its mask at compile time.
struct ChannelLayout {
  int shift;
  int bits;
  std::uint32_t maximum;
};

[[nodiscard]] constexpr ChannelLayout channelLayout(std::uint32_t mask) {
  const int bits = std::popcount(mask);
  return {std::countr_zero(mask), bits, (std::uint32_t{1} << bits) - 1};
}

/// Packing and unpacking for one layout; every pixel loop is instantiated on one of these so the
/// format is settled at compile time.
template <PixelFormatCode Code> struct PixelLayout {
  static constexpr PixelFormatRow row = pixelFormatRow(Code);
  static constexpr int bytesPerPixel = row.bitsPerPixel / 8;
  static constexpr ChannelLayout red = channelLayout(row.redMask);
  static constexpr ChannelLayout green = channelLayout(row.greenMask);
  static constexpr ChannelLayout blue = channelLayout(row.blueMask);

  /// Channel values already reduced to the layout's widths.
  [[nodiscard]] static constexpr std::uint32_t pack(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r << red.shift) | (g << green.shift) | (b << blue.shift);
  }
  /// 8-bit channels reduced by dropping low bits.
  [[nodiscard]] static constexpr std::uint32_t packRgb(Rgb c) {
    return pack(std::uint32_t{c.red} >> (8 - red.bits), std::uint32_t{c.green} >> (8 - green.bits),
                std::uint32_t{c.blue} >> (8 - blue.bits));
  }
  [[nodiscard]] static constexpr std::uint32_t redOf(std::uint32_t p) {
    return (p >> red.shift) & red.maximum;
  }
  [[nodiscard]] static constexpr std::uint32_t greenOf(std::uint32_t p) {
    return (p >> green.shift) & green.maximum;
  }
  [[nodiscard]] static constexpr std::uint32_t blueOf(std::uint32_t p) {
    return (p >> blue.shift) & blue.maximum;
  }

  // Pixels of 16 and 32 bits are native integers; 24-bit pixels are three bytes, low byte first.
  [[nodiscard]] static std::uint32_t load(const std::uint8_t* at) {
    if constexpr (bytesPerPixel == 2) {
      std::uint16_t value;
      std::memcpy(&value, at, 2);
      return value;
    } else if constexpr (bytesPerPixel == 4) {
      std::uint32_t value;
      std::memcpy(&value, at, 4);
      return value;
    } else {
      return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16;
    }
  }
  static void store(std::uint8_t* at, std::uint32_t value) {
    if constexpr (bytesPerPixel == 2) {
      const auto narrow = static_cast<std::uint16_t>(value);
      std::memcpy(at, &narrow, 2);
    } else if constexpr (bytesPerPixel == 4) {
      std::memcpy(at, &value, 4);
    } else {
      at[0] = static_cast<std::uint8_t>(value);
      at[1] = static_cast<std::uint8_t>(value >> 8);
      at[2] = static_cast<std::uint8_t>(value >> 16);
    }
  }
};

/// Runtime forms of `PixelLayout::packRgb` and the channel read-back, for set-up code and tests;
/// pixel loops use the compile-time layout instead.
[[nodiscard]] std::uint32_t packPixel(PixelFormatCode code, Rgb colour);
/// The channels of a pixel value widened back to 8 bits (low bits filled from the high ones).
[[nodiscard]] Rgb unpackPixel(PixelFormatCode code, std::uint32_t pixel);

} // namespace vexmar
