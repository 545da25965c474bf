// Evaluator speed beside the same expressions written as native functions (called through a
// pointer, one call per point, so each side pays one call per evaluation).
#include "numeric/evaluator.h"
#include "numeric/numeric_state.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace vexmar;

using Native = double (*)(double x, double y);

struct Expression {
  const char* name;
  std::string text;
  Native native;
};

// A sawtooth's Fourier series to 1000 terms: sin(kx)/k for k = 1..1000.
std::string fourierSum() {
  std::string text = "plus[";
  for (int k = 1; k <= 1000; ++k) {
    const std::string n = "num[" + std::to_string(k) + ",\"" + std::to_string(k) + "\"]";
    text += (k > 1 ? "," : "") + std::string("over[sin[times[") + n + ",char[x]]]," + n + "]";
  }
  return text + "]";
}

double nativeFourierSum(double x, double) {
  double sum = 0;
  for (int k = 1; k <= 1000; ++k) sum += std::sin(k * x) / k;
  return sum;
}

#define NATIVE(body)                                                                                         \
  [](double x, double y) -> double {                                                                         \
    (void)x;                                                                                                 \
    (void)y;                                                                                                 \
    return body;                                                                                             \
  }

const std::vector<Expression>& expressions() {
  static const std::vector<Expression> list = {
      {"poly2", "plus[power[char[x],num[2,\"2\"]],times[num[3,\"3\"],char[x]],num[1,\"1\"]]",
       NATIVE(std::pow(x, 2.0) + 3 * x + 1)},
      {"poly5",
       "plus[times[power[char[x],num[5,\"5\"]],num[2,\"2\"]],minus[times[num[3,\"3\"],power[char[x],num[3,"
       "\"3\"]]]],char[x]]",
       NATIVE(std::pow(x, 5.0) * 2 - 3 * std::pow(x, 3.0) + x)},
      {"rational", "over[plus[char[x],num[1,\"1\"]],plus[times[char[x],char[x]],num[1,\"1\"]]]",
       NATIVE((x + 1) / (x * x + 1))},
      {"trig", "plus[sin[char[x]],cos[char[y]]]", NATIVE(std::sin(x) + std::cos(y))},
      {"trigprod", "times[sin[times[num[3,\"3\"],char[x]]],cos[times[num[2,\"2\"],char[y]]]]",
       NATIVE(std::sin(3 * x) * std::cos(2 * y))},
      {"gauss", "exp[minus[plus[power[char[x],num[2,\"2\"]],power[char[y],num[2,\"2\"]]]]]",
       NATIVE(std::exp(-(std::pow(x, 2.0) + std::pow(y, 2.0))))},
      {"nested", "sin[cos[sin[char[x]]]]", NATIVE(std::sin(std::cos(std::sin(x))))},
      {"lnsqrt", "ln[sqrt[plus[power[char[x],num[2,\"2\"]],num[1,\"1\"]]]]",
       NATIVE(std::log(std::sqrt(std::pow(x, 2.0) + 1)))},
      {"repeated", "plus[sin[times[char[x],char[y]]],cos[times[char[x],char[y]]],times[char[x],char[y]]]",
       NATIVE(std::sin(x * y) + std::cos(x * y) + x * y)},
      {"mixed", "times[exp[times[num[0.1,\"0.1\"],char[x]]],sin[plus[char[x],char[y]]]]",
       NATIVE(std::exp(0.1 * x) * std::sin(x + y))},
      {"tanh", "tanh[over[char[x],plus[num[1,\"1\"],abs[char[y]]]]]",
       NATIVE(std::tanh(x / (1 + std::fabs(y))))},
      {"radius", "sqrt[plus[times[char[x],char[x]],times[char[y],char[y]]]]",
       NATIVE(std::sqrt(x * x + y * y))},
      {"sum1000", fourierSum(), nativeFourierSum},
  };
  return list;
}

#undef NATIVE

