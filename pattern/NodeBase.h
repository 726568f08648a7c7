#pragma once
// The match node protocol: the base class of every node, the node kinds,
// the repetition kinds, and the entry test (what a match from a node on
// needs at its first position). pattern/README.md tells how a match runs.
#include <string>

#include "pattern/CharTest.h"
#include "pattern/MatchState.h"
#include "pattern/PatternLimits.h"

// One per node class; lets the compiler's analyses and the pattern's
// clean-up tell nodes apart without run-time type information.
enum class NodeKind : unsigned char {
  Char, CIChar, Class, CIClass, Quote, CIQuote, Start, End, SubStart, Accept, Or,
  GreedyQuantifier, LazyQuantifier, PossessiveQuantifier, LookAhead, LookBehind,
  StartOfLine, EndOfLine, Reference, StartOfInput, EndOfInput, WordBoundary, EndOfMatch,
  GroupHead, GroupTail, GroupLoopPrologue, GroupLoop,
};

// How a repetition gives back what it took: greedy tries the most
// repetitions first, lazy the fewest, possessive never gives back.
enum class Repetition : unsigned char { Greedy = 0, Lazy = 1, Possessive = 2 };

// What a match from a node on needs at its first position: nothing known,
// a character that passes a test, or (in whole-text mode) the end of text.
template <class Ch> struct EntryTest {
  enum class Need : unsigned char { Nothing, Character, EndOfText };
  Need need = Need::Nothing;
  CharTest<Ch> test;

  static EntryTest character(const CharTest<Ch>& t) {
    EntryTest e;
    e.need = Need::Character;
    e.test = t;
    return e;
  }
  static EntryTest endOfText() {
    EntryTest e;
    e.need = Need::EndOfText;
    return e;
  }

  bool allows(const MatchState<Ch>& m, int p) const {
    switch (need) {
      case Need::Character: return p < m.len && test.accepts(m.s[p]);
      case Need::EndOfText: return !m.wholeMode() || p == m.len;
      default: return true;
    }
  }
  bool needsCharacter() const { return need == Need::Character; }
  // A plain character: callers may search for it with memchr and the like.
  bool isPlainChar() const { return need == Need::Character && test.kind == CharKind::Char; }
};

template <class Ch> class NFANodeT {
 public:
  using String = std::basic_string<Ch>;
  using State = MatchState<Ch>;

  explicit NFANodeT(NodeKind k) : kind(k) {}
  virtual ~NFANodeT() = default;
  NFANodeT(const NFANodeT&) = delete;
  NFANodeT& operator=(const NFANodeT&) = delete;

  // Nodes without heap members need no destructor call when the pattern
  // releases its node blocks.
  bool ownsMemory() const {
    switch (kind) {
      case NodeKind::Quote: case NodeKind::CIQuote: case NodeKind::LookBehind: return true;
      case NodeKind::Class: case NodeKind::CIClass: return CharSetT<Ch>::kWide;
      default: return false;
    }
  }
  // Only the search driver, the repetitions and plain characters look at
  // their neighbours.
  bool needsPrepare() const {
    switch (kind) {
      case NodeKind::Start: case NodeKind::GreedyQuantifier: case NodeKind::LazyQuantifier:
      case NodeKind::PossessiveQuantifier: case NodeKind::Char: return true;
      default: return false;
    }
  }

  // The end of a successful match of the rest of the pattern from this
  // node on at pos, or -1.
  virtual int match(State& m, int pos) const = 0;
  // Run once the graph is linked, on the nodes from the last made to the
  // first: lets nodes look at their neighbours.
  virtual void prepare() {}
  // When the node matches exactly one character, the one *test accepts.
  virtual bool singleChar(CharTest<Ch>* /*test*/) const { return false; }
  // What a match from this node on needs at pos; hops counts the nodes
  // that test nothing walked over so far.
  virtual EntryTest<Ch> entryTest(int /*hops*/) const { return EntryTest<Ch>(); }

  // A visit: refused once the operation has hit a limit. With the memo on,
  // a node that failed at a position is not tried there again.
  int go(State& m, int pos) const {
    if (__builtin_expect(++m.steps > m.checkpoint, 0)) return goPastCheckpoint(m, pos);
    if (!m.stackRoom()) return -1;
    return match(m, pos);
  }

  NFANodeT* next = nullptr;
  const NodeKind kind;
  int id = -1;  // index in the pattern's node set

 protected:
  // For the nodes that test nothing themselves.
  EntryTest<Ch> entryOfNext(int hops) const {
    if (!next || hops >= patternlimits::kEntryTestHops) return EntryTest<Ch>();
    return next->entryTest(hops + 1);
  }
  // Sets slot to pos for the rest of the match; undone when the rest fails.
  int recordAndGo(State& m, int& slot, int pos) const {
    int saved = slot;
    slot = pos;
    int r = next->go(m, pos);
    if (r == -1) slot = saved;
    return r;
  }

 private:
  // Out of line, so the ordinary visit above stays small enough to inline:
  // the budget, the memo's start, and every visit while the memo is on.
  __attribute__((noinline)) int goPastCheckpoint(State& m, int pos) const {
    if (!m.pastCheckpoint() || !m.stackRoom()) return -1;
    if (!m.failed || !m.inMemo(id, pos)) return match(m, pos);
    if (m.known(id, pos)) return -1;
    int r = match(m, pos);
    if (r == -1 && !m.limitHit) m.remember(id, pos);
    return r;
  }
};
