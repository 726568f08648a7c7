#pragma once
// The pattern engine's public interface: a backtracking regular-expression
// engine, one template over the character type, used as Pattern and
// TextMatcher over narrow text and WidePattern and WideTextMatcher over
// wide text. How a match runs, and the limits: pattern/README.md.
//
//   std::unique_ptr<Pattern> p(Pattern::compile("Port Speed.*: (.+).*", DOT_ALL));
//   if (!p) return;  // a syntax error, already reported on stderr
//   std::unique_ptr<TextMatcher> m(p->makeMatcher(""));
//   for (const std::string& line : lines) {
//     m->setText(line);  // one matcher for the whole output, re-targeted per line
//     if (m->matchesWhole()) use(m->groupText(1));
//   }
//
// Failures travel as results: null, false, -1 or an empty text. Ownership:
// compile() and makeMatcher() hand their result to the caller; a pattern
// must outlive its matchers.
#include <climits>
#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

enum PatternFlags : unsigned long {
  IGNORE_CASE = 1,
  LITERAL_TEXT = 2,  // only as an argument of compile(): the whole text is one literal
  DOT_ALL = 4,
  LINE_ANCHORS = 8,
  LF_ONLY = 16,
};

template <class Ch> class NFANodeT;
template <class Ch> class BasicTextMatcher;

template <class Ch> class BasicPattern {
 public:
  using String = std::basic_string<Ch>;

  // Repetition bounds: the smallest minimum and the maximum of *, + and {n,}.
  static constexpr int kMinRepeat = 0;
  static constexpr int kMaxRepeat = INT_MAX;

  // Null after a syntax error, which has been reported on stderr.
  static BasicPattern* compile(const String& text, unsigned long flags = 0);
  // Owned by the cache; keyed by the text alone, whatever the flags.
  static BasicPattern* compileCached(const String& text, unsigned long flags = 0);
  static void clearCache();
  // Makes {name} in later patterns stand for text; false (and nothing
  // stored) when text does not compile.
  static bool registerName(const String& name, const String& text, unsigned long flags = 0);
  static void clearNames();

  // One-call forms: compile, apply once, free. A pattern that does not
  // compile gives false, ("", -1), an empty list or an empty text.
  static bool matches(const String& pattern, const String& text, unsigned long flags = 0);
  static std::pair<String, int> findNth(const String& pattern, const String& text, int n,
                                        unsigned long flags = 0);
  static std::vector<String> findAll(const String& pattern, const String& text, unsigned long flags);
  static std::vector<String> split(const String& pattern, const String& text, bool keepEmpty, int limit,
                                   unsigned long flags);
  static String replace(const String& pattern, const String& text, const String& replacement,
                        unsigned long flags);

  virtual ~BasicPattern();
  BasicPattern(const BasicPattern&) = delete;
  BasicPattern& operator=(const BasicPattern&) = delete;

  // A new matcher over a copy of text.
  BasicTextMatcher<Ch>* makeMatcher(const String& text);

  // These share one matcher owned by the pattern, so one pattern must not
  // be used through them by two callers at once.
  bool matchesText(const String& text);
  std::vector<String> findAll(const String& text);
  std::vector<String> split(const String& text, bool keepEmpty = false, int limit = 0);
  String replace(const String& text, const String& replacement);
  // The last operation run through the pattern's own matcher hit a limit.
  bool limitHit() const;

  // Debug print of the node graph on stdout; narrow variant only.
  template <class C = Ch, class = std::enable_if_t<std::is_same<C, char>::value>>
  void dump() { dumpGraph(); }

  // 1 + the number of capturing groups (index 0 is the whole match).
  int getGroupCount() const;
  int getNonCaptureCount() const;
  unsigned long getFlags() const;
  const String& getText() const;
  // The first node of the graph, always the search driver.
  const NFANodeT<Ch>* getHead() const;
  size_t nodeCount() const;
  // No node reads recorded state (back-references, repeated groups, \G,
  // capturing groups inside a look-ahead or an independent group), so a
  // long match operation may remember where nodes failed.
  bool remembersFailures() const;

 protected:
  BasicPattern() = default;

 private:
  void dumpGraph();
};

template <class Ch> class BasicTextMatcher {
 public:
  using String = std::basic_string<Ch>;

  virtual ~BasicTextMatcher();
  BasicTextMatcher(const BasicTextMatcher&) = delete;
  BasicTextMatcher& operator=(const BasicTextMatcher&) = delete;

  bool matchesWhole();
  bool findFirst();
  // The next match after the previous one; findFirst() when there was none.
  bool findNext();
  // Forgets groups and search progress; keeps the text.
  void reset();
  // Replaces the text, then reset(): every operation after it gives what a
  // new matcher over the text would give.
  void setText(const String& text);

  // "" or -1 for an index outside 0 .. getGroupCount()-1 or a group that
  // took no part in the match.
  String groupText(int index) const;
  int groupStart(int index) const;
  int groupEnd(int index) const;
  // Groups 0 .. G-1, or 1 .. G-1 without the whole match.
  std::vector<String> groupTexts(bool includeWholeMatch) const;
  std::vector<String> findAll();
  // Copies templ with \N replaced by group N's text; \X gives X.
  String expandGroups(const String& templ) const;

  // The last operation was stopped by the depth guard or the step budget
  // and reported no match.
  bool limitHit() const;
  const String& getText() const;
  // Node visits an operation makes before it starts remembering failures
  // (negative: never). A tuning knob; results are the same either way.
  void setMemoThreshold(long long steps);

 protected:
  BasicTextMatcher() = default;
};

using Pattern = BasicPattern<char>;
using WidePattern = BasicPattern<wchar_t>;
using TextMatcher = BasicTextMatcher<char>;
using WideTextMatcher = BasicTextMatcher<wchar_t>;
