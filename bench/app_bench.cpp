// How quickly the window answers a person: start-up to a usable window, a keystroke to the
// repainted equation, and Enter to the complete graph.
#include "numeric/numeric_state.h"

#include "app/equation_view.h"
#include "app/graph_view.h"
#include "app/main_window.h"
#include "app/vexmar_document.h"
#include "cli/key_script.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace vexmar {
namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "app_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  QApplication::setOrganizationName("Orvenda");
  QApplication::setApplicationName("VexmarBench");
  return *app;
}

CGraphView* graphViewOf(MainWindow& frame) { return frame.findChild<CGraphView*>(); }

void typeKeys(MainWindow& frame, const std::string& keys) {
  for (const KeyStroke& stroke : parseKeyScript(keys).strokes) frame.equationView().typeKeyStroke(stroke);
}

void BM_StartUpToUsableWindow(benchmark::State& state) {
  (void)application();
  for (auto _ : state) {
    auto frame = std::make_unique<MainWindow>();
    frame->show();
    // Usable: laid out and painted once, so the next keystroke is answered.
    frame->repaint();
    QApplication::processEvents();
    benchmark::DoNotOptimize(frame.get());
    state.PauseTiming();
    frame.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToUsableWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_KeystrokeToRepaint(benchmark::State& state) {
  (void)application();
  MainWindow frame;
  frame.show();
  QApplication::processEvents();
  typeKeys(frame, "y=x^2{Right}+3x-\\sqrt ");
  QWidget* viewport = frame.equationView().viewport();
  bool letter = true;
  for (auto _ : state) {
    // Typing and rubbing out keep the equation the same size from round to round.
    QTest::keyClick(&frame.equationView(), letter ? Qt::Key_A : Qt::Key_Backspace);
    viewport->repaint();
    letter = !letter;
  }
}
BENCHMARK(BM_KeystrokeToRepaint)->Unit(benchmark::kMicrosecond);

// The application must exist before the window. A shown window of the given size with `keys` typed into its
// first line; the graph pane, or null (the benchmark then skips with the reason).
CGraphView* windowWithEquation(MainWindow& frame, int width, int height, const char* keys,
                               benchmark::State& state) {
  frame.resize(width, height);
  frame.show();
  QApplication::processEvents();
  typeKeys(frame, keys);
  CGraphView* graph = graphViewOf(frame);
  if (graph == nullptr) state.SkipWithError("no graph pane");
  return graph;
}

void BM_EnterToCompleteGraph(benchmark::State& state, const char* keys) {
  (void)application();
  MainWindow frame;
  CGraphView* graph = windowWithEquation(frame, 800, 700, keys, state);
  if (graph == nullptr) return;
  for (auto _ : state) {
    graph->graphOff();
    QTest::keyClick(&frame.equationView(), Qt::Key_Return);
    graph->finishGraphs(60000);
    graph->repaint();
  }
}
BENCHMARK_CAPTURE(BM_EnterToCompleteGraph, parabola, "y=x^2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EnterToCompleteGraph, tangent, "y=\\tan x")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EnterToCompleteGraph, wave, "y=sin(3x)e^(-x^2{Right}/4)")->Unit(benchmark::kMillisecond);

// One frame of a turning surface in the window: a spin step, the picture drawn and presented.
// Its inverse is the frame rate a spinning surface can reach.
void BM_SpinningFrame(benchmark::State& state, const char* keys) {
  (void)application();
  MainWindow frame;
  CGraphView* graph = windowWithEquation(frame, 1000, 800, keys, state);
  if (graph == nullptr) return;
  QTest::keyClick(&frame.equationView(), Qt::Key_Return);
  graph->finishGraphs(60000);
  if (!graph->container().is3DActive()) {
    state.SkipWithError("the equation is not drawn in space");
    return;
  }
  for (auto _ : state) {
    graph->container().work(0);
    graph->repaint();
  }
  state.counters["pane_pixels"] = graph->width() * graph->height();
}
BENCHMARK_CAPTURE(BM_SpinningFrame, saddle, "z=x^2{Right}-y^2")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vexmar
