#pragma once

#include <cstddef>
#include <vector>

namespace vexmar {

/// A free list of equal-sized blocks that grows by fixed chunks; all chunks are released together
/// when the pool is destroyed. Blocks in use are counted so that tests can prove nothing leaks.
class FixedBlockPool {
public:
  FixedBlockPool(std::size_t blockSize, std::size_t initialCount, std::size_t chunkCount);
  ~FixedBlockPool();
  FixedBlockPool(const FixedBlockPool&) = delete;
  FixedBlockPool& operator=(const FixedBlockPool&) = delete;

  [[nodiscard]] void* allocate();
  void release(void* block) noexcept;

  [[nodiscard]] std::size_t inUse() const { return inUse_; }
  [[nodiscard]] std::size_t freeCount() const { return freeCount_; }
  [[nodiscard]] std::size_t capacity() const { return inUse_ + freeCount_; }

private:
  struct FreeBlock {
    FreeBlock* next;
  };
  void grow(std::size_t count);

  std::size_t blockSize_;
  std::size_t chunkCount_;
  FreeBlock* freeList_ = nullptr;
  std::size_t inUse_ = 0;
  std::size_t freeCount_ = 0;
  std::vector<void*> chunks_;
};

} // namespace vexmar
