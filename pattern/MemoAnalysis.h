#pragma once
// The analysis that decides whether a pattern may use the failure memo: a
// node's result must depend on the position alone.
#include <vector>

#include "pattern/NodeBase.h"

// True when nothing reads groups or loop counts (no back-reference, no
// repeated group), \G is absent (its anchor moves between the attempts of
// one search), and no capturing group sits where its values outlive a
// failed path (inside a look-ahead or an independent group). nodes is the
// pattern's whole node set, with ids set to their index in it.
template <class Ch> bool failuresMayBeRemembered(const std::vector<NFANodeT<Ch>*>& nodes);
