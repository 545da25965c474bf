#pragma once

#include <cstddef>
#include <memory>

namespace vexmar {

/// The 32,768-byte block held against running out of memory, and the latched low-memory state.
/// While the state is set the editor refuses commands that would build new objects.
class MemoryReserve {
public:
  static constexpr std::size_t kReserveSize = 32768;

  MemoryReserve();

  /// Installs the allocation-failure handler that releases the reserve.
  void install();
  /// Releases the reserve; called by the allocation-failure handler, and by tests.
  /// Returns false when there was no reserve left to release.
  bool release() noexcept;
  /// Tries to take the reserve again; on success the low-memory state is cleared.
  bool rearm();
  /// Called after a pool grew: growth without a reserve latches the low-memory state.
  void noteGrowth() noexcept;

  [[nodiscard]] bool isLow() const { return low_; }
  [[nodiscard]] bool hasReserve() const { return reserve_ != nullptr; }
  /// Back to the start-up state: reserve held, state clear.
  void reset();

private:
  std::unique_ptr<unsigned char[]> reserve_;
  bool low_ = false;
};

/// The process-wide reserve (kept in the model's state).
MemoryReserve& memoryReserve();

} // namespace vexmar
