#include "text/text_state.h"

#include "model/process_state.h"

namespace vexmar {
namespace {

const bool registered = (registerStateReset(StateLayer::Text, resetTextState), true);

} // namespace

TextState& textState() {
  static TextState state;
  return state;
}

void resetTextState() { textState() = TextState{}; }

} // namespace vexmar
