#include "raster/pixel_format.h"

#include "canvas.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <string>

namespace vexmar {
namespace {

TEST(PixelFormatTest, EveryRowIsRecognisedFromItsMasks) {
  for (const PixelFormatRow& row : kPixelFormats) {
    SCOPED_TRACE(static_cast<int>(row.code));
    EXPECT_EQ(pixelFormatFromMasks(row.bitsPerPixel, row.redMask, row.greenMask, row.blueMask), row.code);
  }
}

TEST(PixelFormatTest, SixteenBitLayoutsAreKnownByTheirMasksEvenAtFifteenBits) {
  EXPECT_EQ(pixelFormatFromMasks(15, 0x7C00, 0x03E0, 0x001F), PixelFormatCode::Rgb555);
}

TEST(PixelFormatTest, OtherLayoutsAreUnsupported) {
  struct Row {
    const char* name;
    int bits;
    std::uint32_t red, green, blue;
  };
  const Row rows[] = {
      {"8-bit palette", 8, 0, 0, 0},
      {"32-bit masks at 24 bits", 24, 0xFF000000, 0xFF0000, 0x00FF00},
      {"24-bit masks at 32 bits but swapped green", 32, 0xFF0000, 0x0000FF, 0x00FF00},
      {"16-bit 444", 16, 0x0F00, 0x00F0, 0x000F},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(pixelFormatFromMasks(row.bits, row.red, row.green, row.blue), PixelFormatCode::Unsupported);
  }
}

// Packing then unpacking keeps each channel to the format's precision, and the packed value uses
// exactly the mask bits.
TEST(PixelFormatTest, PackUnpackRoundTripsInEveryFormat) {
  const Rgb colours[] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {18, 200, 77}};
  for (PixelFormatCode code : test::allFormats()) {
    const PixelFormatRow& row = pixelFormatRow(code);
    SCOPED_TRACE(static_cast<int>(code));
    EXPECT_EQ(packPixel(code, {255, 0, 0}), row.redMask);
    EXPECT_EQ(packPixel(code, {0, 255, 0}), row.greenMask);
    EXPECT_EQ(packPixel(code, {0, 0, 255}), row.blueMask);
    for (Rgb c : colours) {
      const Rgb back = unpackPixel(code, packPixel(code, c));
      const auto close = [](int a, int b, std::uint32_t mask) {
        const int precision = 256 >> std::popcount(mask);
        return std::abs(a - b) < precision;
      };
      EXPECT_TRUE(close(c.red, back.red, row.redMask)) << int(c.red) << " -> " << int(back.red);
      EXPECT_TRUE(close(c.green, back.green, row.greenMask)) << int(c.green) << " -> " << int(back.green);
      EXPECT_TRUE(close(c.blue, back.blue, row.blueMask)) << int(c.blue) << " -> " << int(back.blue);
      // A value read back from the screen packs to itself.
      EXPECT_EQ(packPixel(code, back), packPixel(code, c));
    }
  }
}

} // namespace
} // namespace vexmar
