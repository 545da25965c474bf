#pragma once

#include "editor/editor_command.h"

namespace vexmar {

struct InsertionPoint;

/// Performs a layout adjustment (0x1700..0x17FF): shifts, paddings, alignments and matrix
/// flags of the selected object, or the global spacing constants. Returns true when anything
/// changed.
bool adjustLayout(InsertionPoint& ip, EditorCommand code);

} // namespace vexmar
