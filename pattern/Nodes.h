#pragma once
// Match nodes: one template per node kind over the character type, with the
// narrow names (NFACharNode ...) and the wide names (NFACharUNode ...) as
// aliases at the end. match() returns the end of a successful match of the
// rest of the pattern from this node on, or -1.
#include <cctype>
#include <climits>
#include <cstring>
#include <cwctype>
#include <string>
#include <type_traits>

#include "pattern/CharSet.h"
#include "pattern/MatchState.h"
#include "pattern/PatternImpl.h"

namespace patternchars {
inline char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
inline wchar_t lower(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); }
inline bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
template <class Ch> inline bool isLineEnd(Ch c) { return c == '\n' || c == '\r'; }
}  // namespace patternchars

enum class NodeKind : unsigned char {
  Char, CIChar, Class, CIClass, Quote, CIQuote, Start, End, SubStart, Accept, Or,
  GreedyQuantifier, LazyQuantifier, PossessiveQuantifier, LookAhead, LookBehind,
  StartOfLine, EndOfLine, Reference, StartOfInput, EndOfInput, WordBoundary, EndOfMatch,
  GroupHead, GroupTail, GroupLoopPrologue, GroupLoop,
};

template <class Ch> class NFANodeT {
 public:
  using String = std::basic_string<Ch>;
  using State = MatchState<Ch>;

  explicit NFANodeT(NodeKind k) : kind(k) {}
  virtual ~NFANodeT() = default;
  // Nodes without heap members need no destructor call when the pattern
  // releases its node blocks.
  bool ownsMemory() const {
    switch (kind) {
      case NodeKind::Quote: case NodeKind::CIQuote: case NodeKind::LookBehind: return true;
      case NodeKind::Class: case NodeKind::CIClass: return CharSetT<Ch>::kWide;
      default: return false;
    }
  }
  // Only the search driver and the repetitions look at their neighbours.
  bool needsPrepare() const {
    switch (kind) {
      case NodeKind::Start: case NodeKind::GreedyQuantifier: case NodeKind::LazyQuantifier:
      case NodeKind::PossessiveQuantifier: return true;
      default: return false;
    }
  }
  NFANodeT(const NFANodeT&) = delete;
  NFANodeT& operator=(const NFANodeT&) = delete;

  virtual void collectNodes(BasicPattern<Ch>& pattern) {
    if (pattern.containsNode(this)) return;
    pattern.enterNode(this);
    if (next) next->collectNodes(pattern);
  }
  virtual int match(State& m, int pos) const = 0;
  virtual bool isGroupHead() const { return false; }
  virtual bool isStartOfInput() const { return false; }

  // Debug print of this node and what follows it; narrow variant only.
  template <class C = Ch, class = std::enable_if_t<std::is_same<C, char>::value>>
  void dump(int indent) const { dumpNode(indent); }

  // Run once the graph is linked: lets nodes look at their neighbours.
  virtual void prepare() {}

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

 public:

 protected:
  virtual void dumpNode(int indent) const;
  void dumpNext(int indent) const { dumpChain(next, indent); }
  static void dumpChain(const NFANodeT* n, int indent) {
    if (n) n->dumpNode(indent);
  }
};

// ---------------------------------------------------------------- characters

