#pragma once
// The state one match operation reads and writes. It lives in the matcher;
// the nodes of a compiled graph hold none, so one graph serves many matchers.
#include <cstdint>

namespace patternlimits {
// Node visits allowed per match operation before it is stopped.
constexpr long long kStepBudget = 10000000;
// Stack the match recursion may use below the frame of the operation; less
// when the thread's stack has less room left.
constexpr uintptr_t kStackBudget = 2u * 1024u * 1024u;
// Kept free below the deepest match frame for whatever the caller needs.
constexpr uintptr_t kStackReserve = 64u * 1024u;
}  // namespace patternlimits

template <class Ch> struct MatchState {
  const Ch* s = nullptr;  // subject text
  int len = 0;

  // Group-indexed arrays, valid for -nonCaptureCount .. groupCount-1.
  int* groupStarts = nullptr;
  int* groupEnds = nullptr;
  int* loopCounts = nullptr;
  int* loopPositions = nullptr;
  int* loopSavedCounts = nullptr;

  int searchStart = 0;
  int groupCount = 0;
  int nonCaptureCount = 0;
  unsigned long mode = 0;  // bit 1: whole-text match

  long long steps = 0;
  long long stepBudget = patternlimits::kStepBudget;
  uintptr_t stackBase = 0;
  uintptr_t stackLimit = patternlimits::kStackBudget;
  bool limitHit = false;

  bool wholeMode() const { return (mode & 1u) != 0; }

  // Called before every node visit; false once a limit has stopped the
  // operation, after which every further visit is refused too.
  bool enter() {
    if (++steps > stepBudget) return stop();
    uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (stackBase > here && stackBase - here > stackLimit) return stop();
    return true;
  }

  bool stop() {
    limitHit = true;
    stepBudget = 0;
    steps = 1;
    return false;
  }

  // Characters scanned by a repetition loop cost a fraction of a visit, so
  // no loop runs unbounded either; the next visit enforces the budget.
  void charge(long long scanned) { steps += scanned >> 4; }

  void clearGroups() {
    searchStart = 0;
    for (int i = 0; i < groupCount; ++i) {
      groupStarts[i] = -1;
      groupEnds[i] = -1;
      loopCounts[i] = -1;
    }
    for (int i = 1; i <= nonCaptureCount; ++i) loopCounts[-i] = -1;
  }
};
