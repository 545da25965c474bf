#pragma once

#include "model/math_object.h"

namespace vexmar {

class CGraphContainer;

/// What an equation's inequalities after the comma (or a whole inequality) become: the
/// conjunction of two-operand comparisons, and the product of the differences whose zero set is
/// the region's boundary.
struct ConditionTrees {
  ObjectPtr conjunction;
  ObjectPtr boundary;
};

/// Splits a chain a0 op a1 op a2 ... into (a0 op a1) ∧ (a1 op a2) ∧ ... with the boundary
/// (a0 - a1)(a1 - a2)...; a comparison of fewer than two operands gives nothing.
[[nodiscard]] ConditionTrees splitInequality(const MathObject& chain);

/// The settings of an equation that a graph is built with.
struct GraphBuildSettings {
  double colourIndex = 1.0;
  double resolutionA = 0.5;
  double resolutionB = 1.0;
  double curveMode = 2.0;
  double plotStyle = 1.0;
};

/// Builds the graph of one prepared equation tree into the container; returns its index in
/// the list of its space, or -1 when the equation makes no graph.
int buildGraph(CGraphContainer& container, const MathObject& tree, bool for3D,
               const GraphBuildSettings& settings);

/// A copy of an equation ready for the compiler: grouping removed, derivatives worked out.
[[nodiscard]] ObjectPtr prepareForEvaluation(const MathObject& tree);

} // namespace vexmar
