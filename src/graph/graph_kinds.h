#pragma once

#include "graph/graph_builder.h"
#include "graph/graph_form.h"
#include "graph/graph_style.h"
#include "model/math_object.h"
#include "numeric/evaluator.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>

namespace vexmar {

class CGraphContainer;

/// What buildGraph has prepared for a graph kind: everything a kind may need, so that each kind
/// takes its own part and none needs the builder's working.
struct GraphKindRequest {
  CGraphContainer& container;
  /// The equation without its conditions; a lone variable written on the right is on the left.
  const MathObject& equation;
  const MathObject* right; ///< the equation's right side; null when it is an expression
  std::unique_ptr<GraphStyle> style;
  int curveMode; ///< 0, 1 or 2
  const GraphBuildSettings& settings;
  /// The inequalities after the comma, joined and compiled; null when the form takes none.
  std::unique_ptr<Evaluator> condition;
  /// An inequality region's comparisons, conditions included, and the product of differences
  /// whose zero set is its boundary; null for every other form.
  ObjectPtr regionTest;
  ObjectPtr regionBoundary;
};

/// Builds one kind of graph into its space (the plane or the 3D space of the request's
/// container); returns its index in that space's list, or -1 when it makes none.
using GraphKindFactory = int (*)(GraphKindRequest& request);

/// The factory of a form in the plane or in space; null for a form with no graph kind there yet
/// and for a code outside the forms.
[[nodiscard]] GraphKindFactory graphKindFactory(GraphForm form, bool for3D);

/// A fresh copy of a subtree with letters renamed, compiled on its own: how the builder and the
/// kinds compile what they evaluate.
[[nodiscard]] std::unique_ptr<Evaluator>
compileRenamed(const MathObject& tree,
               std::initializer_list<std::pair<std::uint16_t, std::uint16_t>> renames);

} // namespace vexmar
