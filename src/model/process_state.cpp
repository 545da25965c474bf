#include "model/process_state.h"

#include <array>
#include <cstddef>

namespace vexmar {
namespace {

using Resets = std::array<void (*)(), static_cast<std::size_t>(StateLayer::Count)>;

// A function-local table, so that registration from other files' static initialisers finds it
// built whatever their order.
Resets& resets() {
  static Resets table{};
  return table;
}

} // namespace

void registerStateReset(StateLayer layer, void (*reset)()) {
  resets()[static_cast<std::size_t>(layer)] = reset;
}

void resetProcessState() {
  const Resets& table = resets();
  for (std::size_t i = table.size(); i-- > 0;)
    if (table[i]) table[i]();
}

} // namespace vexmar
