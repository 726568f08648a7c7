#pragma once
// Look-around nodes: a look-ahead runs a whole sub-graph at the position and
// consumes nothing; a look-behind compares a literal text just before it.
#include <string>

#include "pattern/NodeBase.h"

template <class Ch> class NFALookAheadNodeT : public NFANodeT<Ch> {
 public:
  NFALookAheadNodeT(NFANodeT<Ch>* in, bool pos) : NFANodeT<Ch>(NodeKind::LookAhead), positive(pos), inner(in) {}
  int match(MatchState<Ch>& m, int pos) const override {
    int r = inner->go(m, pos);
    if (m.limitHit) return -1;
    if (positive ? r == -1 : r != -1) return -1;
    return this->next->go(m, pos);
  }
  bool positive;
  NFANodeT<Ch>* inner;
};

// Always case-sensitive; with an empty text and positive it always passes
// (the node a bare inline-flag group leaves behind).
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
};
