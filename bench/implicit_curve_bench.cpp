// Implicit curves and inequality regions computed to completion on an 800 x 600 plane at the
// default scale: what one full refresh costs after a zoom or a parameter change. Each run reports
// the interval evaluations it took beside the 480,000 that deciding every pixel on its own takes.
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/plane/implicit_curve.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

using namespace vexmar;

struct Relation {
  const char* name;
  const char* text;
};

#define X "char[x]"
#define Y "char[y]"
#define N(v) "num[" #v ",\"" #v "\"]"
#define SQ(a) "power[" a "," N(2) "]"
constexpr std::array<Relation, 12> kRelations{{
    {"x^2 + y^2 = 4", "equal[plus[" SQ(X) "," SQ(Y) "]," N(4) "]"},
    {"x^2 + y^2 < 4", "lessthan[plus[" SQ(X) "," SQ(Y) "]," N(4) "]"},
    {"x y = 1", "equal[times[" X "," Y "]," N(1) "]"},
    {"y^2 = x^3 - x", "equal[" SQ(Y) ",plus[power[" X "," N(3) "],minus[" X "]]]"},
    {"sin(x y) = 0", "equal[sin[times[" X "," Y "]]," N(0) "]"},
    {"sin(1/x) - y = 0", "equal[plus[sin[over[" N(1) "," X "]],minus[" Y "]]," N(0) "]"},
    {"sin x = cos y", "equal[sin[" X "],cos[" Y "]]"},
    {"y < sin x", "lessthan[" Y ",sin[" X "]]"},
    {"y < sqrt x", "lessthan[" Y ",sqrt[" X "]]"},
    {"discs touching at a point",
     "lessthan[times[plus[" SQ(X) "," SQ(Y) ",minus[" N(1) "]],plus[" SQ(
         "plus[" X ",minus[" N(2) "]]") "," SQ(Y) ",minus[" N(1) "]]]," N(0) "]"},
    {"x^2 + y^2 = -1", "equal[plus[" SQ(X) "," SQ(Y) "],minus[" N(1) "]]"},
    {"x <= y <= x", "leq[" X "," Y "," X "]"},
}};
#undef SQ
#undef N
#undef Y
#undef X

constexpr PixelRect kWindow{0, 0, 600, 800};
constexpr double kPixels = 800.0 * 600.0;
constexpr std::int64_t kUnlimited = std::int64_t{1} << 40;

CImplicitCurve& build(CGraphContainer& container, const Relation& r) {
  const int index = buildGraph(container, *prepareForEvaluation(*readObjectText(r.text)), false, {});
  return dynamic_cast<CImplicitCurve&>(*container.plane().graph(index));
}

void BM_ImplicitMap(benchmark::State& state) {
  const Relation& r = kRelations[static_cast<std::size_t>(state.range(0))];
  CGraphContainer container(kWindow);
  CImplicitCurve& curve = build(container, r);
  std::int64_t before = curve.intervalEvaluations();
  std::int64_t perMap = 0;
  for (auto _ : state) {
    curve.invalidate();
    curve.work(kUnlimited);
    perMap = curve.intervalEvaluations() - before;
    before = curve.intervalEvaluations();
  }
  state.counters["evaluations"] = static_cast<double>(perMap);
  state.counters["fewer"] = perMap > 0 ? kPixels / static_cast<double>(perMap) : 0.0;
  state.SetLabel(r.name);
}

// The reference: one interval evaluation of the relation over every pixel.
void BM_EveryPixel(benchmark::State& state) {
  const Relation& r = kRelations[static_cast<std::size_t>(state.range(0))];
  CGraphContainer container(kWindow);
  const CImplicitCurve& curve = build(container, r);
  const Evaluator& truth = curve.truth();
  const PlaneMapping& m = container.plane().mapping();
  for (auto _ : state) {
    int drawn = 0;
    for (int row = 0; row < 600; ++row)
      for (int column = 0; column < 800; ++column) {
        const IntervalValue v = truth.evalIntervalXY(m.xOf(column - 0.5), m.xOf(column + 0.5),
                                                     m.yOf(row + 0.5), m.yOf(row - 0.5));
        drawn += v.upper > 0;
      }
    benchmark::DoNotOptimize(drawn);
  }
  state.SetLabel(r.name);
}

// An animation through values seen before: each frame comes from the cache.
void BM_AnimateFromCache(benchmark::State& state) {
  CGraphContainer container(kWindow);
  CImplicitCurve& curve =
      build(container, {"x^2 + y^2 < a", "lessthan[plus[power[char[x],num[2,\"2\"]],power[char["
                                         "y],num[2,\"2\"]]],char[a]]"});
  for (int i = 1; i <= 10; ++i) {
    curve.parameterChanged('a', i);
    curve.work(kUnlimited);
  }
  int i = 0;
  for (auto _ : state) {
    curve.parameterChanged('a', 1 + i % 10);
    ++i;
    benchmark::DoNotOptimize(curve.isComplete());
  }
}

} // namespace

BENCHMARK(BM_ImplicitMap)->DenseRange(0, kRelations.size() - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EveryPixel)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimateFromCache)->Unit(benchmark::kMicrosecond);
