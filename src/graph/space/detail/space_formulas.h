#pragma once

#include "graph/graph_messages.h"
#include "graph/space/parametric_surface.h"
#include "raster/rasteriser.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>

namespace vexmar::detail {

/// What a curve or a vector field in space evaluates: three components and the condition, if any.
struct SpaceFormulas {
  SpaceComponents components;
  std::unique_ptr<Evaluator> condition;

  void compile() {
    // A missing component is undefined everywhere rather than a null to trip over.
    for (std::unique_ptr<Evaluator>* c : {&components.x, &components.y, &components.z})
      if (!*c) *c = std::make_unique<Evaluator>(makeNumber(std::numeric_limits<double>::quiet_NaN()));
    // The components share their common parts; the condition reads the point they give.
    compileBatch({components.x.get(), components.y.get(), components.z.get()});
    if (condition) compileBatch({condition.get()});
  }

  /// True when a formula uses the letter; they are then compiled again, since a parameter's value
  /// is baked in when compiling.
  bool recompileIfUses(std::uint16_t letter) {
    for (const Evaluator* e : {components.x.get(), components.y.get(), components.z.get(), condition.get()}) {
      if (e == nullptr || !e->dependsOnVariable(letter)) continue;
      compile();
      return true;
    }
    return false;
  }
};

/// None when some sample is valid, else the status of a graph with nothing to show in the ranges.
[[nodiscard]] inline GraphStatus statusOfSamples(std::span<const std::uint8_t> validFlags) {
  return std::find(validFlags.begin(), validFlags.end(), 1) != validFlags.end()
             ? GraphStatus::None
             : GraphStatus::UndefinedOrInfiniteForRanges;
}

} // namespace vexmar::detail
