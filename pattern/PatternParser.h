#pragma once
// The parser: one left-to-right recursive-descent pass over a pattern text
// that turns every construct into nodes of a CompiledPattern the moment it
// is read, linked through their next pointers. No tokens, no syntax tree.
// The parser owns the parse state; a {name} reference is parsed by a parser
// of its own over the registered text, into the same pattern.
#include <climits>
#include <string>

#include "pattern/CompiledPattern.h"
#include "pattern/NodeBase.h"
#include "pattern/ParseState.h"

template <class Ch> class PatternParser {
 public:
  using String = std::basic_string<Ch>;
  using Node = NFANodeT<Ch>;

  PatternParser(CompiledPattern<Ch>& target, const String& text, unsigned long flags) : target_(target), in_(text, flags) {}

  // The whole text as a top-level run, from a new NFASubStartNode (first)
  // to last. False after a syntax error, already reported.
  bool parseTop(Node*& first, Node*& last, int depth);

 private:
  // The kind of run a parseRun call reads; it decides what a ')' or the end
  // of the text means.
  enum class RunKind { Top, Capture, NonCapture, LookAhead, NegLookAhead, Independent, Alternative };
  struct Run {
    RunKind kind;
    int index;       // group index of a capturing or non-capturing run
    int headIndex;   // group index an alternative must record, or INT_MIN
    bool inGroup;    // a ')' closes something
    unsigned long savedFlags;
  };
  struct Repeat {
    int min = 0, max = 0;
    Repetition kind = Repetition::Greedy;
  };

  bool parseRun(Run run, Node* firstNode, Node*& first, Node*& last, int depth);
  bool closeRun(const Run& run, Node* cur, Node*& first, Node*& last);
  bool parseGroup(Node*& first, Node*& last, int depth);
  bool parseInlineFlags(Run& run, Node*& head, Node*& first, Node*& last, bool* done);
  bool parseLookBehind(bool positive, Node*& node);
  bool parseReference(Node*& first, Node*& last, int depth);
  Node* parseEscapeAtom();
  Node* parseQuoted();
  Node* quantify(Node* atom);
  int readRepeat(Repeat* r);
  int readBound(Repeat* r);

  template <class T, class... A> T* make(A&&... args) { return target_.template make<T>(std::forward<A>(args)...); }

  CompiledPattern<Ch>& target_;
  ParseState<Ch> in_;
};
