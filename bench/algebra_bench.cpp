// Costs of Simplify and Expand on the shapes that grow fastest: a product of binomials
// multiplied out, and a long sum whose like terms collect.
#include "algebra/simplify.h"
#include "model/math_object.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vexmar;

// (a + b)(c + d)...: `count` binomials over distinct letters, 2^count terms once expanded.
ObjectPtr productOfBinomials(int count) {
  ObjectPtr product = makeObject(ObjectKind::times);
  for (int i = 0; i < count; ++i) {
    const auto first = static_cast<std::uint16_t>('a' + 2 * i);
    appendChild(*product, makeObject(ObjectKind::plus, makeChar(first), makeChar(first + 1)));
  }
  return product;
}

void expandBinomialProduct(benchmark::State& state) {
  const ObjectPtr source = productOfBinomials(static_cast<int>(state.range(0)));
  const SimplifyOptions expand{.expandMode = true};
  int terms = 0;
  for (auto _ : state) {
    ObjectPtr copy = cloneTree(*source);
    rewritePass(*copy, expand);
    terms = copy->childCount();
    benchmark::DoNotOptimize(terms);
  }
  state.counters["terms"] = terms;
}
BENCHMARK(expandBinomialProduct)->Arg(8)->Arg(12)->Unit(benchmark::kMillisecond);

// 3x + 5y + 7x + ...: `terms` terms over a few letters, collected to one term per letter.
void collectLikeTerms(benchmark::State& state) {
  const int terms = static_cast<int>(state.range(0));
  ObjectPtr sum = makeObject(ObjectKind::plus);
  for (int i = 0; i < terms; ++i)
    appendChild(*sum, makeObject(ObjectKind::times, makeNumber(i % 7 + 1),
                                 makeChar(static_cast<std::uint16_t>('p' + i % 5))));
  for (auto _ : state) {
    ObjectPtr copy = cloneTree(*sum);
    rewritePass(*copy, SimplifyOptions{});
    benchmark::DoNotOptimize(copy->childCount());
  }
}
BENCHMARK(collectLikeTerms)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

} // namespace
