#include "raster/drawing_port.h"

#include "raster/frame_buffer.h"

#include "canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>
#include <vector>

namespace vexmar {
namespace {

using test::Canvas;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};

// Text as fixed cells: 3 pixels a character, 5 high, baseline at 4. Drawing only records the call.
class FakeText final : public TextRenderer {
public:
  struct Call {
    PixelPoint topLeft;
    std::string text;
  };
  TextExtent extent(std::string_view text) const override {
    return {static_cast<int>(text.size()) * 3, 5, 4};
  }
  void draw(const PixelTarget&, PixelRect, PixelPoint topLeft, std::string_view text, Rgb) override {
    calls.push_back({topLeft, std::string(text)});
  }
  std::vector<Call> calls;
};

TEST(DrawingPortTest, RefusesUnsupportedTargetsAndKeepsThePreviousOne) {
  Canvas canvas(PixelFormatCode::Rgb565, 4, 4);
  DrawingPort port;
  PixelTarget bad = canvas.target();
  bad.format = PixelFormatCode::Unsupported;
  EXPECT_FALSE(port.attach(bad));
  EXPECT_FALSE(port.isAttached());
  port.plotPixel({0, 0, 4, 4}, {1, 1}, kRed); // harmless when nothing is attached
  port.setBrush(kRed);
  port.fillRect({0, 0, 4, 4});
  EXPECT_EQ(canvas.countDrawn(), 0);

  ASSERT_TRUE(port.attach(canvas.target()));
  EXPECT_FALSE(port.attach(bad));
  port.fillRect({0, 0, 1, 1});
  EXPECT_EQ(canvas.get(0, 0), packPixel(PixelFormatCode::Rgb565, kRed));
}

TEST(DrawingPortTest, PenLinesIgnoreNonFiniteAndHugeCoordinatesSafely) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    const char* name;
    double x0, y0, x1, y1;
    int drawn; // -1: some
  };
  const Row rows[] = {
      {"NaN start", nan, 2, 5, 5, 0},
      {"NaN end", 2, 2, 5, nan, 0},
      {"infinite end", 2, 2, inf, 2, 0},
      {"far beyond the int range", -1e300, 3, 1e300, 3, 10},
      {"huge but crossing diagonally", -1e12, -1e12, 1e12, 1e12, -1},
      {"entirely outside", -50, -50, -1, 100, 0},
      {"inside", 1, 1, 4, 1, 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Canvas canvas(PixelFormatCode::Xrgb8888, 10, 8);
    DrawingPort port;
    ASSERT_TRUE(port.attach(canvas.target()));
    port.setPen(kBlue);
    port.moveTo(row.x0, row.y0);
    port.lineTo(row.x1, row.y1);
    if (row.drawn >= 0)
      EXPECT_EQ(canvas.countDrawn(), row.drawn);
    else
      EXPECT_GT(canvas.countDrawn(), 0);
    EXPECT_TRUE(canvas.guardsIntact());
  }
}

TEST(DrawingPortTest, PenLineOverwritesAndFollowsThePenPosition) {
  Canvas canvas(PixelFormatCode::Xrgb8888, 10, 10);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  canvas.set(3, 2, 0); // black under the line: the pen does not shade
  port.setPen(SystemColour::Highlight);
  port.moveTo(2, 2);
  port.lineTo(6, 2);
  port.lineTo(6, 5);
  EXPECT_EQ(canvas.countDrawn(), 5 + 3);
  EXPECT_EQ(canvas.rgb(3, 2), (Rgb{0, 0, 128}));
  EXPECT_EQ(canvas.rgb(6, 5), (Rgb{0, 0, 128}));
}

TEST(DrawingPortTest, RectanglesFillFrameAndOutlineInsideTheClip) {
  Canvas canvas(PixelFormatCode::Bgr565, 12, 12);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  port.setBrush(kRed);
  port.setPen(kBlue);
  port.outlineRect({2, 2, 7, 8}); // 5 x 6
  const std::uint32_t red = packPixel(PixelFormatCode::Bgr565, kRed);
  const std::uint32_t blue = packPixel(PixelFormatCode::Bgr565, kBlue);
  for (int y = 2; y < 7; ++y)
    for (int x = 2; x < 8; ++x) {
      const bool border = y == 2 || y == 6 || x == 2 || x == 7;
      EXPECT_EQ(canvas.get(x, y), border ? blue : red) << x << "," << y;
    }
  EXPECT_EQ(canvas.countDrawn(), 30);

  Canvas clipped(PixelFormatCode::Bgr565, 12, 12);
  ASSERT_TRUE(port.attach(clipped.target()));
  port.setClip({3, -100, 9, 10});
  EXPECT_EQ(port.clip(), (PixelRect{3, 0, 9, 10}));
  port.frameRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
  port.fillRect({-5, -5, 100, 1});
  EXPECT_TRUE(clipped.drawnOnlyInside({3, 0, 9, 10}));
  EXPECT_EQ(clipped.countDrawn(), 6);
  EXPECT_TRUE(clipped.guardsIntact());
}

