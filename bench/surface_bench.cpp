#include "graph/space/graph_space_3d.h"
#include "graph/space/parametric_surface.h"
#include "numeric/numeric_state.h"
#include "raster/frame_buffer.h"
#include "raster/rasteriser.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace vexmar;

std::unique_ptr<Evaluator> formula(const std::string& text) {
  return std::make_unique<Evaluator>(readObjectText(text));
}

// z = sin x · cos y as the components (u, v, sin u cos v) over [-2, 2]², 65 x 65 samples with
// analytic normals.
std::unique_ptr<CParametricSurface> waves(const CGraphSpace3D& space) {
  return std::make_unique<CParametricSurface>(
      space,
      SpaceComponents{formula("char[u]"), formula("char[v]"), formula("times[sin[char[u]],cos[char[v]]]")},
      nullptr, nullptr, space.heldRange(Coordinate::U), space.heldRange(Coordinate::V), 1.0, 1.0);
}

struct Scene {
  Scene() {
    resetNumericState();
    space.ranges[1] = space.ranges[2] = {-2, 2};
  }
  CGraphSpace3D space{PixelRect{0, 0, 600, 800}};
};

void BM_SurfaceSampling(benchmark::State& state) {
  Scene scene;
  auto surface = waves(scene.space);
  for (auto _ : state) {
    surface->invalidate();
    surface->compute(1'000'000);
    benchmark::DoNotOptimize(surface->boundingRadius());
  }
  state.counters["samples"] = surface->gridSize() * surface->gridSize();
}
BENCHMARK(BM_SurfaceSampling)->Unit(benchmark::kMicrosecond);

// One frame of the lit surface at 800 x 600 with depth, from the default view: clear, project,
// light, colour and draw.
void BM_SurfaceRender(benchmark::State& state) {
  Scene scene;
  auto surface = waves(scene.space);
  surface->compute(1'000'000);
  Camera camera;
  camera.update(defaultOrientation(), 800, 600, defaultViewingDistance(), surface->boundingRadius());
  const SurfaceLighting lighting{{0.48, 0.36, 0.8}, {0.6, 0.0, 0.8}};
  FrameBuffer buffer;
  (void)buffer.resize(800, 600);
  SpaceFrameCounters counters;
  for (auto _ : state) {
    (void)buffer.beginFrame({255, 255, 255});
    (void)buffer.beginDrawing();
    Rasteriser rasteriser({buffer.target(), buffer.depthBuffer()});
    counters = {};
    surface->render({rasteriser, camera, lighting, counters});
    buffer.endDrawing();
    (void)buffer.endFrame();
    benchmark::DoNotOptimize(buffer.pixelBytes());
  }
  state.counters["triangles"] = static_cast<double>(counters.trianglesDrawn);
}
BENCHMARK(BM_SurfaceRender)->Unit(benchmark::kMillisecond);

} // namespace
