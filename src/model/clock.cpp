#include "model/clock.h"

#include <chrono>

namespace vexmar {

std::int64_t SteadyClock::nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace vexmar
