// The node arena's blocks beyond the inline one.
#include "pattern/NodeArena.h"

#include <algorithm>

void* NodeArena::allocateInBlock(size_t size) {
  if (blocks_.empty() || blockUsed_ + size > blockSize_) {
    // The first extra block is sized for the rest of the pattern text, each
    // later one twice the last, up to 1 MB (or the node, if larger).
    size_t want = blockSize_ ? blockSize_ * 2 : std::max<size_t>(1024, 48 * textLength_);
    if (want > (size_t(1) << 20)) want = size_t(1) << 20;
    if (want < size) want = size;
    blocks_.emplace_back(new unsigned char[want]);
    blockSize_ = want;
    blockUsed_ = 0;
  }
  void* p = blocks_.back().get() + blockUsed_;
  blockUsed_ += size;
  return p;
}
