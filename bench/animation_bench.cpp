// One frame of an animation on an 800 x 600 plane: the animated letter takes its next value, the
// graphs using it compute to completion and the picture is drawn. The slider steps at most every
// 100 ms, so a frame under 100 ms keeps the animation at its full 10 steps a second.
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/graph_picture.h"
#include "graph/plane/graph_2d.h"
#include "numeric/numeric_state.h"
#include "raster/frame_buffer.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

namespace {

using namespace vexmar;

constexpr PixelRect kWindow{0, 0, 600, 800};
constexpr std::int64_t kUnlimited = std::int64_t{1} << 40;

struct Animated {
  const char* name;
  const char* text;
};

constexpr std::array<Animated, 3> kAnimated{{
    {"y = a sin x + cos(a x)",
     "equal[char[y],plus[times[char[a],sin[char[x]]],cos[times[char[a],char[x]]]]]"},
    {"x^2 + a y^2 = 4",
     "equal[plus[power[char[x],num[2,\"2\"]],times[char[a],power[char[y],num[2,\"2\"]]]],num[4,\"4\"]]"},
    {"sin(a x y) < 0", "lessthan[sin[times[char[a],char[x],char[y]]],num[0,\"0\"]]"},
}};

// Frames through new values (`fresh`), or back and forth over ten values seen before.
void animate(benchmark::State& state, bool fresh) {
  const Animated& a = kAnimated[static_cast<std::size_t>(state.range(0))];
  resetNumericState();
  numericState().animatedVariable = 'a';
  numericState().animationValue = 1.0;
  CGraphContainer container(kWindow);
  buildGraph(container, *prepareForEvaluation(*readObjectText(a.text)), false, {});
  FrameBuffer frame;
  if (!frame.resize(800, 600, false)) {
    state.SkipWithError("no memory for the frame buffer");
    return;
  }
  const auto show = [&](double value) {
    applyParameterValue('a', value);
    container.parameterChanged('a', value);
    container.work(kUnlimited);
    drawGraphPicture(container, frame, nullptr);
  };
  for (int i = 0; i < 10; ++i) show(1.0 + 0.1 * i);
  int step = 0;
  for (auto _ : state) {
    ++step;
    show(fresh ? 2.0 + 1e-4 * step : 1.0 + 0.1 * (step % 10));
    benchmark::DoNotOptimize(frame.pixel(400, 300));
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.SetLabel(a.name);
}

void BM_AnimationFrame(benchmark::State& state) { animate(state, true); }
void BM_AnimationFrameSeenBefore(benchmark::State& state) { animate(state, false); }

} // namespace

BENCHMARK(BM_AnimationFrame)->DenseRange(0, kAnimated.size() - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimationFrameSeenBefore)->DenseRange(0, kAnimated.size() - 1)->Unit(benchmark::kMillisecond);
