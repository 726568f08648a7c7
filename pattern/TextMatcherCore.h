#pragma once
// What a matcher holds behind the BasicTextMatcher interface: its pattern,
// its own copy of the text, the match state its nodes read and write, and
// the five group-indexed arrays in one block (inline for small patterns).
#include <cstddef>
#include <string>

#include "pattern/CompiledPattern.h"
#include "pattern/MatchState.h"
#include "pattern/Pattern.h"
#include "pattern/PatternLimits.h"

template <class Ch> class TextMatcherCore final : public BasicTextMatcher<Ch> {
 public:
  using String = std::basic_string<Ch>;

  TextMatcherCore(CompiledPattern<Ch>* pattern, const String& text);
  ~TextMatcherCore() override;
  // A freed matcher's block is kept for the next one made on the thread.
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size) noexcept;

  static TextMatcherCore& of(BasicTextMatcher<Ch>& m) { return static_cast<TextMatcherCore&>(m); }
  static const TextMatcherCore& of(const BasicTextMatcher<Ch>& m) { return static_cast<const TextMatcherCore&>(m); }

  // One match operation from position from: the end of the match or -1.
  int run(int from);
  // The rest of run(): the depth guard's floor, then the search driver.
  int runFromStart(int from);
  // Where group i's text lies in the text; false when it has none.
  bool groupRange(int i, size_t* from, size_t* count) const;
  // Every group unset, the search start at 0; nothing to do when nothing
  // has written the groups since the last time (run() and findNext() say
  // so in groupsClear).
  void clearGroups() {
    if (groupsClear) return;
    state.clearGroups();
    groupsClear = true;
  }

  CompiledPattern<Ch>* const pattern;
  String text;
  MatchState<Ch> state;  // group arrays, searchStart, counts, mode, budget, memo
  bool hasMatched = false;
  bool groupsClear = false;  // a new matcher reads every group as empty at 0

 private:
  static constexpr int kInlineStore = 40;
  int* store = nullptr;
  int inlineStore[kInlineStore];
};
