#include "graph/space/vector_field_3d.h"

namespace vexmar {} // namespace vexmar
