#pragma once
// The blocks the nodes of one compiled pattern are carved from. The first
// block lives inside the pattern object, so a short pattern costs one
// allocation; everything is released at once with the pattern.
#include <cstddef>
#include <memory>
#include <vector>

class NodeArena {
 public:
  // Every node is aligned for pointers and 64-bit words.
  static constexpr size_t kAlign = 8;

  // textLength sizes the first block beyond the inline one.
  explicit NodeArena(size_t textLength) : textLength_(textLength) {}
  NodeArena(const NodeArena&) = delete;
  NodeArena& operator=(const NodeArena&) = delete;

  void* allocate(size_t size) {
    size = (size + kAlign - 1) & ~(kAlign - 1);
    if (inlineUsed_ + size <= kInlineBytes) {
      void* p = inline_ + inlineUsed_;
      inlineUsed_ += size;
      return p;
    }
    return allocateInBlock(size);
  }

 private:
  // Small enough that the whole pattern object comes from the allocator's
  // fast path for small blocks.
  static constexpr size_t kInlineBytes = 704;

  void* allocateInBlock(size_t size);

  alignas(kAlign) unsigned char inline_[kInlineBytes];
  size_t inlineUsed_ = 0;
  size_t textLength_;
  size_t blockUsed_ = 0;
  size_t blockSize_ = 0;
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;
};
