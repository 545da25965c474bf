// Costs of the tree services every later subsystem leans on: copying (undo snapshots, the
// clipboard), comparing (the algebra), and the text form (documents, the clipboard).
#include "model/math_object.h"
#include "text/object_text.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vexmar;

// A sum of `terms` terms, each 3 x^2 / (y + 1): about 10 nodes a term.
ObjectPtr wideTree(int terms) {
  ObjectPtr sum = makeObject(ObjectKind::plus);
  for (int i = 0; i < terms; ++i) {
    ObjectPtr term = makeObject(ObjectKind::over,
                                makeObject(ObjectKind::times, makeNumber(3, "3"),
                                           makeObject(ObjectKind::power, makeChar('x'), makeNumber(2, "2"))),
                                makeObject(ObjectKind::plus, makeChar('y'), makeNumber(1, "1")));
    appendChild(*sum, std::move(term));
  }
  return sum;
}

ObjectPtr deepTree(int depth) {
  ObjectPtr root = makeChar('x');
  for (int i = 0; i < depth; ++i) root = makeObject(ObjectKind::id, std::move(root));
  return root;
}

void BM_CloneTree(benchmark::State& state) {
  const ObjectPtr tree = wideTree(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(cloneTree(*tree));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(countObjects(*tree)));
}
BENCHMARK(BM_CloneTree)->Arg(10)->Arg(1000);

void BM_TreeEqual(benchmark::State& state) {
  const ObjectPtr a = wideTree(static_cast<int>(state.range(0)));
  const ObjectPtr b = cloneTree(*a);
  for (auto _ : state) benchmark::DoNotOptimize(treeEqual(*a, *b));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(countObjects(*a)));
}
BENCHMARK(BM_TreeEqual)->Arg(1000);

void BM_WriteObjectText(benchmark::State& state) {
  const ObjectPtr tree = wideTree(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(writeObjectText(*tree));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(writeObjectText(*tree).size()));
}
BENCHMARK(BM_WriteObjectText)->Arg(1000);

void BM_ReadObjectText(benchmark::State& state) {
  const std::string text = writeObjectText(*wideTree(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(readObjectText(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadObjectText)->Arg(1000);

void BM_DeepTreeRoundTrip(benchmark::State& state) {
  const ObjectPtr tree = deepTree(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ObjectPtr copy = readObjectText(writeObjectText(*tree));
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_DeepTreeRoundTrip)->Arg(10000);

} // namespace
