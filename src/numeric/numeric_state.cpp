#include "numeric/numeric_state.h"

#include "model/process_state.h"

namespace vexmar {
namespace {

const bool registered = (registerStateReset(StateLayer::Numeric, resetNumericState), true);

} // namespace

NumericState& detail::firstNumericState() {
  static NumericState state;
  numericStateInstance.store(&state, std::memory_order_release);
  return state;
}

void resetNumericState() { numericState() = NumericState{}; }

void NumericState::ensureSlots(int count) {
  if (count <= static_cast<int>(slots.size())) return;
  slots.resize(static_cast<std::size_t>(count), 0.0);
  intervalSlots.resize(static_cast<std::size_t>(count), IntervalValue{0.0, 0.0});
}

} // namespace vexmar
