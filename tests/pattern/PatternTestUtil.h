#pragma once
// Small helpers that turn a match into comparable text: the group offsets
// as "[s,e)" per group, "no" for no match, "error" for a syntax error.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pattern/Pattern.h"

namespace pt {

template <class Ch> std::string offsets(const BasicTextMatcher<Ch>& m, int groups) {
  std::string out;
  for (int i = 0; i < groups; ++i) {
    if (i) out += ' ';
    out += '[' + std::to_string(m.groupStart(i)) + ',' + std::to_string(m.groupEnd(i)) + ')';
  }
  return out;
}

// Compiles with stderr captured, so expected syntax errors stay quiet.
template <class Ch> BasicPattern<Ch>* quietCompile(const std::basic_string<Ch>& pat, unsigned long flags,
                                                   std::string* report = nullptr) {
  testing::internal::CaptureStderr();
  BasicPattern<Ch>* p = BasicPattern<Ch>::compile(pat, flags);
  std::string err = testing::internal::GetCapturedStderr();
  if (report) *report = err;
  return p;
}

template <class Ch> std::string whole(const std::basic_string<Ch>& pat, const std::basic_string<Ch>& text,
                                      unsigned long flags = 0) {
  std::unique_ptr<BasicPattern<Ch>> p(quietCompile(pat, flags));
  if (!p) return "error";
  std::unique_ptr<BasicTextMatcher<Ch>> m(p->makeMatcher(text));
  if (!m->matchesWhole()) return "no";
  return offsets(*m, p->getGroupCount());
}

template <class Ch> std::string first(const std::basic_string<Ch>& pat, const std::basic_string<Ch>& text,
                                      unsigned long flags = 0) {
  std::unique_ptr<BasicPattern<Ch>> p(quietCompile(pat, flags));
  if (!p) return "error";
  std::unique_ptr<BasicTextMatcher<Ch>> m(p->makeMatcher(text));
  if (!m->findFirst()) return "no";
  return offsets(*m, p->getGroupCount());
}

// Every successive match of a search, group 0 only: "[0,1) [2,3)".
template <class Ch> std::string all(const std::basic_string<Ch>& pat, const std::basic_string<Ch>& text,
                                    unsigned long flags = 0) {
  std::unique_ptr<BasicPattern<Ch>> p(quietCompile(pat, flags));
  if (!p) return "error";
  std::unique_ptr<BasicTextMatcher<Ch>> m(p->makeMatcher(text));
  std::string out;
  for (bool ok = m->findFirst(); ok; ok = m->findNext()) {
    if (!out.empty()) out += ' ';
    out += offsets(*m, 1);
  }
  return out.empty() ? "no" : out;
}

inline std::string whole(const char* pat, const std::string& text, unsigned long flags = 0) {
  return whole<char>(std::string(pat), text, flags);
}
inline std::string first(const char* pat, const std::string& text, unsigned long flags = 0) {
  return first<char>(std::string(pat), text, flags);
}
inline std::string all(const char* pat, const std::string& text, unsigned long flags = 0) {
  return all<char>(std::string(pat), text, flags);
}

struct Case {
  const char* pattern;
  unsigned long flags;
  std::string text;
  const char* expected;  // as whole() or first() prints it
};

}  // namespace pt
