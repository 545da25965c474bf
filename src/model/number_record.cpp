#include "model/number_record.h"

#include "model/fixed_block_pool.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace vexmar {
namespace {

FixedBlockPool& numberPool() {
  // Never destroyed: records owned by process-wide state may outlive any static destructor order.
  static auto* pool = new FixedBlockPool(sizeof(NumberRecord), 10, 200);
  return *pool;
}

} // namespace

std::string_view NumberRecord::displayText() const { return {text.data(), std::strlen(text.data())}; }

bool NumberRecord::setDisplayText(std::string_view newText) {
  const std::size_t n = std::min(newText.size(), kTextCapacity - 1);
  std::copy_n(newText.data(), n, text.data());
  std::fill(text.begin() + static_cast<std::ptrdiff_t>(n), text.end(), '\0');
  return n == newText.size();
}

void* NumberRecord::operator new(std::size_t size) {
  assert(size == sizeof(NumberRecord));
  (void)size;
  return numberPool().allocate();
}

void NumberRecord::operator delete(void* block) noexcept { numberPool().release(block); }

std::size_t numberRecordsInUse() { return numberPool().inUse(); }

} // namespace vexmar
