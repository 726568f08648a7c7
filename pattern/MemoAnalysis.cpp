// Whether a compiled pattern may remember where its nodes failed.
#include "pattern/MemoAnalysis.h"

#include "pattern/Nodes.h"

namespace {

// Reached from a look-ahead's or an independent group's inner chain.
template <class Ch> bool capturesInside(const std::vector<const NFANodeT<Ch>*>& inners, size_t nodeCount) {
  if (inners.empty()) return false;
  std::vector<char> seen(nodeCount, 0);
  std::vector<const NFANodeT<Ch>*> todo;
  for (const NFANodeT<Ch>* start : inners) {
    todo.push_back(start);
    while (!todo.empty()) {
      const NFANodeT<Ch>* n = todo.back();
      todo.pop_back();
      if (!n || n->id < 0 || static_cast<size_t>(n->id) >= seen.size() || seen[n->id]) continue;
      seen[n->id] = 1;
      switch (n->kind) {
        case NodeKind::GroupHead:
          if (static_cast<const NFAGroupHeadNodeT<Ch>*>(n)->groupIndex > 0) return true;
          break;
        case NodeKind::GroupTail:
          if (static_cast<const NFAGroupTailNodeT<Ch>*>(n)->groupIndex > 0) return true;
          break;
        case NodeKind::Or:
          todo.push_back(static_cast<const NFAOrNodeT<Ch>*>(n)->left);
          todo.push_back(static_cast<const NFAOrNodeT<Ch>*>(n)->right);
          break;
        case NodeKind::LookAhead:
          todo.push_back(static_cast<const NFALookAheadNodeT<Ch>*>(n)->inner);
          break;
        case NodeKind::GreedyQuantifier: case NodeKind::LazyQuantifier: case NodeKind::PossessiveQuantifier:
          todo.push_back(static_cast<const NFAQuantifierNodeT<Ch>*>(n)->inner);
          break;
        default:
          break;
      }
      todo.push_back(n->next);
    }
  }
  return false;
}

}  // namespace

template <class Ch> bool failuresMayBeRemembered(const std::vector<NFANodeT<Ch>*>& nodes) {
  std::vector<const NFANodeT<Ch>*> inners;
  for (const NFANodeT<Ch>* n : nodes) {
    switch (n->kind) {
      case NodeKind::Reference: case NodeKind::GroupLoop: case NodeKind::GroupLoopPrologue:
      case NodeKind::EndOfMatch:
        return false;
      case NodeKind::LookAhead:
        inners.push_back(static_cast<const NFALookAheadNodeT<Ch>*>(n)->inner);
        break;
      case NodeKind::PossessiveQuantifier:
        inners.push_back(static_cast<const NFAQuantifierNodeT<Ch>*>(n)->inner);
        break;
      default:
        break;
    }
  }
  return !capturesInside(inners, nodes.size());
}

template bool failuresMayBeRemembered(const std::vector<NFANodeT<char>*>&);
template bool failuresMayBeRemembered(const std::vector<NFANodeT<wchar_t>*>&);
