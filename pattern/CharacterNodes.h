#pragma once
// Character nodes: one character (plain or case-insensitive), a class of
// characters, and a quoted literal text. Each single-character node matches
// through its CharTest and hands that test to repetitions and entry tests.
#include <string>

#include "pattern/CharSet.h"
#include "pattern/CharTest.h"
#include "pattern/NodeBase.h"

// What every single-character node does with its test: match one character
// that passes it, and hand the test to repetitions and entry tests. Node
// holds the test's data and builds it in test().
template <class Ch, CharKind K, class Node> class NFASingleCharNodeT : public NFANodeT<Ch> {
 public:
  using NFANodeT<Ch>::NFANodeT;
  int match(MatchState<Ch>& m, int pos) const override {
    if (pos < m.len && self().test().template acceptsAs<K>(m.s[pos])) return this->next->go(m, pos + 1);
    return -1;
  }
  bool singleChar(CharTest<Ch>* t) const override {
    *t = self().test();
    return true;
  }
  EntryTest<Ch> entryTest(int) const override { return EntryTest<Ch>::character(self().test()); }

 private:
  const Node& self() const { return static_cast<const Node&>(*this); }
};

// NFACharNode compares the character with ch; NFACICharNode compares it
// lower-cased with ch, which is stored lower-cased. Plain characters linked
// one after the other ("HBA Instance") are compared in one visit of the
// first: a run has no choice to go back to, so nothing is lost.
template <class Ch, CharKind K> class NFAOneCharNodeT : public NFASingleCharNodeT<Ch, K, NFAOneCharNodeT<Ch, K>> {
  static_assert(K == CharKind::Char || K == CharKind::CIChar, "a plain or a case-insensitive character");
  using Base = NFASingleCharNodeT<Ch, K, NFAOneCharNodeT>;

 public:
  explicit NFAOneCharNodeT(Ch c) : Base(K == CharKind::Char ? NodeKind::Char : NodeKind::CIChar), ch(c) {}
  int match(MatchState<Ch>& m, int pos) const override {
    if constexpr (K == CharKind::Char)
      if (runLength > 1) return matchRun(m, pos);
    return Base::match(m, pos);
  }
  // The run from here on; the nodes are prepared last to first, so the
  // next one already knows its own.
  void prepare() override {
    if constexpr (K == CharKind::Char) {
      const NFANodeT<Ch>* n = this->next;
      if (n && n->kind == NodeKind::Char) runLength = 1 + static_cast<const NFAOneCharNodeT*>(n)->runLength;
    }
  }
  CharTest<Ch> test() const { return CharTest<Ch>::character(K, ch); }
  Ch ch;
  int runLength = 1;  // plain characters linked from here on, this one included

 private:
  int matchRun(MatchState<Ch>& m, int pos) const {
    if (runLength > m.len - pos) return -1;
    const NFANodeT<Ch>* n = this;
    for (int k = 0; k < runLength; ++k, n = n->next)
      if (m.s[pos + k] != static_cast<const NFAOneCharNodeT*>(n)->ch) return -1;
    return n->go(m, pos + runLength);
  }
};

// NFAClassNode matches a character whose membership differs from inverse;
// NFACIClassNode tests the lower-cased character against members stored
// lower-cased.
template <class Ch, CharKind K> class NFACharSetNodeT : public NFASingleCharNodeT<Ch, K, NFACharSetNodeT<Ch, K>> {
  static_assert(K == CharKind::Class || K == CharKind::CIClass, "a plain or a case-insensitive class");

 public:
  NFACharSetNodeT(const CharSetT<Ch>& set, bool inv)
      : NFASingleCharNodeT<Ch, K, NFACharSetNodeT>(K == CharKind::Class ? NodeKind::Class : NodeKind::CIClass),
        inverse(inv),
        members(set) {}
  CharTest<Ch> test() const { return CharTest<Ch>::members(K, &members, inverse); }
  bool inverse;
  CharSetT<Ch> members;
};

template <class Ch> using NFACharNodeT = NFAOneCharNodeT<Ch, CharKind::Char>;
template <class Ch> using NFACICharNodeT = NFAOneCharNodeT<Ch, CharKind::CIChar>;
template <class Ch> using NFAClassNodeT = NFACharSetNodeT<Ch, CharKind::Class>;
template <class Ch> using NFACIClassNodeT = NFACharSetNodeT<Ch, CharKind::CIClass>;

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
  // The first character of the text; an empty text tells nothing.
  EntryTest<Ch> entryTest(int) const override {
    if (literal.empty()) return EntryTest<Ch>();
    if (this->kind == NodeKind::CIQuote)
      return EntryTest<Ch>::character(CharTest<Ch>::character(CharKind::CIChar, patternchars::lower(literal[0])));
    return EntryTest<Ch>::character(CharTest<Ch>::character(CharKind::Char, literal[0]));
  }
  std::basic_string<Ch> literal;
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
};
