#include "graph/space/space_builders.h"

namespace vexmar {} // namespace vexmar
