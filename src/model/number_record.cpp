#include "model/number_record.h"

#include "model/fixed_block_pool.h"

#include <algorithm>
#include <cassert>
#include <charconv>
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

double NumberRecord::textValue(char separator) const {
  // Independent of the C locale: the separator is the user's, not the C library's.
  std::array<char, kTextCapacity> plain{};
  const std::string_view shown = displayText();
  std::size_t n = 0;
  for (char c : shown) plain[n++] = c == separator ? '.' : c;
  const char* begin = plain.data();
  if (n > 0 && *begin == '+') ++begin;
  double value = 0.0;
  std::from_chars(begin, plain.data() + n, value);
  return value;
}

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
