// The matcher's operations: whole-text match, searches, group texts. Also
// the per-thread stack bound the depth guard uses, and the per-thread spare
// block that spares a matcher per line a trip through the allocator.
#include <pthread.h>

#include <climits>

#include "pattern/FlowNodes.h"
#include "pattern/Pattern.h"
#include "pattern/TextMatcherCore.h"

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

// How deep the match recursion may go from the frame at here (never more
// than here holds).
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
//
// The thread-local record is trivially destructible: a thread-local object
// with a destructor is registered on first use with an allocation that, when
// it fails, aborts the process. The block goes back to the heap through a
// thread-specific key's destructor as the thread ends instead.
struct SpareBlock {
  void* block;
  size_t size;
  bool keyed;  // the key's destructor will free the block at the thread's end
  bool gone;   // the thread is ending: blocks go back to the heap
};
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepSpare = false;
#else
constexpr bool kKeepSpare = true;
#endif
thread_local SpareBlock spare = {nullptr, 0, false, false};

void releaseSpare(void*) {
  ::operator delete(spare.block);
  spare.block = nullptr;
  spare.gone = true;
}

// Whether the thread's key is set, whose destructor frees its spare block;
// false when it could not be (then no block is kept).
bool spareKeyed() {
  if (spare.keyed) return true;
  static pthread_key_t key;
  static const bool made = pthread_key_create(&key, releaseSpare) == 0;
  // Any non-null value makes the thread's end call the destructor.
  spare.keyed = made && pthread_setspecific(key, &spare) == 0;
  return spare.keyed;
}

}  // namespace

template <class Ch> void* TextMatcherCore<Ch>::operator new(size_t size) {
  if (kKeepSpare && spare.block && spare.size == size) {
    void* b = spare.block;
    spare.block = nullptr;
    return b;
  }
  return ::operator new(size);
}

template <class Ch> void TextMatcherCore<Ch>::operator delete(void* block, size_t size) noexcept {
  if (kKeepSpare && block && !spare.block && !spare.gone && spareKeyed()) {
    spare.block = block;
    spare.size = size;
    return;
  }
  ::operator delete(block);
}

template <class Ch>
TextMatcherCore<Ch>::TextMatcherCore(CompiledPattern<Ch>* p, const String& t) : pattern(p), text(t) {
  const int g = p->groupCount;
  const int n = p->nonCaptureCount;
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
  state.planMemo(patternlimits::kMemoAfter);
  // Before any operation every group reads as the empty text at offset 0.
  for (int i = 0; i < g; ++i) state.groupStarts[i] = state.groupEnds[i] = 0;
}

template <class Ch> TextMatcherCore<Ch>::~TextMatcherCore() {
  if (store != inlineStore) delete[] store;
  state.releaseMemo();
}

template <class Ch> BasicTextMatcher<Ch>::~BasicTextMatcher() = default;

// Small enough to inline into the operations: a whole-text match on a text
// whose first character the pattern cannot start with fails here, before
// any visit and any stack set-up.
template <class Ch> inline int TextMatcherCore<Ch>::run(int from) {
  groupsClear = false;
  state.startOperation();
  if (text.size() > patternlimits::kMaxTextLength) {
    state.limitHit = true;
    return -1;
  }
  state.s = text.data();
  state.len = static_cast<int>(text.size());
  if (state.wholeMode() && pattern->head->refusesWholeText(state)) return -1;
  return runFromStart(from);
}

template <class Ch> __attribute__((noinline)) int TextMatcherCore<Ch>::runFromStart(int from) {
  uintptr_t base = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  state.stackFloor = base - stackLimitFrom(base);
  int r = pattern->head->NFAStartNodeT<Ch>::match(state, from);
  state.failed = nullptr;
  if (state.limitHit) {
    state.groupStarts[0] = -1;
    state.groupEnds[0] = -1;
    return -1;
  }
  return r;
}

template <class Ch> bool BasicTextMatcher<Ch>::matchesWhole() {
  TextMatcherCore<Ch>& c = TextMatcherCore<Ch>::of(*this);
  c.state.mode = MatchMode::Whole;
  c.hasMatched = false;
  c.clearGroups();
  int r = c.run(0);
  return r >= 0 && r == static_cast<int>(c.text.size());
}

