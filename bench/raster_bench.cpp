#include "raster/frame_buffer.h"
#include "raster/pixel_routines.h"
#include "raster/rasteriser.h"

#include <benchmark/benchmark.h>

#include <cmath>
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

// A 65 x 65 sample surface (8,192 triangles), tilted and projected to fill most of the pane as a
// 3D graph does, drawn with depth; each frame clears the pixels and depths first.
std::vector<RasterVertex> projectedSurface(int samples, int width, int height) {
  std::vector<RasterVertex> vertices;
  for (int j = 0; j < samples; ++j)
    for (int i = 0; i < samples; ++i) {
      const double u = 2.0 * i / (samples - 1) - 1, v = 2.0 * j / (samples - 1) - 1;
      const double h = 0.3 * std::sin(3 * u) * std::cos(2 * v);
      // Turned 30 degrees about the vertical axis and tipped towards the viewer.
      const double x = 0.87 * u - 0.5 * v, depth = 0.5 * u + 0.87 * v;
      const double y = 0.5 * depth - 0.8 * h;
      const double shade = 0.5 + h;
      vertices.push_back({static_cast<float>(width * (0.5 + 0.4 * x)),
                          static_cast<float>(height * (0.5 + 0.45 * y)),
                          static_cast<float>(0.5 + 0.25 * depth), 1.0f, static_cast<float>(shade), 0.4f,
                          static_cast<float>(1 - shade), 0.0f});
    }
  return vertices;
}

void BM_SurfaceFrame(benchmark::State& state) {
  constexpr int kSamples = 65;
  FrameBuffer buffer;
  (void)buffer.resize(800, 600);
  const std::vector<RasterVertex> vertices = projectedSurface(kSamples, buffer.width(), buffer.height());
  auto at = [&](int i, int j) -> const RasterVertex& {
    return vertices[static_cast<std::size_t>(j * kSamples + i)];
  };
  for (auto _ : state) {
    (void)buffer.beginFrame({255, 255, 255});
    (void)buffer.beginDrawing();
    Rasteriser raster({buffer.target(), buffer.depthBuffer()});
    for (int j = 0; j + 1 < kSamples; ++j)
      for (int i = 0; i + 1 < kSamples; ++i) {
        raster.clipTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1));
        raster.clipTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1));
      }
    buffer.endDrawing();
    (void)buffer.endFrame();
    benchmark::DoNotOptimize(buffer.pixelBytes());
  }
  state.counters["triangles"] = 2.0 * (kSamples - 1) * (kSamples - 1);
}
BENCHMARK(BM_SurfaceFrame)->Unit(benchmark::kMillisecond);

} // namespace
