#include "model/model_state.h"

#include "model/memory_reserve.h"

namespace vexmar {

ModelState& modelState() {
  static ModelState state;
  return state;
}

void resetModelState() {
  modelState() = ModelState{};
  memoryReserve().reset();
}

} // namespace vexmar
