#pragma once
// Every limit of the pattern engine, with the reason for it. A compile or a
// match that reaches one ends in an orderly way (a syntax error report, or
// "no match" with limitHit()); nothing overflows the stack or runs unbounded.
#include <climits>
#include <cstddef>
#include <cstdint>

namespace patternlimits {

// ---------------------------------------------------------------- matching

// Node visits one match operation may make: catastrophic backtracking on a
// hostile line ends here instead of hanging the run.
constexpr long long kStepBudget = 10000000;
// Characters a repetition loop scans for the price of one visit, as a power
// of two (16): loops are cheap, but no loop runs free of the budget.
constexpr int kScanPerStepShift = 4;
// Stack the match recursion may use below the frame of the operation; less
// when the thread's stack has less room left.
constexpr uintptr_t kStackBudget = 2u * 1024u * 1024u;
// Kept free below the deepest match frame for whatever the caller needs.
constexpr uintptr_t kStackReserve = 64u * 1024u;
// Offsets are ints: a longer subject text never matches.
constexpr size_t kMaxTextLength = static_cast<size_t>(INT_MAX - 2);
// Node visits an operation makes before it starts remembering failures, so
// ordinary lines never pay for the memo.
constexpr long long kMemoAfter = 10000;
// Most (node, position) bits the memo of one operation may take (8 MB).
constexpr size_t kMemoBits = size_t(64) << 20;
// Nodes that test nothing (group marks, pass-through nodes) the look at
// what follows a repetition walks over before it gives up.
constexpr int kEntryTestHops = 64;

// ---------------------------------------------------------------- compiling

// Pattern texts longer than this are rejected, so every node count and
// position stays far from int overflow.
constexpr size_t kMaxPatternLength = static_cast<size_t>(INT_MAX / 4);
// Nesting of groups, alternatives, classes and named references; deeper
// patterns are rejected rather than overflowing the compiler's stack.
constexpr int kMaxNesting = 2000;
// Nodes one compiled pattern may hold (named references can multiply them).
constexpr size_t kMaxNodes = 1u << 20;
// Characters one wide range may span; longer and reversed wide ranges are
// syntax errors (narrow ranges wrap around through 255 and 0 instead).
constexpr long long kMaxWideRange = 300;

}  // namespace patternlimits
