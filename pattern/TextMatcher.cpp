// A matcher applies one compiled pattern to one text and holds the state
// its nodes read and write.
#include <pthread.h>

#include <climits>

#include "pattern/Nodes.h"
#include "pattern/Pattern.h"

namespace {

// Lowest address of this thread's stack, looked up once per thread; 0 when
// it cannot be told.
uintptr_t stackLowEnd() {
  thread_local uintptr_t low = [] {
    uintptr_t result = 0;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* addr = nullptr;
      size_t size = 0;
      if (pthread_attr_getstack(&attr, &addr, &size) == 0) result = reinterpret_cast<uintptr_t>(addr);
      pthread_attr_destroy(&attr);
    }
    return result;
  }();
  return low;
}

// How deep the match recursion may go from the frame at here.
uintptr_t stackLimitFrom(uintptr_t here) {
  uintptr_t limit = patternlimits::kStackBudget;
  uintptr_t low = stackLowEnd();
  if (low && here > low) {
    uintptr_t room = here - low;
    room = room > 2 * patternlimits::kStackReserve ? room - patternlimits::kStackReserve : room / 2;
    if (room < limit) limit = room;
  }
  return limit;
}

// One freed matcher block per thread: a matcher made and freed per line
// then costs no round trip through the allocator. Off under the address
// sanitizer, which should see every block.
struct SpareBlock {
  void* block = nullptr;
  size_t size = 0;
  bool gone = false;  // the thread is ending: blocks go back to the heap
  ~SpareBlock() {
    ::operator delete(block);
    block = nullptr;
    gone = true;
  }
};
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepSpare = false;
#else
constexpr bool kKeepSpare = true;
#endif
thread_local SpareBlock spare;

}  // namespace

template <class Ch> void* BasicTextMatcher<Ch>::operator new(size_t size) {
  if (kKeepSpare && spare.block && spare.size == size) {
    void* b = spare.block;
    spare.block = nullptr;
    return b;
  }
  return ::operator new(size);
}

template <class Ch> void BasicTextMatcher<Ch>::operator delete(void* block, size_t size) noexcept {
  if (kKeepSpare && block && !spare.block && !spare.gone) {
    spare.block = block;
    spare.size = size;
    return;
  }
  ::operator delete(block);
}

template <class Ch>
BasicTextMatcher<Ch>::BasicTextMatcher(BasicPattern<Ch>* p, const String& t) : pattern(p), text(t) {
  const int g = p->groupCount;
  const int n = -p->nonCaptureCount;
  const int slots = g + n;
  // Five group-indexed arrays in one block, each addressed -n .. g-1.
  store = 5 * slots <= kInlineStore ? inlineStore : new int[static_cast<size_t>(5) * slots];
  for (int k = 0; k < 5 * slots; ++k) store[k] = -1;
  state.groupStarts = store + n;
  state.groupEnds = store + slots + n;
  state.loopCounts = store + 2 * slots + n;
  state.loopPositions = store + 3 * slots + n;
  state.loopSavedCounts = store + 4 * slots + n;
  state.groupCount = g;
  state.nonCaptureCount = n;
  state.memoNodes = p->memoNodes;
  // Before any operation every group reads as the empty text at offset 0.
  for (int i = 0; i < g; ++i) state.groupStarts[i] = state.groupEnds[i] = 0;
}

template <class Ch> BasicTextMatcher<Ch>::~BasicTextMatcher() {
  if (store != inlineStore) delete[] store;
  state.releaseMemo();
}

template <class Ch> int BasicTextMatcher<Ch>::run(int from) {
  state.startOperation(memoThreshold);
  if (text.size() > static_cast<size_t>(INT_MAX - 2)) {  // offsets are ints
    state.limitHit = true;
    return -1;
  }
  state.s = text.data();
  state.len = static_cast<int>(text.size());
  state.stackBase = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  state.stackLimit = stackLimitFrom(state.stackBase);
  int r = pattern->head->match(state, from);
  state.failed = nullptr;
  if (state.limitHit) {
    state.groupStarts[0] = -1;
    state.groupEnds[0] = -1;
    return -1;
  }
  return r;
}

