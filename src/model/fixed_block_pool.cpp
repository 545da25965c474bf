#include "model/fixed_block_pool.h"

#include "model/memory_reserve.h"

#include <algorithm>
#include <new>

namespace vexmar {

FixedBlockPool::FixedBlockPool(std::size_t blockSize, std::size_t initialCount, std::size_t chunkCount)
    : blockSize_(std::max(blockSize, sizeof(FreeBlock))), chunkCount_(chunkCount) {
  // Round up so that every block keeps the strictest fundamental alignment.
  const std::size_t align = alignof(std::max_align_t);
  blockSize_ = (blockSize_ + align - 1) / align * align;
  grow(initialCount);
}

FixedBlockPool::~FixedBlockPool() {
  // Blocks still in use at process exit belong to objects that outlive the pool; leave their
  // chunks alone rather than pull memory from under them.
  if (inUse_ != 0) return;
  for (void* chunk : chunks_) ::operator delete(chunk);
}

void FixedBlockPool::grow(std::size_t count) {
  void* chunk = ::operator new(blockSize_* count);
  chunks_.push_back(chunk);
  auto* bytes = static_cast<unsigned char*>(chunk);
  for (std::size_t i = count; i-- > 0;) {
    auto* block = reinterpret_cast<FreeBlock*>(bytes + i * blockSize_);
    block->next = freeList_;
    freeList_ = block;
  }
  freeCount_ += count;
  // Growing after the reserve was spent means memory is still short: latch the low state.
  memoryReserve().noteGrowth();
}

void* FixedBlockPool::allocate() {
  if (freeList_ == nullptr) grow(chunkCount_);
  FreeBlock* block = freeList_;
  freeList_ = block->next;
  --freeCount_;
  ++inUse_;
  return block;
}

void FixedBlockPool::release(void* block) noexcept {
  if (block == nullptr) return;
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = freeList_;
  freeList_ = freed;
  ++freeCount_;
  --inUse_;
}

} // namespace vexmar