template <class Ch> class NFACharNodeT : public NFANodeT<Ch> {
 public:
  explicit NFACharNodeT(Ch c) : NFANodeT<Ch>(NodeKind::Char), ch(c) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos < m.len && m.s[pos] == ch) return this->next->go(m, pos + 1);
    return -1;
  }
  Ch ch;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFACICharNodeT : public NFANodeT<Ch> {
 public:
  explicit NFACICharNodeT(Ch c) : NFANodeT<Ch>(NodeKind::CIChar), ch(c) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos < m.len && patternchars::lower(m.s[pos]) == ch) return this->next->go(m, pos + 1);
    return -1;
  }
  Ch ch;  // lower-cased

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAClassNodeT : public NFANodeT<Ch> {
 public:
  NFAClassNodeT(const CharSetT<Ch>& set, bool inv, NodeKind k = NodeKind::Class)
      : NFANodeT<Ch>(k), inverse(inv), members(set) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos < m.len && members.contains(m.s[pos]) != inverse) return this->next->go(m, pos + 1);
    return -1;
  }
  bool inverse;
  CharSetT<Ch> members;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFACIClassNodeT : public NFAClassNodeT<Ch> {
 public:
  NFACIClassNodeT(const CharSetT<Ch>& set, bool inv) : NFAClassNodeT<Ch>(set, inv, NodeKind::CIClass) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos < m.len && this->members.contains(patternchars::lower(m.s[pos])) != this->inverse)
      return this->next->go(m, pos + 1);
    return -1;
  }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAQuoteNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAQuoteNodeT(const std::basic_string<Ch>& lit, NodeKind k = NodeKind::Quote)
      : NFANodeT<Ch>(k), literal(lit) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int n = static_cast<int>(literal.size());
    if (pos > m.len - n) return -1;
    for (int i = 0; i < n; ++i)
      if (m.s[pos + i] != literal[i]) return -1;
    return this->next->go(m, pos + n);
  }
  std::basic_string<Ch> literal;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFACIQuoteNodeT : public NFAQuoteNodeT<Ch> {
 public:
  explicit NFACIQuoteNodeT(const std::basic_string<Ch>& lit) : NFAQuoteNodeT<Ch>(lit, NodeKind::CIQuote) {}
  // Compared character by character, so a NUL in the text is just a character.
  int match(MatchState<Ch>& m, int pos) const override {
    int n = static_cast<int>(this->literal.size());
    if (pos > m.len - n) return -1;
    for (int i = 0; i < n; ++i)
      if (patternchars::lower(m.s[pos + i]) != patternchars::lower(this->literal[i])) return -1;
    return this->next->go(m, pos + n);
  }

 protected:
  void dumpNode(int indent) const override;
};

// ---------------------------------------------------------------- structure

// What the continuation after a repetition needs at a position; lets loops
// skip positions where it is certain to fail without visiting it.
template <class Ch> struct NextFilter {
  enum Kind : unsigned char { Any, Char, CIChar, Class, CIClass, EndOfText } kind = Any;
  Ch ch{};
  bool inverse = false;
  const CharSetT<Ch>* set = nullptr;

  bool allows(const MatchState<Ch>& m, int p) const {
    switch (kind) {
      case Char: return p < m.len && m.s[p] == ch;
      case CIChar: return p < m.len && patternchars::lower(m.s[p]) == ch;
      case Class: return p < m.len && set->contains(m.s[p]) != inverse;
      case CIClass: return p < m.len && set->contains(patternchars::lower(m.s[p])) != inverse;
      case EndOfText: return !m.wholeMode() || p == m.len;
      default: return true;
    }
  }
  // Needs a character at the position (not an end-of-text test).
  bool needsCharacter() const { return kind != Any && kind != EndOfText; }

  static NextFilter of(const NFANodeT<Ch>* n);
};

