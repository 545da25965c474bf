#include "graph/space/parametric_surface.h"

namespace vexmar {} // namespace vexmar
