#pragma once

#include "editor/editor_command.h"

namespace vexmar {

struct InsertionPoint;

/// Performs a layout adjustment (FirstLayoutAdjustment..LastLayoutAdjustment): shifts, paddings,
/// alignments and matrix flags of the selected object, or the global spacing constants. Returns
/// true when anything changed.
bool adjustLayout(InsertionPoint& ip, EditorCommand code);

} // namespace vexmar