TEST(DrawingPortTest, TextIsPlacedByItsAlignment) {
  struct Row {
    const char* name;
    TextAlign align;
    PixelPoint expected;
  };
  // "abcd" is 12 wide, 5 high, ascent 4; the reference point is (20, 10).
  const Row rows[] = {
      {"left top", {HorizontalAlign::Left, VerticalAlign::Top}, {20, 10}},
      {"centre baseline", {HorizontalAlign::Center, VerticalAlign::Baseline}, {14, 6}},
      {"right bottom", {HorizontalAlign::Right, VerticalAlign::Bottom}, {8, 5}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Canvas canvas(PixelFormatCode::Xrgb8888, 40, 20);
    FakeText text;
    DrawingPort port(&text);
    ASSERT_TRUE(port.attach(canvas.target()));
    port.setTextAlign(row.align);
    EXPECT_EQ(port.textExtent("abcd").width, 12);
    port.textOut({20, 10}, "abcd");
    ASSERT_EQ(text.calls.size(), 1u);
    EXPECT_EQ(text.calls[0].topLeft, row.expected);
    EXPECT_EQ(text.calls[0].text, "abcd");
  }
}

TEST(DrawingPortTest, TextWhollyOutsideTheClipIsNotHandedOn) {
  Canvas canvas(PixelFormatCode::Xrgb8888, 40, 20);
  FakeText text;
  DrawingPort port(&text);
  ASSERT_TRUE(port.attach(canvas.target()));
  port.textOut({40, 0}, "x");
  port.textOut({-3, 0}, "x");
  port.textOut({INT_MAX, INT_MIN}, "x");
  port.setTextAlign({HorizontalAlign::Right, VerticalAlign::Bottom});
  port.textOut({INT_MIN, INT_MIN}, "x");
  EXPECT_TRUE(text.calls.empty());
  port.textOut({1, 5}, "x"); // its right-hand column 0 is inside
  EXPECT_EQ(text.calls.size(), 1u);
}

// An 8 x 8 frame cleared to white, open for drawing.
void openWhiteFrame(FrameBuffer& frame) {
  ASSERT_TRUE(frame.resize(8, 8));
  ASSERT_TRUE(frame.beginFrame({255, 255, 255}));
  ASSERT_TRUE(frame.beginDrawing());
}

// The port over a real frame buffer: the shading pixel routines see the frame's background.
TEST(DrawingPortTest, PixelRoutinesShadeAgainstTheFrameBackground) {
  FrameBuffer frame;
  openWhiteFrame(frame);
  DrawingPort port;
  ASSERT_TRUE(port.attach(frame.target()));
  const PixelRect all{0, 0, 8, 8};
  port.plotPixel(all, {1, 1}, {200, 100, 50});
  port.setBrush({0, 0, 0});
  port.fillRect({3, 3, 4, 4});
  port.plotPixel(all, {3, 3}, {200, 100, 50});
  port.plotHorizontalSegment(all, {0, 6}, {7, 6}, {10, 10, 10}, 2);
  port.detach();
  frame.endDrawing();
  ASSERT_TRUE(frame.endFrame());
  EXPECT_EQ(frame.pixel(1, 1), 0xC86432u);
  EXPECT_EQ(frame.pixel(3, 3), (200u * 102 / 256) << 16 | (100u * 102 / 256) << 8 | (50u * 102 / 256));
  EXPECT_EQ(frame.pixel(2, 6), 0x0A0A0Au);
  EXPECT_EQ(frame.pixel(3, 6), 0xFFFFFFu);
}

// The 3D rasteriser draws through the port only when the frame's depth came with the pixels.
TEST(DrawingPortTest, HandsTheRasteriserTheDepthItWasAttachedWith) {
  FrameBuffer frame;
  openWhiteFrame(frame);
  RasterVertex from;
  from.x = 0.5f;
  from.y = 2.5f;
  from.z = 0.5f;
  RasterVertex to = from;
  to.x = 7.5f;

  DrawingPort port;
  ASSERT_TRUE(port.attach(frame.target()));
  EXPECT_EQ(port.rasterTarget().depth, nullptr);
  Rasteriser(port.rasterTarget()).drawLine(from, to);
  EXPECT_EQ(frame.pixel(3, 2), 0xFFFFFFu);

  ASSERT_TRUE(port.attach(frame.target(), frame.depthBuffer()));
  EXPECT_EQ(port.rasterTarget().depth, frame.depthBuffer());
  EXPECT_EQ(port.rasterTarget().pixels.pixels, frame.target().pixels);
  Rasteriser(port.rasterTarget()).drawLine(from, to);
  EXPECT_EQ(frame.pixel(3, 2), 0x000000u);
  EXPECT_EQ(frame.depth(3, 2), 0.5);

  port.detach();
  EXPECT_EQ(port.rasterTarget().depth, nullptr);
  EXPECT_EQ(port.rasterTarget().pixels.pixels, nullptr);
  frame.endDrawing();
  ASSERT_TRUE(frame.endFrame());
}

} // namespace
} // namespace vexmar
