// The matcher and the pattern's own operations: successive searches,
// group readers, split, replace, expandGroups, findNth and the cache.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pattern/Pattern.h"
#include "tests/pattern/PatternTestUtil.h"

using Strings = std::vector<std::string>;

TEST(TextMatcherOps, WholeAgainstSearch) {
  std::unique_ptr<Pattern> p(Pattern::compile("b"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher("abc"));
  EXPECT_FALSE(m->matchesWhole());
  EXPECT_EQ(m->groupText(0), "");
  ASSERT_TRUE(m->findFirst());
  EXPECT_EQ(m->groupStart(0), 1);
  EXPECT_EQ(m->groupEnd(0), 2);
  EXPECT_EQ(m->groupText(0), "b");
  EXPECT_FALSE(m->findNext());
}

TEST(TextMatcherOps, FindNextStepsOverEmptyMatches) {
  std::unique_ptr<Pattern> p(Pattern::compile("x*"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher("ab"));
  ASSERT_TRUE(m->findNext());  // acts as findFirst
  EXPECT_EQ(pt::offsets(*m, 1), "[0,0)");
  ASSERT_TRUE(m->findNext());
  EXPECT_EQ(pt::offsets(*m, 1), "[1,1)");
  EXPECT_FALSE(m->findNext());
  EXPECT_FALSE(m->findNext());  // stays at the end
  EXPECT_FALSE(m->findNext());
  EXPECT_EQ(m->findAll(), Strings({"", ""}));
  EXPECT_EQ(p->findAll("xxaxx"), Strings({"xx", "", "xx"}));
}

TEST(TextMatcherOps, FailedSearchStartsOverAndResetRewinds) {
  std::unique_ptr<Pattern> p(Pattern::compile("a"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher("ab"));
  ASSERT_TRUE(m->findNext());
  m->setText("ba");
  ASSERT_TRUE(m->findNext());  // setText forgets the earlier match
  EXPECT_EQ(m->groupStart(0), 1);
  m->reset();
  ASSERT_TRUE(m->findNext());
  EXPECT_EQ(m->groupStart(0), 1);

  std::unique_ptr<Pattern> q(Pattern::compile("ab"));
  std::unique_ptr<TextMatcher> n(q->makeMatcher("abxab"));
  ASSERT_TRUE(n->findNext());
  ASSERT_TRUE(n->findNext());
  EXPECT_EQ(n->groupStart(0), 3);
  EXPECT_FALSE(n->findNext());
  EXPECT_FALSE(n->findNext());  // stopped at the end of the text, before any visit
  n->reset();                   // rewinds from there too
  EXPECT_EQ(n->groupStart(0), -1);
  EXPECT_EQ(n->groupEnd(0), -1);
  ASSERT_TRUE(n->findNext());
  EXPECT_EQ(n->groupStart(0), 0);
  n->setText("ab");
  EXPECT_EQ(n->groupStart(0), -1);
}

TEST(TextMatcherOps, GroupReaders) {
  std::unique_ptr<Pattern> p(Pattern::compile("(a)(x)?b"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher("ab"));
  // Before any operation every group is the empty text at offset 0.
  EXPECT_EQ(m->groupStart(1), 0);
  EXPECT_EQ(m->groupEnd(1), 0);
  EXPECT_EQ(m->groupText(1), "");
  ASSERT_TRUE(m->matchesWhole());
  EXPECT_EQ(m->groupTexts(false), Strings({"a", ""}));
  EXPECT_EQ(m->groupTexts(true), Strings({"ab", "a", ""}));
  EXPECT_EQ(m->groupStart(2), -1);
  for (int bad : {-1, 3, 5, -100}) {
    EXPECT_EQ(m->groupStart(bad), -1);
    EXPECT_EQ(m->groupEnd(bad), -1);
    EXPECT_EQ(m->groupText(bad), "");
  }

  std::unique_ptr<Pattern> none(Pattern::compile("ab"));
  std::unique_ptr<TextMatcher> n(none->makeMatcher("ab"));
  ASSERT_TRUE(n->matchesWhole());
  EXPECT_TRUE(n->groupTexts(false).empty());
  EXPECT_EQ(n->groupTexts(true), Strings({"ab"}));
}

TEST(TextMatcherOps, MatchersOfOnePatternAreIndependent) {
  std::unique_ptr<Pattern> p(Pattern::compile("(\\d+)"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> a(p->makeMatcher("12"));
  std::unique_ptr<TextMatcher> b(p->makeMatcher("345"));
  ASSERT_TRUE(a->matchesWhole());
  ASSERT_TRUE(b->matchesWhole());
  EXPECT_EQ(a->groupText(1), "12");
  EXPECT_EQ(b->groupText(1), "345");
  EXPECT_TRUE(p->matchesText("7"));
  EXPECT_EQ(a->groupText(1), "12");
}

namespace {

template <class Ch> std::basic_string<Ch> widen(const std::string& s) { return std::basic_string<Ch>(s.begin(), s.end()); }

// Everything a run of operations reports: every search match (findNext from
// wherever setText left the matcher), the whole-text match with its
// groups, and each limit hit. Ends with one findFirst, so the matcher is
// left in the middle of a search.
template <class Ch> std::string trace(BasicTextMatcher<Ch>& m, int groups) {
  std::string out = "find";
  for (int k = 0; k < 20 && m.findNext(); ++k) out += " " + pt::offsets(m, groups);
  if (m.limitHit()) out += " limit";
  out += m.matchesWhole() ? " | whole " + pt::offsets(m, groups) : " | whole no";
  if (m.limitHit()) out += " limit";
  m.findFirst();
  return out;
}

struct SetTextCase {
  const char* pattern;
  unsigned long flags;
  std::vector<std::string> texts;  // in this order on one matcher
};

// One matcher re-targeted with setText at each text gives what a new
// matcher over that text gives: nothing of an earlier operation (limit,
// memo, loop counters, search progress) reaches the next text.
template <class Ch> void compareSetText() {
  const std::string as(40, 'a');
  std::string commas(300, ',');
  const std::vector<SetTextCase> cases = {
      {"(a+)+b", 0, {as, "aab", as + "b"}},  // the first stops at the step budget
      {"(.*),(.*),(.*)x", DOT_ALL, {commas, "a,b,cx", commas + "x", "x"}},  // the memo on, then off
      {"(ab|a)*?c(?=x)", 0, {"ababcx", "abcxabcx", "c"}},
      {"(?:(a)|b)++c", 0, {"abac", "bbc", "aac", "c"}},
      {"(a{2,3}){2}", 0, {"aaaaa", "aaaa", "aaaaaa"}},
      {"\\Gab", 0, {"ababxab", "abab", "xab"}},
      {"(\\w+) \\1", 0, {"hey hey you you", "no match", "a a"}},
      {"(?>a*)a|b", 0, {"aaab", "b", "aaa"}},
      {"^\\s*(\\w+)=(\\d*)$", LINE_ANCHORS, {"k=1\nv=22", "\n", "x="}},
  };
  for (const SetTextCase& c : cases) {
    SCOPED_TRACE(c.pattern);
    std::unique_ptr<BasicPattern<Ch>> p(BasicPattern<Ch>::compile(widen<Ch>(c.pattern), c.flags));
    ASSERT_TRUE(p);
    const int g = p->getGroupCount();
    std::unique_ptr<BasicTextMatcher<Ch>> kept(p->makeMatcher(std::basic_string<Ch>()));
    for (int round = 0; round < 2; ++round) {
      for (const std::string& text : c.texts) {
        SCOPED_TRACE(text.size() > 40 ? text.substr(0, 40) + "..." : text);
        std::unique_ptr<BasicTextMatcher<Ch>> fresh(p->makeMatcher(widen<Ch>(text)));
        kept->setText(widen<Ch>(text));
        EXPECT_EQ(kept->groupStart(0), -1);  // reset: no group is set
        EXPECT_EQ(trace(*kept, g), trace(*fresh, g));
      }
    }
  }
}

}  // namespace

TEST(TextMatcherOps, SetTextGivesWhatANewMatcherGives) { compareSetText<char>(); }
TEST(TextMatcherOps, SetTextGivesWhatANewMatcherGivesWide) { compareSetText<wchar_t>(); }

TEST(TextMatcherOps, ExpandGroups) {
  std::unique_ptr<Pattern> p(Pattern::compile("(a)(b)"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher("ab"));
  ASSERT_TRUE(m->matchesWhole());
  struct {
    const char* templ;
    const char* out;
  } cases[] = {
      {"<\\2\\1>", "<ba>"},   {"\\\\", "\\"},     {"\\$1", "$1"},       {"end\\", "end\\"},
      {"\\0", "ab"},          {"\\12", ""},       {"\\3x", "x"},        {"\\99999999999999999999", ""},
      {"plain", "plain"},     {"", ""},
  };
  for (auto& c : cases) EXPECT_EQ(m->expandGroups(c.templ), c.out) << c.templ;
}

TEST(PatternOps, ReplaceAndFindNth) {
  EXPECT_EQ(Pattern::replace("a", "banana", "o", 0), "bonono");
  EXPECT_EQ(Pattern::replace("(an)", "banana", "<\\1>", 0), "b<an><an>a");
  EXPECT_EQ(Pattern::replace("x", "banana", "o", 0), "banana");
  EXPECT_EQ(Pattern::replace("x*", "ab", "-", 0), "-a-b");
  EXPECT_EQ(Pattern::findNth("\\d+", "a1b22c333", 0, 0), std::make_pair(std::string("1"), 1));
  EXPECT_EQ(Pattern::findNth("\\d+", "a1b22c333", 2, 0), std::make_pair(std::string("333"), 6));
  EXPECT_EQ(Pattern::findNth("\\d+", "a1b22c333", 3, 0), std::make_pair(std::string(), -1));
  EXPECT_EQ(Pattern::findAll("\\d+", "a1b22", 0), Strings({"1", "22"}));
}

TEST(PatternOps, Split) {
  struct {
    const char* pattern;
    const char* text;
    bool keepEmpty;
    int limit;
    Strings pieces;
  } cases[] = {
      {",", "a,b,,c", false, 0, {"a", "b", "c"}},
      {",", "a,b,,c", true, 0, {"a", "b", "", "c"}},
      {",", "a,b,,c", false, 1, {"a", "b,,c"}},
      {",", "a,b,,c", true, 2, {"a", "b", ",c"}},
      {",", ",a", false, 0, {"a"}},
      {",", ",a", true, 0, {"", "a"}},  // one leading empty piece, not two
      {",", "a,", true, 0, {"a"}},
      {",", "", false, 0, {}},
      {",", "abc", false, 0, {"abc"}},
      {"x*", "ab", false, 0, {"ab"}},
      {"x*", "ab", true, 0, {"", "a", "b"}},
      {"\\s+", "  lead and  trail ", false, 0, {"lead", "and", "trail"}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " on '" + c.text + "'");
    EXPECT_EQ(Pattern::split(c.pattern, c.text, c.keepEmpty, c.limit, 0), c.pieces);
  }
}

TEST(PatternOps, OneCallOperationsWithBadPattern) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Pattern::matches("(a", "a", 0));
  EXPECT_TRUE(Pattern::findAll("(a", "a", 0).empty());
  EXPECT_TRUE(Pattern::split("(a", "a", false, 0, 0).empty());
  EXPECT_EQ(Pattern::replace("(a", "abc", "x", 0), "");
  EXPECT_EQ(Pattern::findNth("(a", "a", 0, 0), std::make_pair(std::string(), -1));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("(a\n"), std::string::npos);
  EXPECT_TRUE(Pattern::matches("a(b)c", "abc", 0));
}

TEST(PatternCache, KeyedByTextAlone) {
  Pattern* a = Pattern::compileCached("ab", IGNORE_CASE);
  ASSERT_TRUE(a);
  EXPECT_EQ(Pattern::compileCached("ab", 0), a);  // whatever flags it was made with
  EXPECT_TRUE(a->matchesText("AB"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(Pattern::compileCached("(", 0), nullptr);
  EXPECT_EQ(Pattern::compileCached("(", 0), nullptr);  // the failure is cached: one report
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.find("("), err.rfind("(\n"));
  Pattern::clearCache();
  Pattern* b = Pattern::compileCached("ab", 0);
  ASSERT_TRUE(b);
  EXPECT_FALSE(b->matchesText("AB"));
  Pattern::clearCache();
  WidePattern* w = WidePattern::compileCached(L"ab", 0);
  ASSERT_TRUE(w);
  EXPECT_TRUE(w->matchesText(L"ab"));
  WidePattern::clearCache();
}
