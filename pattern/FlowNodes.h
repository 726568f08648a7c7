#pragma once
// Flow nodes: the search driver at the head of every graph, the end node at
// its tail, the pass-through start of a run, the accept node that ends an
// inner chain or joins alternatives, and alternation.
#include <cstring>
#include <string>
#include <type_traits>

#include "pattern/NodeBase.h"

template <class Ch> class NFASubStartNodeT : public NFANodeT<Ch> {
 public:
  NFASubStartNodeT() : NFANodeT<Ch>(NodeKind::SubStart) {}
  int match(MatchState<Ch>& m, int pos) const override { return this->next->go(m, pos); }
  EntryTest<Ch> entryTest(int hops) const override { return this->entryOfNext(hops); }
};

// Without a successor it ends an inner chain: the position reached is the
// result, and the repetition or look-ahead that called the chain goes on.
template <class Ch> class NFAAcceptNodeT : public NFANodeT<Ch> {
 public:
  NFAAcceptNodeT() : NFANodeT<Ch>(NodeKind::Accept) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (!this->next) return pos;
    return this->next->go(m, pos);
  }
  EntryTest<Ch> entryTest(int hops) const override { return this->entryOfNext(hops); }
};

// The left alternative first; the right one only after every way through
// the left one has failed.
template <class Ch> class NFAOrNodeT : public NFANodeT<Ch> {
 public:
  NFAOrNodeT(NFANodeT<Ch>* l, NFANodeT<Ch>* r) : NFANodeT<Ch>(NodeKind::Or), left(l), right(r) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int r = left->go(m, pos);
    if (r != -1) return r;
    return right->go(m, pos);
  }
  NFANodeT<Ch>* left;
  NFANodeT<Ch>* right;
};

// The search driver: records the start of group 0 and, when searching,
// tries every start position from pos to the end of the text.
template <class Ch> class NFAStartNodeT : public NFANodeT<Ch> {
 public:
  NFAStartNodeT() : NFANodeT<Ch>(NodeKind::Start) {}
  // The top-level run's sub-start passes the position on, so attempts
  // begin after it.
  void prepare() override {
    first = this->entryOfNext(0);
    begin = this->next;
    while (begin && begin->kind == NodeKind::SubStart && begin->next) begin = begin->next;
  }
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
  // In whole-text mode: true, with the groups as match() would leave them,
  // when the first character of the text cannot start a match.
  bool refusesWholeText(MatchState<Ch>& m) const {
    if (!first.needsCharacter() || first.allows(m, 0)) return false;
    m.groupStarts[0] = 0;
    return true;
  }

 private:
  // An attempt at a position where the first character cannot match fails
  // at once, so it is not made.
  int attempt(MatchState<Ch>& m, int pos) const {
    if (first.needsCharacter() && !first.allows(m, pos)) return -1;
    return begin->go(m, pos);
  }
  // The next position from pos on where an attempt can succeed.
  int candidate(MatchState<Ch>& m, int pos) const {
    if (!first.needsCharacter() || pos >= m.len) return pos;
    if (first.isPlainChar()) {
      const Ch* hit;
      if constexpr (std::is_same<Ch, char>::value)
        hit = static_cast<const Ch*>(std::memchr(m.s + pos, first.test.ch, static_cast<size_t>(m.len - pos)));
      else
        hit = std::char_traits<Ch>::find(m.s + pos, static_cast<size_t>(m.len - pos), first.test.ch);
      return hit ? static_cast<int>(hit - m.s) : m.len;
    }
    int from = pos;
    while (pos < m.len && !first.allows(m, pos)) ++pos;
    m.charge(pos - from);
    return pos;
  }
  EntryTest<Ch> first;
  const NFANodeT<Ch>* begin = nullptr;
};

// Records the end of group 0; in whole-text mode only the end of the text
// is a match.
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
  EntryTest<Ch> entryTest(int) const override { return EntryTest<Ch>::endOfText(); }
};
