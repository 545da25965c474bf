#include "typeset/typesetting_state.h"

namespace vexmar {

TypesettingState& typesettingState() {
  static TypesettingState state;
  return state;
}

void resetTypesettingState() { typesettingState() = TypesettingState{}; }

} // namespace vexmar