template <class Ch> class NFASubStartNodeT : public NFANodeT<Ch> {
 public:
  NFASubStartNodeT() : NFANodeT<Ch>(NodeKind::SubStart) {}
  int match(MatchState<Ch>& m, int pos) const override { return this->next->go(m, pos); }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAAcceptNodeT : public NFANodeT<Ch> {
 public:
  NFAAcceptNodeT() : NFANodeT<Ch>(NodeKind::Accept) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (!this->next) return pos;
    return this->next->go(m, pos);
  }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAOrNodeT : public NFANodeT<Ch> {
 public:
  NFAOrNodeT(NFANodeT<Ch>* l, NFANodeT<Ch>* r) : NFANodeT<Ch>(NodeKind::Or), left(l), right(r) {}
  void collectNodes(BasicPattern<Ch>& pattern) override {
    if (pattern.containsNode(this)) return;
    pattern.enterNode(this);
    if (left) left->collectNodes(pattern);
    if (right) right->collectNodes(pattern);
    if (this->next) this->next->collectNodes(pattern);
  }
  int match(MatchState<Ch>& m, int pos) const override {
    int r = left->go(m, pos);
    if (r != -1) return r;
    return right->go(m, pos);
  }
  NFANodeT<Ch>* left;
  NFANodeT<Ch>* right;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAStartNodeT : public NFANodeT<Ch> {
 public:
  NFAStartNodeT() : NFANodeT<Ch>(NodeKind::Start) {}
  void prepare() override { first = NextFilter<Ch>::of(this->next); }
  int match(MatchState<Ch>& m, int pos) const override {
    m.groupStarts[0] = pos;
    if (m.wholeMode()) {
      if (pos != 0) {
        m.groupStarts[0] = -1;
        return -1;
      }
      return attempt(m, 0);
    }
    int r = attempt(m, pos);
    while (r == -1 && pos < m.len && !m.limitHit) {
      m.clearGroups();
      pos = candidate(m, pos + 1);
      m.groupStarts[0] = pos;
      r = attempt(m, pos);
    }
    if (r < 0) m.groupStarts[0] = -1;
    return r;
  }

 protected:
  void dumpNode(int indent) const override;

 private:
  // An attempt at a position where the first character cannot match fails
  // at once, so it is not made.
  int attempt(MatchState<Ch>& m, int pos) const {
    if (first.needsCharacter() && !first.allows(m, pos)) return -1;
    return this->next->go(m, pos);
  }
  int candidate(MatchState<Ch>& m, int pos) const {
    if (!first.needsCharacter() || pos >= m.len) return pos;
    if (first.kind == NextFilter<Ch>::Char) {
      const Ch* hit;
      if constexpr (std::is_same<Ch, char>::value)
        hit = static_cast<const Ch*>(std::memchr(m.s + pos, first.ch, static_cast<size_t>(m.len - pos)));
      else
        hit = std::char_traits<Ch>::find(m.s + pos, static_cast<size_t>(m.len - pos), first.ch);
      return hit ? static_cast<int>(hit - m.s) : m.len;
    }
    int from = pos;
    while (pos < m.len && !first.allows(m, pos)) ++pos;
    m.charge(pos - from);
    return pos;
  }
  NextFilter<Ch> first;
};

template <class Ch> class NFAEndNodeT : public NFANodeT<Ch> {
 public:
  NFAEndNodeT() : NFANodeT<Ch>(NodeKind::End) {}
  int match(MatchState<Ch>& m, int pos) const override {
    m.groupEnds[0] = pos;
    if (m.wholeMode() && pos != m.len) {
      m.groupEnds[0] = -1;
      return -1;
    }
    return pos;
  }

 protected:
  void dumpNode(int indent) const override;
};

// ---------------------------------------------------------------- groups

template <class Ch> class NFAGroupHeadNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAGroupHeadNodeT(int gi) : NFANodeT<Ch>(NodeKind::GroupHead), groupIndex(gi) {}
  bool isGroupHead() const override { return true; }
  int match(MatchState<Ch>& m, int pos) const override {
    int saved = m.groupStarts[groupIndex];
    m.groupStarts[groupIndex] = pos;
    int r = this->next->go(m, pos);
    if (r == -1) m.groupStarts[groupIndex] = saved;
    return r;
  }
  int groupIndex;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAGroupTailNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAGroupTailNodeT(int gi) : NFANodeT<Ch>(NodeKind::GroupTail), groupIndex(gi) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int saved = m.groupEnds[groupIndex];
    m.groupEnds[groupIndex] = pos;
    int r = this->next->go(m, pos);
    if (r == -1) m.groupEnds[groupIndex] = saved;
    return r;
  }
  int groupIndex;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAReferenceNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAReferenceNodeT(int gi) : NFANodeT<Ch>(NodeKind::Reference), groupIndex(gi) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int i = groupIndex;
    if (i <= 0 || i >= m.groupCount) return this->next->go(m, pos);
    int gs = m.groupStarts[i], ge = m.groupEnds[i];
    if (gs < 0 || ge <= gs || ge > m.len) return this->next->go(m, pos);
    int n = ge - gs;
    if (pos > m.len - n) return -1;
    for (int k = 0; k < n; ++k)
      if (m.s[pos + k] != m.s[gs + k]) return -1;
    return this->next->go(m, pos + n);
  }
  int groupIndex;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAGroupLoopPrologueNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAGroupLoopPrologueNodeT(int gi) : NFANodeT<Ch>(NodeKind::GroupLoopPrologue), groupIndex(gi) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int i = groupIndex;
    int c = m.loopCounts[i], sc = m.loopSavedCounts[i], lp = m.loopPositions[i];
    m.loopCounts[i] = 0;
    m.loopSavedCounts[i] = 0;
    m.loopPositions[i] = -1;
    int r = this->next->go(m, pos);
    if (r == -1) {
      m.loopCounts[i] = c;
      m.loopSavedCounts[i] = sc;
      m.loopPositions[i] = lp;
    }
    return r;
  }
  int groupIndex;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAGroupLoopNodeT : public NFANodeT<Ch> {
 public:
  NFAGroupLoopNodeT(int gi, int mn, int mx, int type, NFANodeT<Ch>* in)
      : NFANodeT<Ch>(NodeKind::GroupLoop), groupIndex(gi), min(mn), max(mx), loopType(type), inner(in) {}
  void collectNodes(BasicPattern<Ch>& pattern) override {
    if (pattern.containsNode(this)) return;
    pattern.enterNode(this);
    if (inner) inner->collectNodes(pattern);
    if (this->next) this->next->collectNodes(pattern);
  }
  int match(MatchState<Ch>& m, int pos) const override {
    const int i = groupIndex;
    int& count = m.loopCounts[i];
    int& at = m.loopPositions[i];
    bool progressed = at < pos;
    if (progressed && count < min) {
      ++count;
      int saved = at;
      at = pos;
      int r = inner->go(m, pos);
      if (r == -1) {
        at = saved;
        --count;
      }
      return r;
    }
    if (!progressed || count >= max) return this->next->go(m, pos);
    int saved = at;
    switch (loopType) {
      case 1: {  // lazy
        int r = this->next->go(m, pos);
        if (r >= 0) return r;
        at = pos;
        ++count;
        r = inner->go(m, pos);
        if (r < 0) {
          at = saved;
          --count;
        }
        return r;
      }
      case 2: {  // possessive
        m.loopSavedCounts[i] = count;
        at = pos;
        ++count;
        int r = inner->go(m, pos);
        if (r < 0) {
          at = saved;
          --count;
          if (count == m.loopSavedCounts[i]) return this->next->go(m, pos);
        }
        return r;
      }
      default: {  // greedy
        at = pos;
        ++count;
        int r = inner->go(m, pos);
        if (r >= 0) return r;
        at = saved;
        --count;
        return this->next->go(m, pos);
      }
    }
  }
  int groupIndex, min, max, loopType;
  NFANodeT<Ch>* inner;

 protected:
  void dumpNode(int indent) const override;
};

