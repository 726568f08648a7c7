// A compiled pattern's lifetime and accessors, the operations it offers on
// its own matcher, and the one-call forms that compile, apply once and free.
#include "pattern/Pattern.h"

#include <climits>
#include <cstdio>
#include <memory>

#include "pattern/CompiledPattern.h"
#include "pattern/FlowNodes.h"
#include "pattern/NodeDump.h"
#include "pattern/TextMatcherCore.h"

template <class Ch> BasicPattern<Ch>::~BasicPattern() = default;

template <class Ch> CompiledPattern<Ch>::~CompiledPattern() {
  delete ownMatcher;
  for (Node* n : nodes)
    if (n->ownsMemory()) n->~Node();
}

template <class Ch> BasicTextMatcher<Ch>* CompiledPattern<Ch>::own() {
  if (!ownMatcher) ownMatcher = new TextMatcherCore<Ch>(this, String());
  return ownMatcher;
}

template <class Ch> BasicTextMatcher<Ch>* BasicPattern<Ch>::makeMatcher(const String& t) {
  return new TextMatcherCore<Ch>(&CompiledPattern<Ch>::of(*this), t);
}

template <class Ch> bool BasicPattern<Ch>::limitHit() const {
  const BasicTextMatcher<Ch>* own = CompiledPattern<Ch>::of(*this).ownMatcher;
  return own && own->limitHit();
}

template <class Ch> int BasicPattern<Ch>::getGroupCount() const { return CompiledPattern<Ch>::of(*this).groupCount; }

template <class Ch> int BasicPattern<Ch>::getNonCaptureCount() const {
  return CompiledPattern<Ch>::of(*this).nonCaptureCount;
}

template <class Ch> unsigned long BasicPattern<Ch>::getFlags() const { return CompiledPattern<Ch>::of(*this).flags; }

template <class Ch> const typename BasicPattern<Ch>::String& BasicPattern<Ch>::getText() const {
  return CompiledPattern<Ch>::of(*this).text;
}

template <class Ch> const NFANodeT<Ch>* BasicPattern<Ch>::getHead() const { return CompiledPattern<Ch>::of(*this).head; }

template <class Ch> size_t BasicPattern<Ch>::nodeCount() const { return CompiledPattern<Ch>::of(*this).nodes.size(); }

template <class Ch> bool BasicPattern<Ch>::remembersFailures() const {
  return CompiledPattern<Ch>::of(*this).memoNodes > 0;
}

template <class Ch> bool BasicPattern<Ch>::matchesText(const String& t) {
  BasicTextMatcher<Ch>* m = CompiledPattern<Ch>::of(*this).own();
  m->setText(t);
  return m->matchesWhole();
}

template <class Ch> std::vector<typename BasicPattern<Ch>::String> BasicPattern<Ch>::findAll(const String& t) {
  BasicTextMatcher<Ch>* m = CompiledPattern<Ch>::of(*this).own();
  m->setText(t);
  return m->findAll();
}

template <class Ch>
std::vector<typename BasicPattern<Ch>::String> BasicPattern<Ch>::split(const String& t, bool keepEmpty, int limit) {
  // 0 (or a negative limit) means no limit.
  const size_t most = limit <= 0 ? static_cast<size_t>(INT_MAX) : static_cast<size_t>(limit);
  std::vector<String> pieces;
  BasicTextMatcher<Ch>* m = CompiledPattern<Ch>::of(*this).own();
  m->setText(t);
  int last = 0;
  while (pieces.size() < most && m->findNext()) {
    int s = m->groupStart(0), e = m->groupEnd(0);
    if (s == 0 && keepEmpty) {
      pieces.push_back(String());  // one leading empty piece, not two
    } else if (s == e && !keepEmpty) {
      continue;
    } else if (s != last || keepEmpty) {
      pieces.push_back(t.substr(static_cast<size_t>(last), static_cast<size_t>(s - last)));
    }
    last = e;
  }
  if (static_cast<size_t>(last) < t.size()) pieces.push_back(t.substr(static_cast<size_t>(last)));
  return pieces;
}

template <class Ch>
typename BasicPattern<Ch>::String BasicPattern<Ch>::replace(const String& t, const String& replacement) {
  BasicTextMatcher<Ch>* m = CompiledPattern<Ch>::of(*this).own();
  m->setText(t);
  String out;
  int last = 0;
  while (m->findNext()) {
    int s = m->groupStart(0);
    out.append(t, static_cast<size_t>(last), static_cast<size_t>(s - last));
    out += m->expandGroups(replacement);
    last = m->groupEnd(0);
  }
  out.append(t, static_cast<size_t>(last), String::npos);
  return out;
}

template <class Ch> bool BasicPattern<Ch>::matches(const String& pattern, const String& t, unsigned long f) {
  std::unique_ptr<BasicPattern> p(compile(pattern, f));
  return p && p->matchesText(t);
}

template <class Ch>
std::pair<typename BasicPattern<Ch>::String, int> BasicPattern<Ch>::findNth(const String& pattern, const String& t,
                                                                            int n, unsigned long f) {
  std::unique_ptr<BasicPattern> p(compile(pattern, f));
  if (!p) return {String(), -1};
  BasicTextMatcher<Ch>* m = CompiledPattern<Ch>::of(*p).own();
  m->setText(t);
  int i = -1;
  while (i < n && m->findNext()) ++i;
  if (i == n && m->groupStart(0) >= 0) return {m->groupText(0), m->groupStart(0)};
  return {String(), -1};
}

template <class Ch>
std::vector<typename BasicPattern<Ch>::String> BasicPattern<Ch>::findAll(const String& pattern, const String& t,
                                                                         unsigned long f) {
  std::unique_ptr<BasicPattern> p(compile(pattern, f));
  if (!p) return {};
  return p->findAll(t);
}

template <class Ch>
std::vector<typename BasicPattern<Ch>::String> BasicPattern<Ch>::split(const String& pattern, const String& t,
                                                                       bool keepEmpty, int limit, unsigned long f) {
  std::unique_ptr<BasicPattern> p(compile(pattern, f));
  if (!p) return {};
  return p->split(t, keepEmpty, limit);
}

template <class Ch>
typename BasicPattern<Ch>::String BasicPattern<Ch>::replace(const String& pattern, const String& t,
                                                            const String& replacement, unsigned long f) {
  std::unique_ptr<BasicPattern> p(compile(pattern, f));
  if (!p) return String();
  return p->replace(t, replacement);
}

template <class Ch> void BasicPattern<Ch>::dumpGraph() {
  if constexpr (std::is_same<Ch, char>::value) {
    const CompiledPattern<Ch>& p = CompiledPattern<Ch>::of(*this);
    printf("Pattern(%s):\n", p.text.c_str());
    dumpNodes(p.head, 1);
    fflush(stdout);
  }
}

template class BasicPattern<char>;
template class BasicPattern<wchar_t>;
template class CompiledPattern<char>;
template class CompiledPattern<wchar_t>;
