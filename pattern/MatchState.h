#pragma once
// The state one match operation reads and writes: the group arrays, the
// step budget and depth guard, and the failure memo. It lives in the
// matcher; the nodes of a compiled graph hold none, so one graph serves
// many matchers.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "pattern/PatternLimits.h"

// Whole-text match (matchesWhole) or search (findFirst, findNext): the
// search driver and the end node read it.
enum class MatchMode : unsigned char { Search = 0, Whole = 1 };

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
  MatchMode mode = MatchMode::Search;

  long long steps = 0;
  long long stepBudget = patternlimits::kStepBudget;
  uintptr_t stackFloor = 0;  // the lowest frame address a visit may have
  bool limitHit = false;

  // Failure memo: one bit per (node, position) that is known to fail in this
  // operation. Only for patterns whose nodes read no recorded state, where a
  // node's result depends on the position alone. Null while off.
  uint64_t* failed = nullptr;
  size_t failedStride = 0;  // len + 1
  // Per node, with the memo on: the lowest position an unbounded repetition
  // of any character has failed from; above every position until then.
  int* anyFailedFrom = nullptr;
  int memoNodes = 0;        // node count of an eligible pattern, else 0
  long long memoAfter = -1;  // steps before the memo starts; negative: never
  long long plannedMemoAfter = -1;
  long long plannedCheckpoint = patternlimits::kStepBudget;
  // A visit looks past the counter only once steps exceed this; while the
  // memo is on, at every visit.
  long long checkpoint = patternlimits::kStepBudget;
  uint64_t* memoBuf = nullptr;  // owned; kept for the next operation
  size_t memoWords = 0;
  int* anyBuf = nullptr;  // owned, as memoBuf
  size_t anyCap = 0;

  bool wholeMode() const { return mode == MatchMode::Whole; }

  // Every node visit counts a step, and once steps pass the checkpoint
  // calls pastCheckpoint(); both, and stackRoom(), are false once a limit
  // has stopped the operation, after which every further visit is refused.
  bool stackRoom() {
    uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (here < stackFloor) return stop();
    return true;
  }

  bool stop() {
    limitHit = true;
    stepBudget = 0;
    checkpoint = 0;
    steps = 1;
    return false;
  }

  // Where every operation's memo starts (steps; negative: never), and so
  // its first checkpoint. Set when the matcher is made or re-tuned.
  void planMemo(long long memoThreshold) {
    plannedMemoAfter = memoNodes > 0 ? memoThreshold : -1;
    plannedCheckpoint = plannedMemoAfter >= 0 && plannedMemoAfter < patternlimits::kStepBudget
                            ? plannedMemoAfter
                            : patternlimits::kStepBudget;
  }

  // Ready for an operation: budget full, memo off.
  void startOperation() {
    limitHit = false;
    steps = 0;
    stepBudget = patternlimits::kStepBudget;
    failed = nullptr;
    memoAfter = plannedMemoAfter;
    checkpoint = plannedCheckpoint;
  }

  bool known(int id, int pos) const {
    size_t bit = static_cast<size_t>(id) * failedStride + static_cast<size_t>(pos);
    return (failed[bit >> 6] >> (bit & 63)) & 1u;
  }
  void remember(int id, int pos) {
    size_t bit = static_cast<size_t>(id) * failedStride + static_cast<size_t>(pos);
    failed[bit >> 6] |= uint64_t(1) << (bit & 63);
  }
  bool inMemo(int id, int pos) const { return id >= 0 && id < memoNodes && pos >= 0 && pos <= len; }

  void releaseMemo() {
    delete[] memoBuf;
    memoBuf = nullptr;
    memoWords = 0;
    delete[] anyBuf;
    anyBuf = nullptr;
    anyCap = 0;
    failed = nullptr;
  }

  // Characters scanned by a repetition loop cost a fraction of a visit, so
  // no loop runs unbounded either; the next visit enforces the budget.
  void charge(long long scanned) { steps += scanned >> patternlimits::kScanPerStepShift; }

  // Past the budget: stop. Past the memo threshold: switch the memo on,
  // unless it would take more than its cap (the budget still bounds the
  // operation then).
  bool pastCheckpoint() {
    if (steps > stepBudget) return stop();
    if (failed) return true;
    checkpoint = stepBudget;
    if (memoAfter < 0) return true;
    memoAfter = -1;
    size_t stride = static_cast<size_t>(len) + 1;
    size_t nodes = static_cast<size_t>(memoNodes);
    if (nodes == 0 || stride > patternlimits::kMemoBits / nodes) return true;
    size_t words = (nodes * stride + 63) / 64;
    if (nodes > anyCap) {
      delete[] anyBuf;
      anyBuf = new (std::nothrow) int[nodes];
      anyCap = anyBuf ? nodes : 0;
      if (!anyBuf) return true;
    }
    if (words > memoWords) {
      delete[] memoBuf;
      memoBuf = new (std::nothrow) uint64_t[words];
      memoWords = memoBuf ? words : 0;
      if (!memoBuf) return true;
    }
    std::memset(memoBuf, 0, words * sizeof(uint64_t));
    for (size_t i = 0; i < nodes; ++i) anyBuf[i] = INT_MAX;
    anyFailedFrom = anyBuf;
    failedStride = stride;
    failed = memoBuf;
    checkpoint = -1;  // every visit now consults the memo
    return true;
  }

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
