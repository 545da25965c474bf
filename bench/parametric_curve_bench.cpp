// A complete tracing of polar and parametric curves at resolution 1 (1,000 samples) on an
// 800 x 600 plane: what one full refresh costs after a zoom or a parameter change, and what a pan
// costs, which keeps the samples and traces their joins again for the moved window.
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/plane/parametric_curve_2d.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

using namespace vexmar;

struct Curve {
  const char* name;
  const char* text;
  int rangeIndex; // the coordinate whose range is set; -1 keeps the default
  double min, max;
};

#define XY "matrix[2,1,char[x],char[y]]"
constexpr std::array<Curve, 8> kCurves{{
    {"r = theta", "equal[char[r],char[theta]]", -1, 0, 0},
    {"r = sin 5 theta", "equal[char[r],sin[times[num[5,\"5\"],char[theta]]]]", -1, 0, 0},
    {"r = tan theta", "equal[char[r],tan[char[theta]]]", -1, 0, 0},
    {"r = 1/theta", "equal[char[r],over[num[1,\"1\"],char[theta]]]", 4, -12.566, 12.566},
    {"[cos 3t, sin 2t]",
     "equal[" XY ",matrix[2,1,cos[times[num[3,\"3\"],char[t]]],sin[times[num[2,\"2\"],char[t]]]]]", 6, 0,
     6.2832},
    {"[t, 1/t]", "equal[" XY ",matrix[2,1,char[t],over[num[1,\"1\"],char[t]]]]", 6, -1, 1},
    {"[tan t, t]", "equal[" XY ",matrix[2,1,tan[char[t]],char[t]]]", 6, -3, 3},
    {"[t, sqrt t]", "equal[" XY ",matrix[2,1,char[t],sqrt[char[t]]]]", 6, -2, 2},
}};
#undef XY

constexpr PixelRect kWindow{0, 0, 600, 800};
constexpr std::int64_t kUnlimited = std::int64_t{1} << 40;

CParametricCurve2D& build(CGraphContainer& container, const Curve& c) {
  if (c.rangeIndex >= 0) {
    container.setRange(c.rangeIndex, false, c.min);
    container.setRange(c.rangeIndex, true, c.max);
  }
  GraphBuildSettings settings;
  settings.resolutionA = 1.0;
  const int index = buildGraph(container, *prepareForEvaluation(*readObjectText(c.text)), false, settings);
  return dynamic_cast<CParametricCurve2D&>(*container.plane().graph(index));
}

void BM_TraceCurve(benchmark::State& state) {
  const Curve& c = kCurves[static_cast<std::size_t>(state.range(0))];
  CGraphContainer container(kWindow);
  CParametricCurve2D& curve = build(container, c);
  for (auto _ : state) {
    curve.invalidate();
    curve.work(kUnlimited);
    benchmark::DoNotOptimize(curve.trace().data());
  }
  state.SetLabel(std::string(c.name) + ", " + std::to_string(curve.trace().size()) + " points drawn");
}

void BM_PanCurve(benchmark::State& state) {
  const Curve& c = kCurves[static_cast<std::size_t>(state.range(0))];
  CGraphContainer container(kWindow);
  CParametricCurve2D& curve = build(container, c);
  curve.work(kUnlimited);
  int direction = 1;
  for (auto _ : state) {
    container.plane().moveAxes(direction * 16, 0);
    direction = -direction;
    curve.work(kUnlimited);
    benchmark::DoNotOptimize(curve.trace().data());
  }
  state.SetLabel(c.name);
}

void everyCurve(benchmark::internal::Benchmark* b) {
  for (int i = 0; i < static_cast<int>(kCurves.size()); ++i) b->Arg(i);
}

BENCHMARK(BM_TraceCurve)->Apply(everyCurve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanCurve)->Apply(everyCurve)->Unit(benchmark::kMillisecond);

} // namespace