// ---------------------------------------------------------------- repetition

template <class Ch> class NFAQuantifierNodeT : public NFANodeT<Ch> {
 public:
  NFAQuantifierNodeT(NodeKind k, int mn, int mx, NFANodeT<Ch>* in)
      : NFANodeT<Ch>(k), min(mn < 0 ? 0 : mn), max(mx), inner(in) {}
  void collectNodes(BasicPattern<Ch>& pattern) override {
    if (pattern.containsNode(this)) return;
    pattern.enterNode(this);
    if (inner) inner->collectNodes(pattern);
    if (this->next) this->next->collectNodes(pattern);
  }
  void prepare() override {
    follow = NextFilter<Ch>::of(this->next);
    single = Single::None;
    // A single-character atom followed by the accept node that ends the
    // inner chain repeats as a loop over the text instead of recursing.
    if (!inner || !inner->next || inner->next->kind != NodeKind::Accept || inner->next->next) return;
    switch (inner->kind) {
      case NodeKind::Char:
        single = Single::Char;
        ch = static_cast<const NFACharNodeT<Ch>*>(inner)->ch;
        break;
      case NodeKind::CIChar:
        single = Single::CIChar;
        ch = static_cast<const NFACICharNodeT<Ch>*>(inner)->ch;
        break;
      case NodeKind::Class:
      case NodeKind::CIClass: {
        auto* c = static_cast<const NFAClassNodeT<Ch>*>(inner);
        set = &c->members;
        inverse = c->inverse;
        if (inverse && c->members.empty()) single = Single::Any;
        else single = inner->kind == NodeKind::Class ? Single::Class : Single::CIClass;
        break;
      }
      default:
        break;
    }
  }
  int min, max;
  NFANodeT<Ch>* inner;

 protected:
  enum class Single : unsigned char { None, Any, Char, CIChar, Class, CIClass };

  bool one(Ch c) const {
    switch (single) {
      case Single::Any: return true;
      case Single::Char: return c == ch;
      case Single::CIChar: return patternchars::lower(c) == ch;
      case Single::Class: return set->contains(c) != inverse;
      case Single::CIClass: return set->contains(patternchars::lower(c)) != inverse;
      default: return false;
    }
  }

  // Length of the run of matching characters at t, at most cap.
  int run(MatchState<Ch>& m, int t, int cap) const {
    if (cap > m.len - t) cap = m.len - t;
    if (cap <= 0) return 0;
    const Ch* s = m.s + t;
    int n = 0;
    switch (single) {
      case Single::Any: return cap;
      case Single::Char: while (n < cap && s[n] == ch) ++n; break;
      case Single::CIChar: while (n < cap && patternchars::lower(s[n]) == ch) ++n; break;
      case Single::Class: while (n < cap && set->contains(s[n]) != inverse) ++n; break;
      case Single::CIClass:
        while (n < cap && set->contains(patternchars::lower(s[n])) != inverse) ++n;
        break;
      default: break;
    }
    m.charge(n);
    return n;
  }

  // The minimum part of any repetition: -1, or where it ends.
  int minPart(MatchState<Ch>& m, int pos) const {
    if (single != Single::None) {
      if (min > m.len - pos) return -1;
      return run(m, pos, min) == min ? pos + min : -1;
    }
    int t = pos;
    for (int k = 0; k < min; ++k) {
      int r = inner->go(m, t);
      if (r <= t) return r;
      t = r;
    }
    return t;
  }

  // Repetitions beyond the minimum when the atom is not a single
  // character. Every atom has the same width at each repetition (literal,
  // back-reference or zero-width anchor), so the run is t + k * width.
  int generalRun(MatchState<Ch>& m, int t, int room, int* width) const {
    int count = 0, w = 0, p = t;
    while (count < room) {
      int r = inner->go(m, p);
      if (r <= p) break;
      if (count == 0) w = r - p;
      else if (r - p != w) break;
      p = r;
      ++count;
    }
    *width = w;
    return count;
  }

  int room() const { return max > min ? max - min : 0; }

  NextFilter<Ch> follow;
  Single single = Single::None;
  bool inverse = false;
  Ch ch{};
  const CharSetT<Ch>* set = nullptr;

  void dumpNode(int indent) const override;
};

