// Operations a compiled pattern offers on its own matcher, and the one-call
// forms that compile, apply once and free.
#include "pattern/Pattern.h"

#include <climits>
#include <cstdio>
#include <memory>

#include "pattern/Nodes.h"

template <class Ch> BasicTextMatcher<Ch>* BasicPattern<Ch>::makeMatcher(const String& t) {
  return new BasicTextMatcher<Ch>(this, t);
}

template <class Ch> bool BasicPattern<Ch>::limitHit() const { return ownMatcher && ownMatcher->limitHit(); }

// Made on first use: a pattern compiled only to make matchers (as the
// component does per line) never pays for it.
template <class Ch> BasicTextMatcher<Ch>* BasicPattern<Ch>::own() {
  if (!ownMatcher) ownMatcher = new BasicTextMatcher<Ch>(this, String());
  return ownMatcher;
}

template <class Ch> bool BasicPattern<Ch>::matchesText(const String& t) {
  own()->setText(t);
  return ownMatcher->matchesWhole();
}

template <class Ch> std::vector<typename BasicPattern<Ch>::String> BasicPattern<Ch>::findAll(const String& t) {
  own()->setText(t);
  return ownMatcher->findAll();
}

template <class Ch>
std::vector<typename BasicPattern<Ch>::String> BasicPattern<Ch>::split(const String& t, bool keepEmpty, int limit) {
  // 0 (or a negative limit) means no limit.
  const size_t most = limit <= 0 ? static_cast<size_t>(INT_MAX) : static_cast<size_t>(limit);
  std::vector<String> pieces;
  own()->setText(t);
  int last = 0;
  while (pieces.size() < most && ownMatcher->findNext()) {
    int s = ownMatcher->groupStart(0), e = ownMatcher->groupEnd(0);
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
  own()->setText(t);
  String out;
  int last = 0;
  while (ownMatcher->findNext()) {
    int s = ownMatcher->groupStart(0);
    out.append(t, static_cast<size_t>(last), static_cast<size_t>(s - last));
    out += ownMatcher->expandGroups(replacement);
    last = ownMatcher->groupEnd(0);
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
  BasicTextMatcher<Ch>* m = p->own();
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
    printf("Pattern(%s):\n", text.c_str());
    if (head) head->dump(1);
    fflush(stdout);
  }
}

#define FWPATTERN_OPS(Ch)                                                                                  \
  template BasicTextMatcher<Ch>* BasicPattern<Ch>::makeMatcher(const String&);                             \
  template bool BasicPattern<Ch>::limitHit() const;                                                        \
  template bool BasicPattern<Ch>::matchesText(const String&);                                              \
  template std::vector<BasicPattern<Ch>::String> BasicPattern<Ch>::findAll(const String&);                 \
  template std::vector<BasicPattern<Ch>::String> BasicPattern<Ch>::split(const String&, bool, int);        \
  template BasicPattern<Ch>::String BasicPattern<Ch>::replace(const String&, const String&);               \
  template bool BasicPattern<Ch>::matches(const String&, const String&, unsigned long);                    \
  template std::pair<BasicPattern<Ch>::String, int> BasicPattern<Ch>::findNth(const String&, const String&, \
                                                                              int, unsigned long);         \
  template std::vector<BasicPattern<Ch>::String> BasicPattern<Ch>::findAll(const String&, const String&,   \
                                                                           unsigned long);                 \
  template std::vector<BasicPattern<Ch>::String> BasicPattern<Ch>::split(const String&, const String&,     \
                                                                         bool, int, unsigned long);        \
  template BasicPattern<Ch>::String BasicPattern<Ch>::replace(const String&, const String&, const String&, \
                                                              unsigned long);                              \
  template void BasicPattern<Ch>::dumpGraph();                                                              \
  template BasicTextMatcher<Ch>* BasicPattern<Ch>::own();
FWPATTERN_OPS(char)
FWPATTERN_OPS(wchar_t)
