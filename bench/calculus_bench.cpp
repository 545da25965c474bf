#include "algebra/derivative_steps.h"
#include "model/math_object.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

namespace vexmar {
namespace {

// The fifth derivative of sin(x e^(x^2)) / (1 + x^2)^(3/2).
constexpr const char* kFifthDerivative =
    "function[oppartial[char[x],num[5,\"5\"]],over[sin[times[char[x],power[char[e],power[char[x],num[2,\"2\"]"
    "]]]],"
    "power[plus[num[1,\"1\"],power[char[x],num[2,\"2\"]]],over[num[3,\"3\"],num[2,\"2\"]]]]]";

void FifthDerivative(benchmark::State& state) {
  const ObjectPtr source = readObjectText(kFifthDerivative);
  std::size_t size = 0;
  for (auto _ : state) {
    ObjectPtr tree = cloneTree(*source);
    convertDerivativesToInternal(*tree);
    runDerivativeEngine(*tree);
    convertDerivativesToEditor(*tree);
    size = countObjects(*tree);
    benchmark::DoNotOptimize(tree.get());
  }
  state.counters["nodes"] = static_cast<double>(size);
}
BENCHMARK(FifthDerivative)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vexmar
