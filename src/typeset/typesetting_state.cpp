#include "typeset/typesetting_state.h"

#include "model/process_state.h"

namespace vexmar {
namespace {

const bool registered = (registerStateReset(StateLayer::Typeset, resetTypesettingState), true);

} // namespace

TypesettingState& typesettingState() {
  static TypesettingState state;
  return state;
}

void resetTypesettingState() { typesettingState() = TypesettingState{}; }

} // namespace vexmar
