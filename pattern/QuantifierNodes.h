#pragma once
// Repetition of one atom: greedy, lazy and possessive quantifiers. The inner
// chain is the atom followed by an accept node without successor, so
// inner->go() returns where one repetition ends. A single-character atom
// repeats as a loop over the text with its CharTest, never one recursion
// level per repetition.
#include <climits>
#include <cstring>
#include <type_traits>

#include "pattern/NodeBase.h"
#include "pattern/Pattern.h"

template <class Ch> class NFAQuantifierNodeT : public NFANodeT<Ch> {
 public:
  NFAQuantifierNodeT(NodeKind k, int mn, int mx, NFANodeT<Ch>* in)
      : NFANodeT<Ch>(k), min(mn < 0 ? 0 : mn), max(mx), inner(in) {}
  void prepare() override {
    follow = this->entryOfNext(0);
    loops = oneCharAtom(&single);
    if (loops) single = single.simplified();
  }
  // At least one repetition of a single character: that character.
  EntryTest<Ch> entryTest(int) const override {
    CharTest<Ch> t;
    if (min >= 1 && oneCharAtom(&t)) return EntryTest<Ch>::character(t);
    return EntryTest<Ch>();
  }
  int min, max;
  NFANodeT<Ch>* inner;

 protected:
  // Length of the run of matching characters at t, at most cap.
  int run(MatchState<Ch>& m, int t, int cap) const {
    if (cap > m.len - t) cap = m.len - t;
    if (cap <= 0) return 0;
    if (single.kind == CharKind::Any) return cap;
    int n = single.span(m.s + t, cap);
    m.charge(n);
    return n;
  }

  // The minimum part of any repetition: -1, or where it ends.
  int minPart(MatchState<Ch>& m, int pos) const {
    if (loops) {
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
  // character. Every such atom has the same width at each repetition
  // (literal, back-reference or zero-width anchor), so the run is
  // t + k * width.
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

  // The atom is one character, followed by the accept node that ends the
  // inner chain; *t gets its test.
  bool oneCharAtom(CharTest<Ch>* t) const {
    return inner && inner->next && inner->next->kind == NodeKind::Accept && !inner->next->next &&
           inner->singleChar(t);
  }

  EntryTest<Ch> follow;  // what the rest of the pattern needs
  bool loops = false;    // the atom is one character, repeated by run()
  CharTest<Ch> single;   // its test, when loops
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
    if (m.failed && this->loops && this->single.kind == CharKind::Any &&
        this->max == BasicPattern<Ch>::kMaxRepeat && m.inMemo(this->id, pos))
      return matchAnyRemembering(m, pos, t);
    return matchRepeat(m, t, this->min);
  }
  // Longest run first, then one repetition shorter at a time; at most
  // `most` repetitions beyond those done.
  int matchRepeat(MatchState<Ch>& m, int pos, int done, int most = INT_MAX) const {
    int room = this->max > done ? this->max - done : 0;
    int n, w = 1;
    if (this->loops) n = this->run(m, pos, room);
    else n = this->generalRun(m, pos, room, &w);
    if (w == 0) n = 0;
    if (n > most) n = most;
    long long scanned = 0;
    if (this->follow.isPlainChar() && w == 1) {
      // Back off straight to each earlier occurrence of the next character.
      const Ch c = this->follow.test.ch;
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
      if (this->loops) d = (t < m.len && this->single.accepts(m.s[t])) ? t + 1 : -1;
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
};

template <class Ch> class NFAPossessiveQuantifierNodeT : public NFAQuantifierNodeT<Ch> {
  using Base = NFAQuantifierNodeT<Ch>;

 public:
  NFAPossessiveQuantifierNodeT(int mn, int mx, NFANodeT<Ch>* in) : Base(NodeKind::PossessiveQuantifier, mn, mx, in) {}
  // As long as possible, never shortened.
  int match(MatchState<Ch>& m, int pos) const override {
    int t = this->minPart(m, pos);
    if (t < 0) return -1;
    if (this->loops) return this->next->go(m, t + this->run(m, t, this->room()));
    for (int k = this->min; k < this->max; ++k) {
      int d = this->inner->go(m, t);
      if (d <= t) break;
      t = d;
    }
    return this->next->go(m, t);
  }
};
