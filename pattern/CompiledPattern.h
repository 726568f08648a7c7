#pragma once
// What a compiled pattern holds behind the BasicPattern interface: the node
// graph, its arena and node set, and what matching needs (group counts, the
// memo's node count). The parse state lives in the parser, not here.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "pattern/NodeArena.h"
#include "pattern/NodeBase.h"
#include "pattern/Pattern.h"

template <class Ch> class NFAStartNodeT;

template <class Ch> class CompiledPattern final : public BasicPattern<Ch> {
 public:
  using String = std::basic_string<Ch>;
  using Node = NFANodeT<Ch>;

  CompiledPattern(const String& t, unsigned long f) : text(t), flags(f), arena(t.size()) {}
  ~CompiledPattern() override;

  static CompiledPattern& of(BasicPattern<Ch>& p) { return static_cast<CompiledPattern&>(p); }
  static const CompiledPattern& of(const BasicPattern<Ch>& p) { return static_cast<const CompiledPattern&>(p); }

  // A new node of this pattern, entered into the node set.
  template <class T, class... A> T* make(A&&... args) {
    static_assert(alignof(T) <= NodeArena::kAlign, "node blocks are aligned for pointers and 64-bit words");
    T* n = new (arena.allocate(sizeof(T))) T(std::forward<A>(args)...);
    nodes.push_back(n);
    return n;
  }
  // The pattern's own matcher, made on first use: a pattern compiled only
  // to make matchers (as the components do) never pays for it.
  BasicTextMatcher<Ch>* own();

  const String text;
  const unsigned long flags;  // as passed to compile()
  NFAStartNodeT<Ch>* head = nullptr;  // the search driver
  int groupCount = 1;          // index 0 is the whole match
  int nonCaptureCount = 0;     // N: the non-capturing groups have indexes -1 .. -N
  int memoNodes = 0;           // node count when failures may be remembered, else 0
  std::vector<Node*> nodes;    // every node made for this pattern, in order; ids index it
  BasicTextMatcher<Ch>* ownMatcher = nullptr;

 private:
  NodeArena arena;
};
