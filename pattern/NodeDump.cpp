// The debug print of the node graph (narrow variant), and the one instance
// of every node template for both variants.
#include "pattern/CompiledPattern.h"
#include "pattern/Nodes.h"

#include <cstdio>
#include <string>

namespace {

// The class name as the run-time type information spells it: its length,
// then the name.
std::string typeName(const char* name) { return std::to_string(std::strlen(name)) + name; }

const char* yesNo(bool b) { return b ? "true" : "false"; }

template <class Ch> constexpr bool narrow() { return std::is_same<Ch, char>::value; }

}  // namespace

#define FWPATTERN_PLAIN_DUMP(Template, Name)                                  \
  template <class Ch> void Template<Ch>::dumpNode(int indent) const {         \
    if constexpr (narrow<Ch>()) {                                             \
      printf("%*c%s\n", 2 * indent, ' ', typeName(Name).c_str());             \
      this->dumpNext(indent);                                                 \
    }                                                                         \
  }

template <class Ch> void NFANodeT<Ch>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    printf("%*c%s\n", 2 * indent, ' ', typeName("NFANode").c_str());
    dumpNext(indent);
  }
}

FWPATTERN_PLAIN_DUMP(NFAStartNodeT, "NFAStartNode")
FWPATTERN_PLAIN_DUMP(NFAEndNodeT, "NFAEndNode")
FWPATTERN_PLAIN_DUMP(NFASubStartNodeT, "NFASubStartNode")
FWPATTERN_PLAIN_DUMP(NFAAcceptNodeT, "NFAAcceptNode")
FWPATTERN_PLAIN_DUMP(NFAStartOfLineNodeT, "NFAStartOfLineNode")
FWPATTERN_PLAIN_DUMP(NFAEndOfLineNodeT, "NFAEndOfLineNode")
FWPATTERN_PLAIN_DUMP(NFAStartOfInputNodeT, "NFAStartOfInputNode")
FWPATTERN_PLAIN_DUMP(NFAEndOfMatchNodeT, "NFAEndOfMatchNode")

template <class Ch, CharKind K> void NFAOneCharNodeT<Ch, K>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    const char* name = K == CharKind::Char ? "NFACharNode" : "NFACICharNode";
    printf("%*c%s(0x%02X)\n", 2 * indent, ' ', typeName(name).c_str(),
           static_cast<unsigned>(static_cast<unsigned char>(ch)));
    this->dumpNext(indent);
  }
}

// The case-insensitive class prints no line of its own.
template <class Ch, CharKind K> void NFACharSetNodeT<Ch, K>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    if (K == CharKind::Class)
      printf("%*c%s(%d vals, inv=%s)\n", 2 * indent, ' ', typeName("NFAClassNode").c_str(), members.size(),
             yesNo(inverse));
    this->dumpNext(indent);
  }
}

#define FWPATTERN_QUOTE_DUMP(Template, Name)                                                  \
  template <class Ch> void Template<Ch>::dumpNode(int indent) const {                         \
    if constexpr (narrow<Ch>()) {                                                             \
      printf("%*c%s(%s)\n", 2 * indent, ' ', typeName(Name).c_str(), this->literal.c_str());  \
      this->dumpNext(indent);                                                                 \
    }                                                                                         \
  }
FWPATTERN_QUOTE_DUMP(NFAQuoteNodeT, "NFAQuoteNode")
FWPATTERN_QUOTE_DUMP(NFACIQuoteNodeT, "NFACIQuoteNode")

template <class Ch> void NFAOrNodeT<Ch>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    int w = 2 * indent;
    printf("%*c%s\n", w, ' ', typeName("NFAOrNode").c_str());
    printf("%*cone\n", w + 2, ' ');
    this->dumpChain(left, indent + 2);
    printf("%*ctwo\n", w + 2, ' ');
    this->dumpChain(right, indent + 2);
  }
}

#define FWPATTERN_QUANTIFIER_DUMP(Template, Name)                                                       \
  template <class Ch> void Template<Ch>::dumpNode(int indent) const {                                   \
    if constexpr (narrow<Ch>()) {                                                                       \
      int w = 2 * indent;                                                                               \
      printf("%*c%s(min=%d, max=%d)\n", w, ' ', typeName(Name).c_str(), this->min, this->max);         \
      printf("%*cinner\n", w + 2, ' ');                                                                 \
      this->dumpChain(this->inner, indent + 2);                                                         \
      this->dumpNext(indent);                                                                           \
    }                                                                                                   \
  }
FWPATTERN_QUANTIFIER_DUMP(NFAQuantifierNodeT, "NFAQuantifierNode")
FWPATTERN_QUANTIFIER_DUMP(NFAGreedyQuantifierNodeT, "NFAGreedyQuantifierNode")
FWPATTERN_QUANTIFIER_DUMP(NFALazyQuantifierNodeT, "NFALazyQuantifierNode")
FWPATTERN_QUANTIFIER_DUMP(NFAPossessiveQuantifierNodeT, "NFAPossessiveQuantifierNode")

