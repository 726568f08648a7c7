#pragma once
// Declarations of the compiled pattern and its matcher. Both variants are
// instantiated in the library, so callers need only these declarations.
#include <climits>
#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "pattern/MatchState.h"

template <class Ch> class NFANodeT;
template <class Ch> class CharSetT;
template <class Ch> class BasicPattern;
template <class Ch> class BasicTextMatcher;

template <class Ch> class BasicPattern {
 public:
  using String = std::basic_string<Ch>;
  using Node = NFANodeT<Ch>;

  // Repetition bounds.
  static constexpr int kMinRepeat = 0;
  static constexpr int kMaxRepeat = INT_MAX;

  // Null after a syntax error, which has been reported on stderr.
  static BasicPattern* compile(const String& text, unsigned long flags = 0);
  // Owned by the cache; keyed by the text alone.
  static BasicPattern* compileCached(const String& text, unsigned long flags = 0);
  static void clearCache();
  static bool registerName(const String& name, const String& text, unsigned long flags = 0);
  static void clearNames();

  static bool matches(const String& pattern, const String& text, unsigned long flags = 0);
  static std::pair<String, int> findNth(const String& pattern, const String& text, int n,
                                        unsigned long flags = 0);
  static std::vector<String> findAll(const String& pattern, const String& text, unsigned long flags);
  static std::vector<String> split(const String& pattern, const String& text, bool keepEmpty, int limit,
                                   unsigned long flags);
  static String replace(const String& pattern, const String& text, const String& replacement,
                        unsigned long flags);

  ~BasicPattern();
  BasicPattern(const BasicPattern&) = delete;
  BasicPattern& operator=(const BasicPattern&) = delete;

  BasicTextMatcher<Ch>* makeMatcher(const String& text);
  bool matchesText(const String& text);
  std::vector<String> findAll(const String& text);
  std::vector<String> split(const String& text, bool keepEmpty = false, int limit = 0);
  String replace(const String& text, const String& replacement);

  template <class C = Ch, class = std::enable_if_t<std::is_same<C, char>::value>>
  void dump() { dumpGraph(); }

  int getGroupCount() const { return groupCount; }
  int getNonCaptureCount() const { return -nonCaptureCount; }
  unsigned long getFlags() const { return flags; }
  const String& getText() const { return text; }
  const Node* getHead() const { return head; }
  // The last operation run through this pattern's own matcher hit a limit.
  bool limitHit() const;
  // No node reads recorded state (back-references, repeated groups, \G,
  // groups inside a look-ahead or an independent group), so a long match
  // operation may remember where nodes failed.
  bool remembersFailures() const { return memoNodes > 0; }

  // The node set: every node made while compiling, owned here.
  bool containsNode(const Node* n) const;
  void enterNode(Node* n);
  size_t nodeCount() const { return nodes.size(); }

 private:
  friend class BasicTextMatcher<Ch>;
  struct Escape;
  enum RunKind : int { RunTop, RunCapture, RunNonCapture, RunLookAhead, RunNegLookAhead, RunIndependent, RunAlt };
  struct Run {
    RunKind kind;
    int index;       // group index of a capturing or non-capturing run
    int headIndex;   // group index an alternative must record, or INT_MIN
    bool inGroup;    // a ')' closes something
    unsigned long savedFlags;
  };

  BasicPattern(const String& text, unsigned long flags);

  // compiler
  bool parseRun(Run run, Node* firstNode, Node*& first, Node*& last, int depth);
  bool parseGroup(Node*& first, Node*& last, int depth);
  bool parseLookBehind(bool positive, Node*& node);
  bool parseReference(Node*& first, Node*& last, int depth);
  Node* parseEscapeAtom();
  Node* parseQuoted();
  Node* quantify(Node* atom);
  int readRepeat(int* min, int* max, int* type);
  int readBound(int* min, int* max);
  void report();
  template <class T, class... A> T* make(A&&... args);

  // escape and class readers
  Escape readEscape();
  CharSetT<Ch> readClass(int depth);
  void finishClass(CharSetT<Ch>& set, bool negated) const;
  void addCasePairs(CharSetT<Ch>& set) const;
  CharSetT<Ch> lowered(const CharSetT<Ch>& set) const;

  void dumpGraph();
  BasicTextMatcher<Ch>* own();
  bool stateless() const;

  std::vector<Node*> nodes;
  BasicTextMatcher<Ch>* ownMatcher = nullptr;  // for the pattern's own operations
  Node* head = nullptr;
  String text;
  bool error = false;
  int pos = 0;
  int groupCount = 0;
  int nonCaptureCount = 0;
  unsigned long flags = 0;
  int memoNodes = 0;  // node count when failures may be remembered, else 0

  // Nodes are carved from blocks owned by the pattern: the first block lives
  // inside the object, so a short pattern costs one allocation.
  // Small enough that the whole pattern object comes from the allocator's
  // fast path for small blocks.
  static constexpr size_t kInlineArena = 704;
  static constexpr size_t kNodeAlign = 8;
  alignas(kNodeAlign) unsigned char arena[kInlineArena];
  size_t arenaUsed = 0;
  size_t blockUsed = 0;
  size_t blockSize = 0;
  std::vector<std::unique_ptr<unsigned char[]>> blocks;
  void* allocate(size_t size);
};

template <class Ch> class BasicTextMatcher {
 public:
  using String = std::basic_string<Ch>;

  // The pattern must outlive the matcher.
  BasicTextMatcher(BasicPattern<Ch>* pattern, const String& text);
  ~BasicTextMatcher();
  BasicTextMatcher(const BasicTextMatcher&) = delete;
  BasicTextMatcher& operator=(const BasicTextMatcher&) = delete;
  // A freed matcher's block is kept for the next one made on the thread.
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size) noexcept;

  bool matchesWhole();
  bool findFirst();
  bool findNext();
  void reset();
  void setText(const String& t);

  String groupText(int index) const;
  int groupStart(int index) const;
  int groupEnd(int index) const;
  std::vector<String> groupTexts(bool includeWholeMatch) const;
  std::vector<String> findAll();
  String expandGroups(const String& templ) const;

  // The last operation was stopped by the depth guard or the step budget
  // and reported no match.
  bool limitHit() const { return state.limitHit; }
  const String& getText() const { return text; }
  // Node visits an operation makes before it starts remembering failures
  // (negative: never). A tuning knob; results are the same either way.
  void setMemoThreshold(long long steps) { memoThreshold = steps; }

 private:
  int run(int from);
  long long memoThreshold = patternlimits::kMemoAfter;

  BasicPattern<Ch>* pattern;
  String text;
  MatchState<Ch> state;  // group arrays, searchStart, counts and mode
  bool hasMatched = false;
  int* store = nullptr;
  static constexpr int kInlineStore = 40;
  int inlineStore[kInlineStore];
};
