// The debug print of a node graph: each node's class name as the run-time
// type information spells it (its length, then the name) and its fields.
#include "pattern/NodeDump.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "pattern/Nodes.h"

namespace {

const char* yesNo(bool b) { return b ? "true" : "false"; }

void line(int indent, const char* name, const std::string& fields = std::string()) {
  printf("%*c%zu%s%s\n", 2 * indent, ' ', std::strlen(name), name, fields.c_str());
}

void label(int indent, const char* text) { printf("%*c%s\n", 2 * indent, ' ', text); }

std::string format(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* f, ...) {
  char buf[128];
  va_list ap;
  va_start(ap, f);
  vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

const char* repetitionName(Repetition r) {
  switch (r) {
    case Repetition::Lazy: return "reluctant";
    case Repetition::Possessive: return "possessive";
    case Repetition::Greedy: break;
  }
  return "greedy";
}

const char* quantifierName(NodeKind k) {
  switch (k) {
    case NodeKind::LazyQuantifier: return "NFALazyQuantifierNode";
    case NodeKind::PossessiveQuantifier: return "NFAPossessiveQuantifierNode";
    default: return "NFAGreedyQuantifierNode";
  }
}

const char* plainName(NodeKind k) {
  switch (k) {
    case NodeKind::Start: return "NFAStartNode";
    case NodeKind::End: return "NFAEndNode";
    case NodeKind::SubStart: return "NFASubStartNode";
    case NodeKind::Accept: return "NFAAcceptNode";
    case NodeKind::StartOfLine: return "NFAStartOfLineNode";
    case NodeKind::EndOfLine: return "NFAEndOfLineNode";
    case NodeKind::StartOfInput: return "NFAStartOfInputNode";
    case NodeKind::EndOfMatch: return "NFAEndOfMatchNode";
    default: return "NFANode";
  }
}

std::string hex(char c) { return format("(0x%02X)", static_cast<unsigned>(static_cast<unsigned char>(c))); }

// Group marks and references: the name and the group index.
template <class N> void indexLine(int indent, const char* name, const NFANodeT<char>* n) {
  line(indent, name, format("(gi=%d)", static_cast<const N*>(n)->groupIndex));
}

}  // namespace

// Along next in a loop; only the inner chains recurse.
void dumpNodes(const NFANodeT<char>* n, int indent) {
  for (; n; n = n->next) {
    switch (n->kind) {
      case NodeKind::Char:
        line(indent, "NFACharNode", hex(static_cast<const NFACharNode*>(n)->ch));
        break;
      case NodeKind::CIChar:
        line(indent, "NFACICharNode", hex(static_cast<const NFACICharNode*>(n)->ch));
        break;
      case NodeKind::Class: {
        auto* c = static_cast<const NFAClassNode*>(n);
        line(indent, "NFAClassNode", format("(%d vals, inv=%s)", c->members.size(), yesNo(c->inverse)));
        break;
      }
      case NodeKind::CIClass:  // prints no line of its own
        break;
      case NodeKind::Quote:
      case NodeKind::CIQuote:
        line(indent, n->kind == NodeKind::Quote ? "NFAQuoteNode" : "NFACIQuoteNode",
             "(" + static_cast<const NFAQuoteNode*>(n)->literal + ")");
        break;
      case NodeKind::Or: {  // both alternatives run on to the end, so nothing follows
        auto* o = static_cast<const NFAOrNode*>(n);
        line(indent, "NFAOrNode");
        label(indent + 1, "one");
        dumpNodes(o->left, indent + 2);
        label(indent + 1, "two");
        dumpNodes(o->right, indent + 2);
        return;
      }
      case NodeKind::GreedyQuantifier:
      case NodeKind::LazyQuantifier:
      case NodeKind::PossessiveQuantifier: {
        auto* q = static_cast<const NFAQuantifierNode*>(n);
        line(indent, quantifierName(n->kind), format("(min=%d, max=%d)", q->min, q->max));
        label(indent + 1, "inner");
        dumpNodes(q->inner, indent + 2);
        break;
      }
      case NodeKind::LookAhead: {
        auto* l = static_cast<const NFALookAheadNode*>(n);
        line(indent, "NFALookAheadNode", format("(pos=%s)", yesNo(l->positive)));
        dumpNodes(l->inner, indent + 1);
        break;
      }
      case NodeKind::LookBehind: {
        auto* l = static_cast<const NFALookBehindNode*>(n);
        line(indent, "NFALookBehindNode", "(str=" + l->literal + ", pos=" + yesNo(l->positive) + ")");
        break;
      }
      case NodeKind::EndOfInput:
        line(indent, "NFAEndOfInputNode",
             format("(term=%s)", yesNo(static_cast<const NFAEndOfInputNode*>(n)->allowTerminator)));
        break;
      case NodeKind::WordBoundary:
        line(indent, "NFAWordBoundaryNode",
             format("(pos=%s)", yesNo(static_cast<const NFAWordBoundaryNode*>(n)->positive)));
        break;
      case NodeKind::GroupHead:
        indexLine<NFAGroupHeadNode>(indent, "NFAGroupHeadNode", n);
        break;
      case NodeKind::GroupTail:
        indexLine<NFAGroupTailNode>(indent, "NFAGroupTailNode", n);
        break;
      case NodeKind::GroupLoopPrologue:
        indexLine<NFAGroupLoopPrologueNode>(indent, "NFAGroupLoopPrologueNode", n);
        break;
      case NodeKind::Reference:
        indexLine<NFAReferenceNode>(indent, "NFAReferenceNode", n);
        break;
      case NodeKind::GroupLoop: {  // its inner chain leads back to it, so it is not followed
        auto* l = static_cast<const NFAGroupLoopNode*>(n);
        line(indent, "NFAGroupLoopNode",
             format("(gi=%d, min=%d, max=%d, type=%s)", l->groupIndex, l->min, l->max, repetitionName(l->loopType)));
        break;
      }
      default:
        line(indent, plainName(n->kind));
        break;
    }
  }
}
