#pragma once
// The escape reader's result, shared by the compiler and the class reader.
#include "pattern/CharSet.h"
#include "pattern/PatternImpl.h"

template <class Ch> struct BasicPattern<Ch>::Escape {
  CharSetT<Ch> set;
  bool inverted = false;  // stands for every character not in the set
  bool quote = false;     // it was \Q
};

namespace patternlimits {
// Nesting of groups, alternatives, classes and named references while
// compiling; deeper patterns are rejected rather than overflowing the stack.
constexpr int kMaxNesting = 2000;
// Nodes one compiled pattern may hold (named references can multiply).
constexpr size_t kMaxNodes = 1u << 20;
}  // namespace patternlimits
