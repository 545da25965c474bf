#include "model/model_state.h"

#include "model/process_state.h"

namespace vexmar {
namespace {

const bool registered = (registerStateReset(StateLayer::Model, resetModelState), true);

} // namespace

ModelState& modelState() {
  static ModelState state;
  return state;
}

void resetModelState() {
  modelState() = ModelState{};
  // As at start-up: the reserve held and the handler that releases it installed.
  memoryReserve().reset();
}

MemoryReserve& memoryReserve() { return modelState().memoryReserve; }

Clock& steadyClock() { return modelState().clock; }

} // namespace vexmar
