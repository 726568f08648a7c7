#pragma once
// Every node family, and the names the system gives the nodes of each
// variant: NFACharNode ... over narrow text, NFACharUNode ... over wide text.
#include "pattern/AnchorNodes.h"
#include "pattern/CharacterNodes.h"
#include "pattern/FlowNodes.h"
#include "pattern/GroupNodes.h"
#include "pattern/LookAroundNodes.h"
#include "pattern/NodeBase.h"
#include "pattern/QuantifierNodes.h"

using NFANode = NFANodeT<char>;
using NFACharNode = NFACharNodeT<char>;
using NFACICharNode = NFACICharNodeT<char>;
using NFAClassNode = NFAClassNodeT<char>;
using NFACIClassNode = NFACIClassNodeT<char>;
using NFAQuoteNode = NFAQuoteNodeT<char>;
using NFACIQuoteNode = NFACIQuoteNodeT<char>;
using NFAStartNode = NFAStartNodeT<char>;
using NFAEndNode = NFAEndNodeT<char>;
using NFASubStartNode = NFASubStartNodeT<char>;
using NFAAcceptNode = NFAAcceptNodeT<char>;
using NFAOrNode = NFAOrNodeT<char>;
using NFAQuantifierNode = NFAQuantifierNodeT<char>;
using NFAGreedyQuantifierNode = NFAGreedyQuantifierNodeT<char>;
using NFALazyQuantifierNode = NFALazyQuantifierNodeT<char>;
using NFAPossessiveQuantifierNode = NFAPossessiveQuantifierNodeT<char>;
using NFALookAheadNode = NFALookAheadNodeT<char>;
using NFALookBehindNode = NFALookBehindNodeT<char>;
using NFAStartOfLineNode = NFAStartOfLineNodeT<char>;
using NFAEndOfLineNode = NFAEndOfLineNodeT<char>;
using NFAReferenceNode = NFAReferenceNodeT<char>;
using NFAStartOfInputNode = NFAStartOfInputNodeT<char>;
using NFAEndOfInputNode = NFAEndOfInputNodeT<char>;
using NFAWordBoundaryNode = NFAWordBoundaryNodeT<char>;
using NFAEndOfMatchNode = NFAEndOfMatchNodeT<char>;
using NFAGroupHeadNode = NFAGroupHeadNodeT<char>;
using NFAGroupTailNode = NFAGroupTailNodeT<char>;
using NFAGroupLoopPrologueNode = NFAGroupLoopPrologueNodeT<char>;
using NFAGroupLoopNode = NFAGroupLoopNodeT<char>;

using NFAUNode = NFANodeT<wchar_t>;
using NFACharUNode = NFACharNodeT<wchar_t>;
using NFACICharUNode = NFACICharNodeT<wchar_t>;
using NFAClassUNode = NFAClassNodeT<wchar_t>;
using NFACIClassUNode = NFACIClassNodeT<wchar_t>;
using NFAQuoteUNode = NFAQuoteNodeT<wchar_t>;
using NFACIQuoteUNode = NFACIQuoteNodeT<wchar_t>;
using NFAStartUNode = NFAStartNodeT<wchar_t>;
using NFAEndUNode = NFAEndNodeT<wchar_t>;
using NFASubStartUNode = NFASubStartNodeT<wchar_t>;
using NFAAcceptUNode = NFAAcceptNodeT<wchar_t>;
using NFAOrUNode = NFAOrNodeT<wchar_t>;
using NFAQuantifierUNode = NFAQuantifierNodeT<wchar_t>;
using NFAGreedyQuantifierUNode = NFAGreedyQuantifierNodeT<wchar_t>;
using NFALazyQuantifierUNode = NFALazyQuantifierNodeT<wchar_t>;
using NFAPossessiveQuantifierUNode = NFAPossessiveQuantifierNodeT<wchar_t>;
using NFALookAheadUNode = NFALookAheadNodeT<wchar_t>;
using NFALookBehindUNode = NFALookBehindNodeT<wchar_t>;
using NFAStartOfLineUNode = NFAStartOfLineNodeT<wchar_t>;
using NFAEndOfLineUNode = NFAEndOfLineNodeT<wchar_t>;
using NFAReferenceUNode = NFAReferenceNodeT<wchar_t>;
using NFAStartOfInputUNode = NFAStartOfInputNodeT<wchar_t>;
using NFAEndOfInputUNode = NFAEndOfInputNodeT<wchar_t>;
using NFAWordBoundaryUNode = NFAWordBoundaryNodeT<wchar_t>;
using NFAEndOfMatchUNode = NFAEndOfMatchNodeT<wchar_t>;
using NFAGroupHeadUNode = NFAGroupHeadNodeT<wchar_t>;
using NFAGroupTailUNode = NFAGroupTailNodeT<wchar_t>;
using NFAGroupLoopPrologueUNode = NFAGroupLoopPrologueNodeT<wchar_t>;
using NFAGroupLoopUNode = NFAGroupLoopNodeT<wchar_t>;
