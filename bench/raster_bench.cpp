#include "raster/frame_buffer.h"
#include "raster/pixel_routines.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace vexmar;

// A frame the size of a typical graph pane.
struct Frame {
  Frame() {
    (void)buffer.resize(800, 600);
    (void)buffer.beginFrame({255, 255, 255});
    (void)buffer.beginDrawing();
  }
  FrameBuffer buffer;
};

void BM_PlotLine(benchmark::State& state) {
  Frame frame;
  const PixelTarget target = frame.buffer.target();
  const PixelRoutineSet& routines = *pixelRoutines(target.format);
  int i = 0;
  for (auto _ : state) {
    routines.plotLine(target, target.bounds(), {-100, i % 600}, {900, 599 - i % 600}, {200, 50, 50});
    ++i;
  }
  benchmark::DoNotOptimize(frame.buffer.pixelBytes());
}
BENCHMARK(BM_PlotLine);

// A whole-pane inequality region, the largest map a graph hands over.
void BM_BlitMap(benchmark::State& state) {
  Frame frame;
  const PixelTarget target = frame.buffer.target();
  const PixelRoutineSet& routines = *pixelRoutines(target.format);
  std::vector<std::uint8_t> bytes(200 * 600, 0x5F); // codes 1, 1, 3, 3
  const TwoBitMap map{bytes, 200};
  for (auto _ : state) routines.blitMap(target, map, target.bounds(), target.bounds(), {40, 90, 200});
  benchmark::DoNotOptimize(frame.buffer.pixelBytes());
}
BENCHMARK(BM_BlitMap);

} // namespace
