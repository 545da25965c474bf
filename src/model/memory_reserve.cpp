#include "model/memory_reserve.h"

#include "model/model_state.h"

#include <new>

namespace vexmar {
namespace {

void releaseReserveOnFailure() {
  // Give the failing allocation one more chance with the reserve's bytes; with nothing left,
  // uninstall ourselves so that operator new reports the failure.
  if (!memoryReserve().release()) std::set_new_handler(nullptr);
}

} // namespace

MemoryReserve::MemoryReserve() : reserve_(std::make_unique<unsigned char[]>(kReserveSize)) {}

void MemoryReserve::install() { std::set_new_handler(releaseReserveOnFailure); }

bool MemoryReserve::release() noexcept {
  if (!reserve_) return false;
  reserve_.reset();
  low_ = true;
  return true;
}

bool MemoryReserve::rearm() {
  if (!reserve_) {
    reserve_.reset(new (std::nothrow) unsigned char[kReserveSize]);
    if (!reserve_) return false;
  }
  low_ = false;
  std::set_new_handler(releaseReserveOnFailure);
  return true;
}

void MemoryReserve::noteGrowth() noexcept {
  if (!reserve_) low_ = true;
}

void MemoryReserve::reset() { rearm(); }

} // namespace vexmar
