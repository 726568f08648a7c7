// compile(): parse the text into a graph between a search driver and an end
// node, let the nodes look at their neighbours, number them, and decide
// whether the pattern may use the failure memo.
#include <algorithm>
#include <climits>

#include "pattern/CompiledPattern.h"
#include "pattern/MemoAnalysis.h"
#include "pattern/Nodes.h"
#include "pattern/Pattern.h"
#include "pattern/PatternLimits.h"
#include "pattern/PatternParser.h"
#include "pattern/SyntaxErrorReport.h"

template <class Ch> BasicPattern<Ch>* BasicPattern<Ch>::compile(const String& source, unsigned long f) {
  using Node = NFANodeT<Ch>;
  if (source.size() > patternlimits::kMaxPatternLength) {
    reportSyntaxError(source, 0);
    return nullptr;
  }
  CompiledPattern<Ch>* p = new CompiledPattern<Ch>(source, f);
  p->nodes.reserve(std::min<size_t>(2 * source.size() + 8, 4096));
  NFAStartNodeT<Ch>* start = p->template make<NFAStartNodeT<Ch>>();
  Node* first = nullptr;
  Node* last = nullptr;
  if (f & LITERAL_TEXT) {  // no character is special
    if (f & IGNORE_CASE) first = p->template make<NFACIQuoteNodeT<Ch>>(source);
    else first = p->template make<NFAQuoteNodeT<Ch>>(source);
    last = first;
  } else {
    PatternParser<Ch> parser(*p, source, f);
    if (!parser.parseTop(first, last, 0)) {
      delete p;
      return nullptr;
    }
  }
  Node* end = p->template make<NFAEndNodeT<Ch>>();
  start->next = first;
  last->next = end;
  p->head = start;
  // Last to first: a node's successor is always made after it.
  for (size_t i = p->nodes.size(); i-- > 0;)
    if (p->nodes[i]->needsPrepare()) p->nodes[i]->prepare();
  for (size_t i = 0; i < p->nodes.size(); ++i) p->nodes[i]->id = static_cast<int>(i);
  if (failuresMayBeRemembered(p->nodes)) p->memoNodes = static_cast<int>(p->nodes.size());
  return p;
}

template BasicPattern<char>* BasicPattern<char>::compile(const std::string&, unsigned long);
template BasicPattern<wchar_t>* BasicPattern<wchar_t>::compile(const std::wstring&, unsigned long);
