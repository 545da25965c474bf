#pragma once

#include "graph/graph_kinds.h"

namespace vexmar {

// The builders of the forms drawn in space: each rewrites its equation into Cartesian
// components of the graph's own variables and appends the graph to the 3D space.

} // namespace vexmar