template <class Ch> bool BasicTextMatcher<Ch>::matchesWhole() {
  state.mode = 1;
  hasMatched = false;
  state.clearGroups();
  int r = run(0);
  return r >= 0 && r == static_cast<int>(text.size());
}

template <class Ch> bool BasicTextMatcher<Ch>::findFirst() {
  state.mode = 0;
  state.clearGroups();
  state.groupEnds[0] = run(0);
  if (state.groupEnds[0] < 0) return false;
  hasMatched = true;
  return true;
}

template <class Ch> bool BasicTextMatcher<Ch>::findNext() {
  if (!hasMatched) return findFirst();
  int s = state.groupStarts[0];
  int e = state.groupEnds[0];
  if (s == e) e = e + 1;  // step over an empty match
  // After the end was reached the start stays past it, so every further
  // call fails instead of searching from a negative offset.
  if (e < 0) e = s;
  state.mode = 0;
  state.clearGroups();
  state.groupStarts[0] = e;
  if (e >= static_cast<int>(text.size())) return false;
  state.searchStart = e;
  state.groupEnds[0] = run(e);
  return state.groupEnds[0] >= 0;
}

template <class Ch> void BasicTextMatcher<Ch>::reset() {
  state.clearGroups();
  hasMatched = false;
}

template <class Ch> void BasicTextMatcher<Ch>::setText(const String& t) {
  text = t;
  reset();
}

template <class Ch> typename BasicTextMatcher<Ch>::String BasicTextMatcher<Ch>::groupText(int i) const {
  if (i < 0 || i >= state.groupCount) return String();
  int gs = state.groupStarts[i], ge = state.groupEnds[i];
  if (gs < 0 || ge < 0 || ge < gs || static_cast<size_t>(ge) > text.size()) return String();
  return text.substr(static_cast<size_t>(gs), static_cast<size_t>(ge - gs));
}

template <class Ch> int BasicTextMatcher<Ch>::groupStart(int i) const {
  if (i < 0 || i >= state.groupCount) return -1;
  return state.groupStarts[i];
}

template <class Ch> int BasicTextMatcher<Ch>::groupEnd(int i) const {
  if (i < 0 || i >= state.groupCount) return -1;
  return state.groupEnds[i];
}

template <class Ch>
std::vector<typename BasicTextMatcher<Ch>::String> BasicTextMatcher<Ch>::groupTexts(bool includeWholeMatch) const {
  std::vector<String> out;
  out.reserve(static_cast<size_t>(state.groupCount));
  for (int i = includeWholeMatch ? 0 : 1; i < state.groupCount; ++i) out.push_back(groupText(i));
  return out;
}

template <class Ch> std::vector<typename BasicTextMatcher<Ch>::String> BasicTextMatcher<Ch>::findAll() {
  std::vector<String> out;
  reset();
  while (findNext()) out.push_back(groupText(0));
  return out;
}

template <class Ch>
typename BasicTextMatcher<Ch>::String BasicTextMatcher<Ch>::expandGroups(const String& templ) const {
  String out;
  const size_t n = templ.size();
  for (size_t k = 0; k < n; ++k) {
    Ch c = templ[k];
    if (c != '\\' || k + 1 == n) {
      out += c;
      continue;
    }
    Ch d = templ[k + 1];
    if (!(d >= '0' && d <= '9')) {
      out += d;
      ++k;
      continue;
    }
    // All the digits make one group number; a huge one names no group.
    long long number = 0;
    size_t j = k + 1;
    for (; j < n && templ[j] >= '0' && templ[j] <= '9'; ++j)
      if (number <= INT_MAX) number = number * 10 + (templ[j] - '0');
    if (number <= INT_MAX) out += groupText(static_cast<int>(number));
    k = j - 1;
  }
  return out;
}

template class BasicTextMatcher<char>;
template class BasicTextMatcher<wchar_t>;
