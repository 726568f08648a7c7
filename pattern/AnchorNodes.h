#pragma once
// Anchors: zero-width tests of the position (start and end of a line or of
// the input, the end of the previous match, a word boundary).
#include "pattern/CharTest.h"
#include "pattern/NodeBase.h"

template <class Ch> class NFAStartOfLineNodeT : public NFANodeT<Ch> {
 public:
  NFAStartOfLineNodeT() : NFANodeT<Ch>(NodeKind::StartOfLine) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos == 0 || (pos <= m.len && patternchars::isLineEnd(m.s[pos - 1]))) return this->next->go(m, pos);
    return -1;
  }
};

template <class Ch> class NFAEndOfLineNodeT : public NFANodeT<Ch> {
 public:
  NFAEndOfLineNodeT() : NFANodeT<Ch>(NodeKind::EndOfLine) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos >= m.len || patternchars::isLineEnd(m.s[pos])) return this->next->go(m, pos);
    return -1;
  }
};

template <class Ch> class NFAStartOfInputNodeT : public NFANodeT<Ch> {
 public:
  NFAStartOfInputNodeT() : NFANodeT<Ch>(NodeKind::StartOfInput) {}
  int match(MatchState<Ch>& m, int pos) const override { return pos == 0 ? this->next->go(m, pos) : -1; }
};

// \Z (allowTerminator) also passes before a final "\n", "\r" or "\r\n";
// \z and $ only at the very end.
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
};

// \G: where the current search began.
template <class Ch> class NFAEndOfMatchNodeT : public NFANodeT<Ch> {
 public:
  NFAEndOfMatchNodeT() : NFANodeT<Ch>(NodeKind::EndOfMatch) {}
  int match(MatchState<Ch>& m, int pos) const override {
    return pos == m.searchStart ? this->next->go(m, pos) : -1;
  }
};

// Letters against everything else; the end of the text always passes.
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
};
