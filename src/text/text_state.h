#pragma once

namespace vexmar {

/// The text layer's process-wide state: how many significant digits numbers are shown with.
/// (The decimal separator is the model's, shared with the editor and the text form.)
struct TextState {
  int sigFigs = 8;
};

[[nodiscard]] TextState& textState();
/// Back to the start-up state.
void resetTextState();

} // namespace vexmar
