#pragma once

#include "graph/coordinate_range.h"
#include "graph/graph_form.h"
#include "graph/graph_kinds.h"
#include "model/math_object.h"

#include <optional>

namespace vexmar {

// The builders of the forms drawn in space: each rewrites its equation into Cartesian
// components of the graph's own variables and appends the graph to the 3D space.

/// What a form is drawn as in space.
enum class SpaceGraphKind { Surface, Curve, VectorField };

/// The Cartesian components of an equation drawn in space, as trees: of u and v for a surface
/// (u running over `uRange`, v over `vRange`), of u over the t range for a curve, of x, y and z
/// for a vector field.
struct SpaceComponentTrees {
  SpaceGraphKind kind = SpaceGraphKind::Surface;
  ObjectPtr x;
  ObjectPtr y;
  ObjectPtr z;
  Coordinate uRange = Coordinate::U;
  Coordinate vRange = Coordinate::V;
};

/// The components of a form drawn in space, built from the equation (its lone variable on the
/// left) or, for an expression, from the expression itself; nothing for a form that space draws
/// otherwise or not at all.
[[nodiscard]] std::optional<SpaceComponentTrees> spaceComponentTrees(GraphForm form,
                                                                     const MathObject& equation);

/// Builds the graph of a form in space and appends it to the 3D space, which becomes the one
/// shown with the ranges the graph runs over; returns its index, or -1 when it makes none.
int addSpaceGraph(GraphForm form, GraphKindRequest& request);

/// The factory of one form in space, for the graph kind table.
template <GraphForm form> int addSpaceGraphOf(GraphKindRequest& request) {
  return addSpaceGraph(form, request);
}

} // namespace vexmar
