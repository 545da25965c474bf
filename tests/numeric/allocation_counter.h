#pragma once

#include <cstddef>

namespace vexmar::test {

/// Number of calls to the global operator new so far in this process.
std::size_t allocationCount();

} // namespace vexmar::test
