// Cost of laying out and drawing an equation line: every node measured, placed and drawn, as the
// equation view does after each edit. With the app built, also with the real fonts through Qt.
#include "model/insertion_point.h"
#include "typeset/fixed_font.h"
#include "typeset/typesetter.h"

#ifdef VEXMAR_BENCH_QT
#include "app/typesetting_session.h"
#endif

#include <benchmark/benchmark.h>

namespace {

using namespace vexmar;

// A sum of `terms` terms 3 x^2 / (y + 1): nine nodes a term, so 111 terms make 1,000 nodes.
ObjectPtr polynomial(int terms) {
  ObjectPtr sum = makeObject(ObjectKind::plus);
  for (int i = 0; i < terms; ++i) {
    appendChild(*sum, makeObject(ObjectKind::over,
                                 makeObject(ObjectKind::times, makeNumber(3, "3"),
                                            makeObject(ObjectKind::power, makeChar('x'), makeNumber(2, "2"))),
                                 makeObject(ObjectKind::plus, makeChar('y'), makeNumber(1, "1"))));
  }
  return sum;
}

class NullSurface final : public DrawingSurface {
public:
  void drawText(const FontFace&, Fixed x, Fixed, std::string_view) override { benchmark::DoNotOptimize(x); }
  void drawLine(Fixed x0, Fixed, Fixed, Fixed, Fixed) override { benchmark::DoNotOptimize(x0); }
  void fillRectangle(Fixed, Fixed, Fixed, Fixed, Fill) override {}
  void setClip(Fixed, Fixed, Fixed, Fixed) override {}
  void clearClip() override {}
};

void layoutLoop(benchmark::State& state, Typesetter& typesetter, Fixed wrapWidth) {
  auto line = createLineState();
  line->setRoot(polynomial(static_cast<int>(state.range(0))));
  line->wrapWidth = wrapWidth;
  const auto nodes = static_cast<std::int64_t>(countObjects(*line->root));
  for (auto _ : state) {
    typesetter.layoutLine(*line);
    benchmark::DoNotOptimize(line->root->width);
  }
  state.counters["nodes"] = static_cast<double>(nodes);
  state.SetItemsProcessed(state.iterations() * nodes);
}

void BM_LayoutFixedFonts(benchmark::State& state) {
  FixedFontServices fonts;
  Typesetter typesetter(fonts);
  layoutLoop(state, typesetter, toFixed(10000));
}
BENCHMARK(BM_LayoutFixedFonts)->Arg(11)->Arg(111);

// The same line broken into display lines 600 pixels wide: two measuring passes and the cuts.
void BM_LayoutAndBreakFixedFonts(benchmark::State& state) {
  FixedFontServices fonts;
  Typesetter typesetter(fonts);
  layoutLoop(state, typesetter, toFixed(600));
}
BENCHMARK(BM_LayoutAndBreakFixedFonts)->Arg(111);

void BM_DrawFixedFonts(benchmark::State& state) {
  FixedFontServices fonts;
  Typesetter typesetter(fonts);
  auto line = createLineState();
  line->setRoot(polynomial(static_cast<int>(state.range(0))));
  typesetter.layoutLine(*line);
  NullSurface surface;
  for (auto _ : state) typesetter.drawLine(*line, surface, 0, 0);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(countObjects(*line->root)));
}
BENCHMARK(BM_DrawFixedFonts)->Arg(111);

#ifdef VEXMAR_BENCH_QT
void BM_LayoutRealFonts(benchmark::State& state) {
  TypesettingSession session;
  layoutLoop(state, session.typesetter(), toFixed(10000));
}
BENCHMARK(BM_LayoutRealFonts)->Arg(11)->Arg(111);
#endif

} // namespace
