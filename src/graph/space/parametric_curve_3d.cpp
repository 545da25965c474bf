#include "graph/space/parametric_curve_3d.h"

namespace vexmar {} // namespace vexmar
