// Counts global allocations so that tests can prove a hot path allocates nothing.
#include "allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t allocations = 0;
}

namespace vexmar::test {
std::size_t allocationCount() { return allocations; }
} // namespace vexmar::test

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