template <class Ch> class NFAGreedyQuantifierNodeT : public NFAQuantifierNodeT<Ch> {
  using Base = NFAQuantifierNodeT<Ch>;

  // The last c among the first count characters at s, or null.
  static const Ch* lastOf(const Ch* s, int count, Ch c) {
    if constexpr (std::is_same<Ch, char>::value) {
      return static_cast<const Ch*>(memrchr(s, static_cast<unsigned char>(c), static_cast<size_t>(count)));
    } else {
      for (int i = count - 1; i >= 0; --i)
        if (s[i] == c) return s + i;
      return nullptr;
    }
  }

 public:
  NFAGreedyQuantifierNodeT(int mn, int mx, NFANodeT<Ch>* in) : Base(NodeKind::GreedyQuantifier, mn, mx, in) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int t = this->minPart(m, pos);
    if (t < 0) return -1;
    if (m.failed && this->single == Base::Single::Any && this->max == BasicPattern<Ch>::kMaxRepeat &&
        m.inMemo(this->id, pos))
      return matchAnyRemembering(m, pos, t);
    return matchRepeat(m, t, this->min);
  }
  // Longest run first, then one repetition shorter at a time; at most
  // `most` repetitions beyond those done.
  int matchRepeat(MatchState<Ch>& m, int pos, int done, int most = INT_MAX) const {
    int room = this->max > done ? this->max - done : 0;
    int n, w = 1;
    if (this->single != Base::Single::None) n = this->run(m, pos, room);
    else n = this->generalRun(m, pos, room, &w);
    if (w == 0) n = 0;
    if (n > most) n = most;
    long long scanned = 0;
    if (this->follow.kind == NextFilter<Ch>::Char && w == 1) {
      // Back off straight to each earlier occurrence of the next character.
      const Ch c = this->follow.ch;
      int k = n;
      if (pos + k >= m.len) k = m.len - pos - 1;
      while (k >= 0) {
        const Ch* hit = lastOf(m.s + pos, k + 1, c);
        if (!hit) {
          scanned += k + 1;
          break;
        }
        int p = static_cast<int>(hit - m.s);
        scanned += pos + k - p;
        int r = this->next->go(m, p);
        if (r != -1) {
          m.charge(scanned);
          return r;
        }
        if (m.limitHit) return -1;
        k = p - pos - 1;
      }
      m.charge(scanned);
      return -1;
    }
    for (int k = n; k >= 0; --k) {
      int p = pos + k * w;
      if (!this->follow.allows(m, p)) {
        ++scanned;
        continue;
      }
      int r = this->next->go(m, p);
      if (r != -1) return r;
      if (m.limitHit) return -1;
    }
    m.charge(scanned);
    return -1;
  }

 private:
  // An unbounded repetition of any character from pos tries the rest at
  // every position from pos + min to the end. Once it failed from some
  // position f, it fails from every later one, and from an earlier one only
  // the positions before f + min are left to try.
  int matchAnyRemembering(MatchState<Ch>& m, int pos, int t) const {
    int& from = m.anyFailedFrom[this->id];
    if (pos >= from) return -1;
    int most = from == INT_MAX ? INT_MAX : from - pos - 1;
    int r = matchRepeat(m, t, this->min, most);
    if (r == -1 && !m.limitHit) from = pos;
    return r;
  }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFALazyQuantifierNodeT : public NFAQuantifierNodeT<Ch> {
  using Base = NFAQuantifierNodeT<Ch>;

 public:
  NFALazyQuantifierNodeT(int mn, int mx, NFANodeT<Ch>* in) : Base(NodeKind::LazyQuantifier, mn, mx, in) {}
  // Shortest run first, one repetition more at a time.
  int match(MatchState<Ch>& m, int pos) const override {
    int t = this->minPart(m, pos);
    if (t < 0) return -1;
    long long scanned = 0;
    for (int k = this->min; k < this->max; ++k) {
      if (this->follow.allows(m, t)) {
        int r = this->next->go(m, t);
        if (r != -1) return r;
        if (m.limitHit) return -1;
      } else {
        ++scanned;
      }
      int d;
      if (this->single != Base::Single::None) d = (t < m.len && this->one(m.s[t])) ? t + 1 : -1;
      else d = this->inner->go(m, t);
      if (d <= t) {
        m.charge(scanned);
        return -1;
      }
      t = d;
    }
    m.charge(scanned);
    return this->next->go(m, t);
  }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAPossessiveQuantifierNodeT : public NFAQuantifierNodeT<Ch> {
  using Base = NFAQuantifierNodeT<Ch>;

 public:
  NFAPossessiveQuantifierNodeT(int mn, int mx, NFANodeT<Ch>* in) : Base(NodeKind::PossessiveQuantifier, mn, mx, in) {}
  // As long as possible, never shortened.
  int match(MatchState<Ch>& m, int pos) const override {
    int t = this->minPart(m, pos);
    if (t < 0) return -1;
    if (this->single != Base::Single::None) return this->next->go(m, t + this->run(m, t, this->room()));
    for (int k = this->min; k < this->max; ++k) {
      int d = this->inner->go(m, t);
      if (d <= t) break;
      t = d;
    }
    return this->next->go(m, t);
  }

 protected:
  void dumpNode(int indent) const override;
};

// ---------------------------------------------------------------- look-around

template <class Ch> class NFALookAheadNodeT : public NFANodeT<Ch> {
 public:
  NFALookAheadNodeT(NFANodeT<Ch>* in, bool pos) : NFANodeT<Ch>(NodeKind::LookAhead), positive(pos), inner(in) {}
  void collectNodes(BasicPattern<Ch>& pattern) override {
    if (pattern.containsNode(this)) return;
    pattern.enterNode(this);
    if (inner) inner->collectNodes(pattern);
    if (this->next) this->next->collectNodes(pattern);
  }
  int match(MatchState<Ch>& m, int pos) const override {
    int r = inner->go(m, pos);
    if (m.limitHit) return -1;
    if (positive ? r == -1 : r != -1) return -1;
    return this->next->go(m, pos);
  }
  bool positive;
  NFANodeT<Ch>* inner;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFALookBehindNodeT : public NFANodeT<Ch> {
 public:
  NFALookBehindNodeT(const std::basic_string<Ch>& lit, bool pos)
      : NFANodeT<Ch>(NodeKind::LookBehind), positive(pos), literal(lit) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int n = static_cast<int>(literal.size());
    bool matched = pos >= n;
    for (int k = 0; matched && k < n; ++k) matched = m.s[pos - n + k] == literal[k];
    if (matched != positive) return -1;
    return this->next->go(m, pos);
  }
  bool positive;
  std::basic_string<Ch> literal;

 protected:
  void dumpNode(int indent) const override;
};

// ---------------------------------------------------------------- anchors

template <class Ch> class NFAStartOfLineNodeT : public NFANodeT<Ch> {
 public:
  NFAStartOfLineNodeT() : NFANodeT<Ch>(NodeKind::StartOfLine) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos == 0 || (pos <= m.len && patternchars::isLineEnd(m.s[pos - 1]))) return this->next->go(m, pos);
    return -1;
  }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAEndOfLineNodeT : public NFANodeT<Ch> {
 public:
  NFAEndOfLineNodeT() : NFANodeT<Ch>(NodeKind::EndOfLine) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos >= m.len || patternchars::isLineEnd(m.s[pos])) return this->next->go(m, pos);
    return -1;
  }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAStartOfInputNodeT : public NFANodeT<Ch> {
 public:
  NFAStartOfInputNodeT() : NFANodeT<Ch>(NodeKind::StartOfInput) {}
  bool isStartOfInput() const override { return true; }
  int match(MatchState<Ch>& m, int pos) const override { return pos == 0 ? this->next->go(m, pos) : -1; }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAEndOfInputNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAEndOfInputNodeT(bool allow) : NFANodeT<Ch>(NodeKind::EndOfInput), allowTerminator(allow) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos == m.len) return this->next->go(m, pos);
    if (allowTerminator) {
      if (pos == m.len - 1 && patternchars::isLineEnd(m.s[pos])) return this->next->go(m, pos);
      if (pos == m.len - 2 && m.s[pos] == '\r' && m.s[pos + 1] == '\n') return this->next->go(m, pos);
    }
    return -1;
  }
  bool allowTerminator;

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAEndOfMatchNodeT : public NFANodeT<Ch> {
 public:
  NFAEndOfMatchNodeT() : NFANodeT<Ch>(NodeKind::EndOfMatch) {}
  int match(MatchState<Ch>& m, int pos) const override {
    return pos == m.searchStart ? this->next->go(m, pos) : -1;
  }

 protected:
  void dumpNode(int indent) const override;
};

