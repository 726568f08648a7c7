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
  EXPECT_FALSE(n->findNext());
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
