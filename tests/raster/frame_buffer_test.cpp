#include "raster/frame_buffer.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

TEST(FrameBufferTest, RejectsSizesOutsideTheLimits) {
  struct Row {
    const char* name;
    int width, height;
    bool accepted;
  };
  const Row rows[] = {{"ordinary", 40, 30, true},
                      {"one pixel", 1, 1, true},
                      {"zero width", 0, 30, false},
                      {"negative height", 40, -1, false},
                      {"too wide", FrameBuffer::kMaxDimension + 1, 1, false},
                      {"largest width", FrameBuffer::kMaxDimension, 1, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FrameBuffer frame;
    ASSERT_TRUE(frame.resize(5, 5));
    EXPECT_EQ(frame.resize(row.width, row.height), row.accepted);
    EXPECT_EQ(frame.isEmpty(), !row.accepted);
    EXPECT_EQ(frame.width(), row.accepted ? row.width : 0);
    EXPECT_EQ(frame.height(), row.accepted ? row.height : 0);
  }
}

TEST(FrameBufferTest, FrameStartClearsPixelsAndDepth) {
  FrameBuffer frame;
  ASSERT_TRUE(frame.resize(3, 2));
  ASSERT_TRUE(frame.beginFrame({10, 20, 30}));
  ASSERT_TRUE(frame.beginDrawing());
  PixelTarget target = frame.target();
  target.pixels[0] = 0x77;
  frame.depthBuffer()[5] = 0.25;
  frame.endDrawing();
  ASSERT_TRUE(frame.endFrame());

  ASSERT_TRUE(frame.beginFrame({1, 2, 3}));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(frame.pixel(x, y), 0x010203u);
      EXPECT_EQ(frame.depth(x, y), FrameBuffer::kFarDepth);
    }
  EXPECT_EQ(frame.backgroundPixel(), 0x010203u);
}

TEST(FrameBufferTest, RawAccessDescribesTheRgb32Picture) {
  FrameBuffer frame;
  ASSERT_TRUE(frame.resize(7, 3));
  ASSERT_TRUE(frame.beginFrame({0xAB, 0xCD, 0xEF}));
  EXPECT_EQ(frame.strideBytes(), 28);
  ASSERT_TRUE(frame.beginDrawing());
  const PixelTarget target = frame.target();
  EXPECT_EQ(target.pixels, frame.pixelBytes());
  EXPECT_EQ(target.pitch, frame.strideBytes());
  EXPECT_EQ(target.format, PixelFormatCode::Xrgb8888);
  EXPECT_EQ(target.background, 0xABCDEFu);
  frame.endDrawing();
  // Blue is the lowest byte in memory, as a 32-bit RGB image expects.
  EXPECT_EQ(frame.pixelBytes()[0], 0xEF);
  EXPECT_EQ(frame.pixelBytes()[2], 0xAB);
}

TEST(FrameBufferTest, DrawingMustBeBracketedInsideAFrame) {
  FrameBuffer frame;
  EXPECT_FALSE(frame.beginFrame({})) << "no pixels yet";
  ASSERT_TRUE(frame.resize(4, 4));
  EXPECT_FALSE(frame.beginDrawing()) << "outside a frame";
  EXPECT_FALSE(frame.endDrawing()) << "nothing open";
  EXPECT_FALSE(frame.endFrame()) << "no frame open";

  ASSERT_TRUE(frame.beginFrame({}));
  ASSERT_TRUE(frame.beginDrawing());
  EXPECT_FALSE(frame.beginDrawing()) << "already open";
  EXPECT_FALSE(frame.beginFrame({})) << "clearing under an open drawing";
  EXPECT_TRUE(frame.endDrawing());
  EXPECT_FALSE(frame.endDrawing());
  EXPECT_EQ(frame.target().pixels, nullptr) << "closed pixels are not handed out";
  EXPECT_TRUE(frame.beginDrawing());
  EXPECT_FALSE(frame.endFrame()) << "drawing left open";
  EXPECT_FALSE(frame.isDrawing());
  EXPECT_FALSE(frame.inFrame());

  ASSERT_TRUE(frame.beginFrame({}));
  ASSERT_TRUE(frame.beginDrawing());
  ASSERT_TRUE(frame.resize(2, 2)) << "a resize ends everything";
  EXPECT_FALSE(frame.isDrawing());
  EXPECT_FALSE(frame.beginDrawing());
}

} // namespace
} // namespace vexmar

namespace vexmar {
namespace {

TEST(FrameBufferDepth, APlaneOnlyBufferHasNoDepthAndStillTakesFrames) {
  FrameBuffer frame;
  ASSERT_TRUE(frame.resize(8, 4, false));
  EXPECT_FALSE(frame.hasDepth());
  EXPECT_EQ(frame.depthBuffer(), nullptr);
  ASSERT_TRUE(frame.beginFrame({1, 2, 3}));
  ASSERT_TRUE(frame.beginDrawing());
  EXPECT_EQ(frame.target().width, 8);
  frame.endDrawing();
  EXPECT_TRUE(frame.endFrame());
  EXPECT_EQ(frame.pixel(7, 3), frame.backgroundPixel());
  ASSERT_TRUE(frame.resize(8, 4));
  EXPECT_TRUE(frame.hasDepth());
  EXPECT_EQ(frame.depth(7, 3), FrameBuffer::kFarDepth);
}

} // namespace
} // namespace vexmar