template <class Ch> bool BasicTextMatcher<Ch>::findFirst() {
  TextMatcherCore<Ch>& c = TextMatcherCore<Ch>::of(*this);
  c.state.mode = MatchMode::Search;
  c.clearGroups();
  c.state.groupEnds[0] = c.run(0);
  if (c.state.groupEnds[0] < 0) return false;
  c.hasMatched = true;
  return true;
}

template <class Ch> bool BasicTextMatcher<Ch>::findNext() {
  TextMatcherCore<Ch>& c = TextMatcherCore<Ch>::of(*this);
  if (!c.hasMatched) return findFirst();
  MatchState<Ch>& state = c.state;
  int s = state.groupStarts[0];
  int e = state.groupEnds[0];
  if (s == e) e = e + 1;  // step over an empty match
  // After the end was reached the start stays past it, so every further
  // call fails instead of searching from a negative offset.
  if (e < 0) e = s;
  state.mode = MatchMode::Search;
  c.clearGroups();
  state.groupStarts[0] = e;
  c.groupsClear = false;
  if (e >= static_cast<int>(c.text.size())) return false;
  state.searchStart = e;
  state.groupEnds[0] = c.run(e);
  return state.groupEnds[0] >= 0;
}

template <class Ch> void BasicTextMatcher<Ch>::reset() {
  TextMatcherCore<Ch>& c = TextMatcherCore<Ch>::of(*this);
  c.clearGroups();
  c.hasMatched = false;
}

// Everything else an operation reads is set up by the operation itself:
// the budget, the memo and the limit flag when it starts, the repetition
// counters of a repeated group by its prologue.
template <class Ch> void BasicTextMatcher<Ch>::setText(const String& t) {
  TextMatcherCore<Ch>::of(*this).text = t;
  reset();
}

template <class Ch> bool TextMatcherCore<Ch>::groupRange(int i, size_t* from, size_t* count) const {
  if (i < 0 || i >= state.groupCount) return false;
  int gs = state.groupStarts[i], ge = state.groupEnds[i];
  if (gs < 0 || ge < 0 || ge < gs || static_cast<size_t>(ge) > text.size()) return false;
  *from = static_cast<size_t>(gs);
  *count = static_cast<size_t>(ge - gs);
  return true;
}

template <class Ch> typename BasicTextMatcher<Ch>::String BasicTextMatcher<Ch>::groupText(int i) const {
  const TextMatcherCore<Ch>& c = TextMatcherCore<Ch>::of(*this);
  size_t from = 0, count = 0;
  if (!c.groupRange(i, &from, &count)) return String();
  return c.text.substr(from, count);
}

template <class Ch> int BasicTextMatcher<Ch>::groupStart(int i) const {
  const MatchState<Ch>& state = TextMatcherCore<Ch>::of(*this).state;
  if (i < 0 || i >= state.groupCount) return -1;
  return state.groupStarts[i];
}

template <class Ch> int BasicTextMatcher<Ch>::groupEnd(int i) const {
  const MatchState<Ch>& state = TextMatcherCore<Ch>::of(*this).state;
  if (i < 0 || i >= state.groupCount) return -1;
  return state.groupEnds[i];
}

template <class Ch>
std::vector<typename BasicTextMatcher<Ch>::String> BasicTextMatcher<Ch>::groupTexts(bool includeWholeMatch) const {
  const TextMatcherCore<Ch>& c = TextMatcherCore<Ch>::of(*this);
  const int groups = c.state.groupCount;
  std::vector<String> out;
  out.reserve(static_cast<size_t>(groups));
  for (int i = includeWholeMatch ? 0 : 1; i < groups; ++i) {
    size_t from = 0, count = 0;
    if (c.groupRange(i, &from, &count)) out.emplace_back(c.text, from, count);
    else out.emplace_back();
  }
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

template <class Ch> bool BasicTextMatcher<Ch>::limitHit() const { return TextMatcherCore<Ch>::of(*this).state.limitHit; }

template <class Ch> const typename BasicTextMatcher<Ch>::String& BasicTextMatcher<Ch>::getText() const {
  return TextMatcherCore<Ch>::of(*this).text;
}

template <class Ch> void BasicTextMatcher<Ch>::setMemoThreshold(long long steps) {
  TextMatcherCore<Ch>::of(*this).state.planMemo(steps);
}

template class BasicTextMatcher<char>;
template class BasicTextMatcher<wchar_t>;
template class TextMatcherCore<char>;
template class TextMatcherCore<wchar_t>;
