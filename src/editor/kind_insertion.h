#pragma once

#include "model/insertion_point.h"

namespace vexmar {

/// Inserts an object of `kind` at the caret: by the caret's mode and the kind's shape it opens an
/// operand slot, wraps the selection, splits a product or takes the selection as an operand.
void insertKind(InsertionPoint& ip, ObjectKind kind);

} // namespace vexmar