template <class Ch> class NFAWordBoundaryNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAWordBoundaryNodeT(bool pos) : NFANodeT<Ch>(NodeKind::WordBoundary), positive(pos) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos >= m.len) return this->next->go(m, pos);
    bool before = pos > 0 && patternchars::isLetter(static_cast<int>(m.s[pos - 1]));
    bool after = patternchars::isLetter(static_cast<int>(m.s[pos]));
    if ((before != after) != positive) return -1;
    return this->next->go(m, pos);
  }
  bool positive;

 protected:
  void dumpNode(int indent) const override;
};

// The continuation of a loop starts with the first node that tests the text;
// group marks and pass-through nodes in front of it change nothing of that.
template <class Ch> NextFilter<Ch> NextFilter<Ch>::of(const NFANodeT<Ch>* n) {
  NextFilter f;
  for (int hops = 0; n && hops < 64; ++hops) {
    switch (n->kind) {
      case NodeKind::SubStart:
      case NodeKind::GroupHead:
      case NodeKind::GroupTail:
        n = n->next;
        continue;
      case NodeKind::Accept:
        if (!n->next) return f;
        n = n->next;
        continue;
      case NodeKind::Char:
        f.kind = Char;
        f.ch = static_cast<const NFACharNodeT<Ch>*>(n)->ch;
        return f;
      case NodeKind::CIChar:
        f.kind = CIChar;
        f.ch = static_cast<const NFACICharNodeT<Ch>*>(n)->ch;
        return f;
      case NodeKind::Quote: {
        auto* q = static_cast<const NFAQuoteNodeT<Ch>*>(n);
        if (!q->literal.empty()) {
          f.kind = Char;
          f.ch = q->literal[0];
        }
        return f;
      }
      case NodeKind::CIQuote: {
        auto* q = static_cast<const NFAQuoteNodeT<Ch>*>(n);
        if (!q->literal.empty()) {
          f.kind = CIChar;
          f.ch = patternchars::lower(q->literal[0]);
        }
        return f;
      }
      case NodeKind::Class:
      case NodeKind::CIClass: {
        auto* c = static_cast<const NFAClassNodeT<Ch>*>(n);
        f.kind = n->kind == NodeKind::Class ? Class : CIClass;
        f.set = &c->members;
        f.inverse = c->inverse;
        return f;
      }
      case NodeKind::GreedyQuantifier:
      case NodeKind::LazyQuantifier:
      case NodeKind::PossessiveQuantifier: {
        // At least one repetition of a single character: that character.
        auto* q = static_cast<const NFAQuantifierNodeT<Ch>*>(n);
        const NFANodeT<Ch>* atom = q->inner;
        if (q->min < 1 || !atom || !atom->next || atom->next->kind != NodeKind::Accept || atom->next->next)
          return f;
        switch (atom->kind) {
          case NodeKind::Char: case NodeKind::CIChar: case NodeKind::Class: case NodeKind::CIClass:
            n = atom;
            continue;
          default:
            return f;
        }
      }
      case NodeKind::End:
        f.kind = EndOfText;
        return f;
      default:
        return f;
    }
  }
  return f;
}