template <class Ch> void NFALookAheadNodeT<Ch>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    printf("%*c%s(pos=%s)\n", 2 * indent, ' ', typeName("NFALookAheadNode").c_str(), yesNo(positive));
    this->dumpChain(inner, indent + 1);
    this->dumpNext(indent);
  }
}

template <class Ch> void NFALookBehindNodeT<Ch>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    printf("%*c%s(str=%s, pos=%s)\n", 2 * indent, ' ', typeName("NFALookBehindNode").c_str(), literal.c_str(),
           yesNo(positive));
    this->dumpNext(indent);
  }
}

template <class Ch> void NFAEndOfInputNodeT<Ch>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    printf("%*c%s(term=%s)\n", 2 * indent, ' ', typeName("NFAEndOfInputNode").c_str(), yesNo(allowTerminator));
    this->dumpNext(indent);
  }
}

template <class Ch> void NFAWordBoundaryNodeT<Ch>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    printf("%*c%s(pos=%s)\n", 2 * indent, ' ', typeName("NFAWordBoundaryNode").c_str(), yesNo(positive));
    this->dumpNext(indent);
  }
}

#define FWPATTERN_INDEX_DUMP(Template, Name)                                                   \
  template <class Ch> void Template<Ch>::dumpNode(int indent) const {                          \
    if constexpr (narrow<Ch>()) {                                                              \
      printf("%*c%s(gi=%d)\n", 2 * indent, ' ', typeName(Name).c_str(), this->groupIndex);     \
      this->dumpNext(indent);                                                                  \
    }                                                                                          \
  }
FWPATTERN_INDEX_DUMP(NFAGroupHeadNodeT, "NFAGroupHeadNode")
FWPATTERN_INDEX_DUMP(NFAGroupTailNodeT, "NFAGroupTailNode")
FWPATTERN_INDEX_DUMP(NFAGroupLoopPrologueNodeT, "NFAGroupLoopPrologueNode")
FWPATTERN_INDEX_DUMP(NFAReferenceNodeT, "NFAReferenceNode")

// The loop's inner chain leads back to the loop, so it is not followed.
template <class Ch> void NFAGroupLoopNodeT<Ch>::dumpNode(int indent) const {
  if constexpr (narrow<Ch>()) {
    const char* type = loopType == Repetition::Lazy ? "reluctant"
                       : loopType == Repetition::Possessive ? "possessive"
                                                            : "greedy";
    printf("%*c%s(gi=%d, min=%d, max=%d, type=%s)\n", 2 * indent, ' ', typeName("NFAGroupLoopNode").c_str(),
           groupIndex, min, max, type);
    this->dumpNext(indent);
  }
}

#define FWPATTERN_NODES(Ch)                       \
  template class NFANodeT<Ch>;                    \
  template class NFAOneCharNodeT<Ch, CharKind::Char>;    \
  template class NFAOneCharNodeT<Ch, CharKind::CIChar>;  \
  template class NFACharSetNodeT<Ch, CharKind::Class>;   \
  template class NFACharSetNodeT<Ch, CharKind::CIClass>; \
  template class NFAQuoteNodeT<Ch>;               \
  template class NFACIQuoteNodeT<Ch>;             \
  template class NFAStartNodeT<Ch>;               \
  template class NFAEndNodeT<Ch>;                 \
  template class NFASubStartNodeT<Ch>;            \
  template class NFAAcceptNodeT<Ch>;              \
  template class NFAOrNodeT<Ch>;                  \
  template class NFAQuantifierNodeT<Ch>;          \
  template class NFAGreedyQuantifierNodeT<Ch>;    \
  template class NFALazyQuantifierNodeT<Ch>;      \
  template class NFAPossessiveQuantifierNodeT<Ch>; \
  template class NFALookAheadNodeT<Ch>;           \
  template class NFALookBehindNodeT<Ch>;          \
  template class NFAStartOfLineNodeT<Ch>;         \
  template class NFAEndOfLineNodeT<Ch>;           \
  template class NFAReferenceNodeT<Ch>;           \
  template class NFAStartOfInputNodeT<Ch>;        \
  template class NFAEndOfInputNodeT<Ch>;          \
  template class NFAWordBoundaryNodeT<Ch>;        \
  template class NFAEndOfMatchNodeT<Ch>;          \
  template class NFAGroupHeadNodeT<Ch>;           \
  template class NFAGroupTailNodeT<Ch>;           \
  template class NFAGroupLoopPrologueNodeT<Ch>;   \
  template class NFAGroupLoopNodeT<Ch>;
FWPATTERN_NODES(char)
FWPATTERN_NODES(wchar_t)
