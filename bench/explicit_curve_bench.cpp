// A complete sampling of y = f(x) across a 1,600-pixel-wide plane, in each curve mode: what one
// full refresh of an explicit curve costs after a zoom or a parameter change.
#include "graph/plane/explicit_curve.h"
#include "graph/plane/graph_plane.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>

namespace {

using namespace vexmar;

struct Function {
  const char* name;
  const char* text;
};

constexpr std::array<Function, 6> kFunctions{{
    {"x^2", "power[char[u],num[2,\"2\"]]"},
    {"sin x", "sin[char[u]]"},
    {"1/x", "over[num[1,\"1\"],char[u]]"},
    {"tan x", "tan[char[u]]"},
    {"sqrt x", "sqrt[char[u]]"},
    // sin(3x) e^(-x^2/4) + ln(1 + x^2) / (1 + |x|)
    {"longer", "plus[times[sin[times[num[3,\"3\"],char[u]]],exp[minus[over[power[char[u],num[2,\"2\"]],num[4,"
               "\"4\"]]]]],"
               "over[ln[plus[num[1,\"1\"],power[char[u],num[2,\"2\"]]]],plus[num[1,\"1\"],abs[char[u]]]]]"},
}};

constexpr PixelRect kWindow{0, 0, 1000, 1600};
constexpr std::int64_t kUnlimited = std::int64_t{1} << 40;

void BM_SampleCurve(benchmark::State& state) {
  const Function& f = kFunctions[static_cast<std::size_t>(state.range(0))];
  const int mode = static_cast<int>(state.range(1));
  const CGraphPlane plane(kWindow);
  CExplicitCurve curve(plane, std::make_unique<Evaluator>(readObjectText(f.text)), true,
                       std::make_unique<GraphStyle>(), mode);
  for (auto _ : state) {
    curve.invalidate();
    curve.work(kUnlimited);
    benchmark::DoNotOptimize(curve.samples().data());
  }
  state.SetLabel(std::string(f.name) + ", mode " + std::to_string(mode));
}

void functionsAndModes(benchmark::internal::Benchmark* b) {
  for (int mode = 0; mode <= 2; ++mode)
    for (int i = 0; i < static_cast<int>(kFunctions.size()); ++i) b->Args({i, mode});
}

BENCHMARK(BM_SampleCurve)->Apply(functionsAndModes)->Unit(benchmark::kMillisecond);

} // namespace
