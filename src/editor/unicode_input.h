#pragma once

#include "editor/editor_command.h"

#include <vector>

namespace vexmar {

/// The commands a typed or pasted Unicode character stands for (− × ÷ · ² ³ √ π θ ≤ ≥ ≠ ± ∞, the
/// Greek letters...), in order; empty for a character with no meaning to the editor. A caret move
/// among them (as after ²) belongs to the character, not to the user's moves.
[[nodiscard]] std::vector<EditorCommand> unicodeCommands(char32_t character);

} // namespace vexmar
