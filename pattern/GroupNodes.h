#pragma once
// Group nodes: the marks that record where a group starts and ends, the
// back-reference that matches a group's text again, and the prologue and
// loop node of a repeated group. Non-capturing groups have negative indexes
// so that a repeated one has repetition counters of its own.
#include "pattern/NodeBase.h"

template <class Ch> class NFAGroupHeadNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAGroupHeadNodeT(int gi) : NFANodeT<Ch>(NodeKind::GroupHead), groupIndex(gi) {}
  int match(MatchState<Ch>& m, int pos) const override {
    return this->recordAndGo(m, m.groupStarts[groupIndex], pos);
  }
  EntryTest<Ch> entryTest(int hops) const override { return this->entryOfNext(hops); }
  int groupIndex;
};

template <class Ch> class NFAGroupTailNodeT : public NFANodeT<Ch> {
 public:
  explicit NFAGroupTailNodeT(int gi) : NFANodeT<Ch>(NodeKind::GroupTail), groupIndex(gi) {}
  int match(MatchState<Ch>& m, int pos) const override { return this->recordAndGo(m, m.groupEnds[groupIndex], pos); }
  EntryTest<Ch> entryTest(int hops) const override { return this->entryOfNext(hops); }
  int groupIndex;
};

// A group that is not set (unset, empty, group 0, or a number the pattern
// does not have) matches the empty string; otherwise its text, compared
// case-sensitively.
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
};

// In front of a repeated group: starts its counters for this passage and
// puts the outer ones back when the rest fails (a repeated group inside a
// repeated group starts afresh at every outer repetition).
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
};

// Reached first from the prologue and again from the group's tail after
// every passage. The minimum is required; beyond it the kind decides
// whether another passage or the rest of the pattern is tried first. An
// iteration that consumed nothing ends the loop.
template <class Ch> class NFAGroupLoopNodeT : public NFANodeT<Ch> {
 public:
  NFAGroupLoopNodeT(int gi, int mn, int mx, Repetition type, NFANodeT<Ch>* in)
      : NFANodeT<Ch>(NodeKind::GroupLoop), groupIndex(gi), min(mn), max(mx), loopType(type), inner(in) {}
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
      case Repetition::Lazy: {
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
      case Repetition::Possessive: {
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
      case Repetition::Greedy:
        break;
    }
    at = pos;
    ++count;
    int r = inner->go(m, pos);
    if (r >= 0) return r;
    at = saved;
    --count;
    return this->next->go(m, pos);
  }
  int groupIndex, min, max;
  Repetition loopType;
  NFANodeT<Ch>* inner;
};