// ---------------------------------------------------------------- names

using NFANode = NFANodeT<char>;
using NFACharNode = NFACharNodeT<char>;
using NFACICharNode = NFACICharNodeT<char>;
using NFAClassNode = NFAClassNodeT<char>;
using NFACIClassNode = NFACIClassNodeT<char>;
using NFAQuoteNode = NFAQuoteNodeT<char>;
using NFACIQuoteNode = NFACIQuoteNodeT<char>;
using NFAStartNode = NFAStartNodeT<char>;
using NFAEndNode = NFAEndNodeT<char>;
using NFASubStartNode = NFASubStartNodeT<char>;
using NFAAcceptNode = NFAAcceptNodeT<char>;
using NFAOrNode = NFAOrNodeT<char>;
using NFAQuantifierNode = NFAQuantifierNodeT<char>;
using NFAGreedyQuantifierNode = NFAGreedyQuantifierNodeT<char>;
using NFALazyQuantifierNode = NFALazyQuantifierNodeT<char>;
using NFAPossessiveQuantifierNode = NFAPossessiveQuantifierNodeT<char>;
using NFALookAheadNode = NFALookAheadNodeT<char>;
using NFALookBehindNode = NFALookBehindNodeT<char>;
using NFAStartOfLineNode = NFAStartOfLineNodeT<char>;
using NFAEndOfLineNode = NFAEndOfLineNodeT<char>;
using NFAReferenceNode = NFAReferenceNodeT<char>;
using NFAStartOfInputNode = NFAStartOfInputNodeT<char>;
using NFAEndOfInputNode = NFAEndOfInputNodeT<char>;
using NFAWordBoundaryNode = NFAWordBoundaryNodeT<char>;
using NFAEndOfMatchNode = NFAEndOfMatchNodeT<char>;
using NFAGroupHeadNode = NFAGroupHeadNodeT<char>;
using NFAGroupTailNode = NFAGroupTailNodeT<char>;
using NFAGroupLoopPrologueNode = NFAGroupLoopPrologueNodeT<char>;
using NFAGroupLoopNode = NFAGroupLoopNodeT<char>;

