// Density plots, contour plots and vector fields of an 800 x 600 plane computed to completion, at
// the finest and the default resolution: what one full refresh costs after a zoom or a parameter
// change.
#include "graph/plane/contour_plot.h"
#include "graph/plane/density_plot.h"
#include "graph/plane/graph_plane.h"
#include "graph/plane/vector_field_2d.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using namespace vexmar;

struct Function {
  const char* name;
  const char* text;
};

constexpr std::array<Function, 4> kFunctions{{
    {"sin(x y)", "sin[times[char[x],char[y]]]"},
    {"x^2 - y^2", "plus[power[char[x],num[2,\"2\"]],minus[power[char[y],num[2,\"2\"]]]]"},
    {"1/(x y)", "over[num[1,\"1\"],times[char[x],char[y]]]"},
    {"r sin 3 theta", "times[char[r],sin[times[num[3,\"3\"],char[theta]]]]"},
}};

constexpr PixelRect kWindow{0, 0, 600, 800};
constexpr std::int64_t kUnlimited = std::int64_t{1} << 40;
constexpr std::array<double, 2> kResolutions{1.0, 0.5};

template <class Plot> void BM_Plot(benchmark::State& state) {
  const Function& f = kFunctions[static_cast<std::size_t>(state.range(0))];
  const double resolution = kResolutions[static_cast<std::size_t>(state.range(1))];
  const CGraphPlane plane(kWindow);
  Plot plot(plane, SampledFunction(*readObjectText(f.text)), std::make_unique<GraphStyle>(), resolution);
  for (auto _ : state) {
    plot.invalidate();
    plot.work(kUnlimited);
    benchmark::ClobberMemory();
  }
  state.SetLabel(std::string(f.name) + ", resolution " + std::to_string(resolution).substr(0, 3));
}

void functionsAndResolutions(benchmark::internal::Benchmark* b) {
  for (int r = 0; r < static_cast<int>(kResolutions.size()); ++r)
    for (int i = 0; i < static_cast<int>(kFunctions.size()); ++i) b->Args({i, r});
}

BENCHMARK(BM_Plot<CDensityPlot>)->Apply(functionsAndResolutions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Plot<CContourPlot>)->Apply(functionsAndResolutions)->Unit(benchmark::kMillisecond);

void BM_VectorField(benchmark::State& state) {
  const CGraphPlane plane(kWindow);
  // [x, y] / r^2, the field of a source at the origin.
  const char* r2 = "plus[power[char[x],num[2,\"2\"]],power[char[y],num[2,\"2\"]]]";
  CVectorField2D field(plane,
                       std::make_unique<Evaluator>(readObjectText(std::string("over[char[x],") + r2 + "]")),
                       std::make_unique<Evaluator>(readObjectText(std::string("over[char[y],") + r2 + "]")),
                       std::make_unique<GraphStyle>(), 1.0);
  for (auto _ : state) {
    field.invalidate();
    field.work(kUnlimited);
    benchmark::DoNotOptimize(field.samples().data());
  }
  state.SetLabel("[x, y] / r^2, resolution 1");
}

BENCHMARK(BM_VectorField)->Unit(benchmark::kMicrosecond);

} // namespace
