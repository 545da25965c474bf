#include "raster/pixel_format.h"

#include <utility>

namespace vexmar {

PixelFormatCode pixelFormatFromMasks(int bitsPerPixel, std::uint32_t redMask, std::uint32_t greenMask,
                                     std::uint32_t blueMask) {
  for (const PixelFormatRow& row : kPixelFormats) {
    const bool sameDepth =
        row.bitsPerPixel == 16 ? bitsPerPixel == 15 || bitsPerPixel == 16 : row.bitsPerPixel == bitsPerPixel;
    if (sameDepth && row.redMask == redMask && row.greenMask == greenMask && row.blueMask == blueMask)
      return row.code;
  }
  return PixelFormatCode::Unsupported;
}

namespace {

std::uint8_t widen(std::uint32_t value, ChannelLayout channel) {
  // Replicating the high bits maps the channel maximum to 255 exactly.
  std::uint32_t wide = value << (8 - channel.bits);
  wide |= wide >> channel.bits;
  return static_cast<std::uint8_t>(wide);
}

using PackRoutine = std::uint32_t (*)(Rgb);

template <std::size_t... Codes>
constexpr std::array<PackRoutine, kPixelFormatCount> makePackTable(std::index_sequence<Codes...>) {
  return {PixelLayout<static_cast<PixelFormatCode>(Codes)>::packRgb...};
}

constexpr auto kPackTable = makePackTable(std::make_index_sequence<kPixelFormatCount>{});

} // namespace

std::uint32_t packPixel(PixelFormatCode code, Rgb colour) {
  const auto index = static_cast<std::size_t>(code);
  return index < kPackTable.size() ? kPackTable[index](colour) : 0;
}

Rgb unpackPixel(PixelFormatCode code, std::uint32_t pixel) {
  if (code == PixelFormatCode::Unsupported) return {};
  const PixelFormatRow& row = pixelFormatRow(code);
  const auto channel = [pixel](std::uint32_t mask) {
    const ChannelLayout layout = channelLayout(mask);
    return widen((pixel >> layout.shift) & layout.maximum, layout);
  };
  return {channel(row.redMask), channel(row.greenMask), channel(row.blueMask)};
}

} // namespace vexmar