using NFAUNode = NFANodeT<wchar_t>;
using NFACharUNode = NFACharNodeT<wchar_t>;
using NFACICharUNode = NFACICharNodeT<wchar_t>;
using NFAClassUNode = NFAClassNodeT<wchar_t>;
using NFACIClassUNode = NFACIClassNodeT<wchar_t>;
using NFAQuoteUNode = NFAQuoteNodeT<wchar_t>;
using NFACIQuoteUNode = NFACIQuoteNodeT<wchar_t>;
using NFAStartUNode = NFAStartNodeT<wchar_t>;
using NFAEndUNode = NFAEndNodeT<wchar_t>;
using NFASubStartUNode = NFASubStartNodeT<wchar_t>;
using NFAAcceptUNode = NFAAcceptNodeT<wchar_t>;
using NFAOrUNode = NFAOrNodeT<wchar_t>;
using NFAQuantifierUNode = NFAQuantifierNodeT<wchar_t>;
using NFAGreedyQuantifierUNode = NFAGreedyQuantifierNodeT<wchar_t>;
using NFALazyQuantifierUNode = NFALazyQuantifierNodeT<wchar_t>;
using NFAPossessiveQuantifierUNode = NFAPossessiveQuantifierNodeT<wchar_t>;
using NFALookAheadUNode = NFALookAheadNodeT<wchar_t>;
using NFALookBehindUNode = NFALookBehindNodeT<wchar_t>;
using NFAStartOfLineUNode = NFAStartOfLineNodeT<wchar_t>;
using NFAEndOfLineUNode = NFAEndOfLineNodeT<wchar_t>;
using NFAReferenceUNode = NFAReferenceNodeT<wchar_t>;
using NFAStartOfInputUNode = NFAStartOfInputNodeT<wchar_t>;
using NFAEndOfInputUNode = NFAEndOfInputNodeT<wchar_t>;
using NFAWordBoundaryUNode = NFAWordBoundaryNodeT<wchar_t>;
using NFAEndOfMatchUNode = NFAEndOfMatchNodeT<wchar_t>;
using NFAGroupHeadUNode = NFAGroupHeadNodeT<wchar_t>;
using NFAGroupTailUNode = NFAGroupTailNodeT<wchar_t>;
using NFAGroupLoopPrologueUNode = NFAGroupLoopPrologueNodeT<wchar_t>;
using NFAGroupLoopUNode = NFAGroupLoopNodeT<wchar_t>;