// Every variant sees the same arguments, whatever number of iterations it runs: x cycles through
// [0.1, 0.5], so that functions whose cost depends on the argument cost the same on each side.
double nextX(int& step) { return 0.1 + 1e-4 * (++step & 4095); }

std::unique_ptr<Evaluator> compiled(const std::string& text) {
  auto e = std::make_unique<Evaluator>(readObjectText(text));
  compileBatch({e.get()});
  return e;
}

void BM_Point(benchmark::State& state) {
  const Expression& ex = expressions()[static_cast<std::size_t>(state.range(0))];
  auto e = compiled(ex.text);
  double x = 0.1, y = 0.3, sum = 0;
  int step = 0;
  for (auto _ : state) {
    sum += e->evalUVXYZ(0, 0, x, y, 0);
    x = nextX(step);
  }
  benchmark::DoNotOptimize(sum);
  state.SetLabel(ex.name);
}

void BM_Native(benchmark::State& state) {
  const Expression& ex = expressions()[static_cast<std::size_t>(state.range(0))];
  Native f = ex.native;
  benchmark::DoNotOptimize(f);
  double x = 0.1, y = 0.3, sum = 0;
  int step = 0;
  for (auto _ : state) {
    sum += f(x, y);
    x = nextX(step);
  }
  benchmark::DoNotOptimize(sum);
  state.SetLabel(ex.name);
}

void BM_Interval(benchmark::State& state) {
  const Expression& ex = expressions()[static_cast<std::size_t>(state.range(0))];
  auto e = compiled(ex.text);
  double x = 0.1, sum = 0;
  int step = 0;
  for (auto _ : state) {
    const IntervalValue v = e->evalIntervalXY(x, x + 0.01, 0.3, 0.31);
    sum += v.upper;
    x = nextX(step);
  }
  benchmark::DoNotOptimize(sum);
  state.SetLabel(ex.name);
}

// A 65 x 65 grid: hoisting moves the one-variable parts out of the inner loop.
void BM_Grid65(benchmark::State& state) {
  const Expression& ex = expressions()[static_cast<std::size_t>(state.range(0))];
  auto e = std::make_unique<Evaluator>(readObjectText(ex.text));
  e->renameVariable('x', 'u');
  e->renameVariable('y', 'v');
  std::unique_ptr<GridBlock> block = compileGridBatch({e.get()});
  double sum = 0, start = 0;
  for (auto _ : state) {
    prepareGrid(start, -1, 2.0 / 64, 2.0 / 64, 65, 65, *block);
    for (int i = 0; i < 65; ++i)
      for (int j = 0; j < 65; ++j) sum += e->evalGridPoint(i, j, *block);
    start += 1e-9; // a new grid each time, as a moved view would be
  }
  benchmark::DoNotOptimize(sum);
  state.SetLabel(ex.name);
  state.SetItemsProcessed(state.iterations() * 65 * 65);
}

void BM_NativeGrid65(benchmark::State& state) {
  const Expression& ex = expressions()[static_cast<std::size_t>(state.range(0))];
  Native f = ex.native;
  benchmark::DoNotOptimize(f);
  double sum = 0, start = 0;
  for (auto _ : state) {
    for (int i = 0; i < 65; ++i)
      for (int j = 0; j < 65; ++j) sum += f(start + i * 2.0 / 64, -1 + j * 2.0 / 64);
    start += 1e-9;
  }
  benchmark::DoNotOptimize(sum);
  state.SetLabel(ex.name);
  state.SetItemsProcessed(state.iterations() * 65 * 65);
}

BENCHMARK(BM_Point)->DenseRange(0, 12);
BENCHMARK(BM_Native)->DenseRange(0, 12);
BENCHMARK(BM_Interval)->DenseRange(0, 12);
BENCHMARK(BM_Grid65)->DenseRange(0, 12);
BENCHMARK(BM_NativeGrid65)->DenseRange(0, 12);

} // namespace
