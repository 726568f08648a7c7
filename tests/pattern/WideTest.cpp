// The wide variant: the same language over wide characters, with its own
// \x, complements over 0-255 only, and ranges checked instead of wrapped.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pattern/Nodes.h"
#include "pattern/Pattern.h"
#include "tests/pattern/PatternTestUtil.h"

namespace {

std::string w(const wchar_t* pat, const std::wstring& text, unsigned long flags = 0) {
  return pt::whole<wchar_t>(pat, text, flags);
}

struct WideCase {
  const wchar_t* pattern;
  unsigned long flags;
  std::wstring text;
  const char* expected;
};

}  // namespace

TEST(WidePattern, DigitsAreAsciiOnly) {
  EXPECT_TRUE(WidePattern::matches(L"\\d+", L"2010", 0));
  EXPECT_FALSE(WidePattern::matches(L"\\d+", L"2010a", 0));
  EXPECT_FALSE(WidePattern::matches(L"\\d+", L"", 0));
  EXPECT_FALSE(WidePattern::matches(L"\\d+", L"\u0663", 0));  // ARABIC-INDIC DIGIT THREE
}

TEST(WidePattern, LanguageOverWideCharacters) {
  WideCase cases[] = {
      {L"[^a]", 0, L"\u4E00", "no"},  // complement over 0-255 only
      {L".", 0, L"\u4E00", "[0,1)"},
      {L"\\W", 0, L"\u4E00", "[0,1)"},
      {L"\\D", 0, L"\u4E00", "[0,1)"},
      {L"[\\D]", 0, L"\u4E00", "no"},
      {L"[^a]", 0, L"\u00FF", "[0,1)"},
      {L"\\x41BC", 0, L"\u41BC", "[0,1)"},  // four hex digits make one character
      {L"\\x41Z", 0, L"AZ", "[0,2)"},
      {L"\\x0041", 0, L"A", "[0,1)"},
      {L"\\xZ", 0, L" Z", "[0,2)"},
      {L"[\\x4E00-\\x4E05]+", 0, L"\u4E00\u4E05", "[0,2)"},
      {L"\u4E2D+\u6587", 0, L"\u4E2D\u4E2D\u6587", "[0,3)"},
      {L"(?i)abc", 0, L"ABC", "[0,3)"},
      {L"[^a]", IGNORE_CASE, L"a", "no"},
      {L"[^a]", IGNORE_CASE, L"A", "no"},
      {L"\\Qa.b\\E", IGNORE_CASE, L"A.B", "[0,3)"},
      {L"(a|b)\\1", 0, L"bb", "[0,2) [0,1)"},
      {L"\\bx\\b", 0, L"x", "[0,1)"},
      {L"\\p{Alpha}+", 0, L"ab\u00E9", "no"},
      {L"[\u00E9-\u00EA]", 0, L"\u00EA", "[0,1)"},
      {L"\\0101", 0, L"A", "[0,1)"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(w(c.pattern, c.text, c.flags), c.expected);
  }
  // The same escape in the narrow variant takes two digits only.
  EXPECT_EQ(pt::whole("\\x41BC", "ABC"), "[0,3)");
}

TEST(WidePattern, RangesAreCheckedNotWrapped) {
  EXPECT_EQ(w(L"[z-a]", L"a"), "error");                    // reversed
  EXPECT_EQ(w(L"[\\x0000-\\x012C]", L"a"), "error");        // 301 characters
  EXPECT_EQ(w(L"[\\x0000-\\x012B]", L"a"), "[0,1)");        // 300
  EXPECT_EQ(w(L"[\\x4E00-\\x4F00]", L"\u4E10"), "[0,1)");
  EXPECT_EQ(w(L"[\\x4E00-\\x5000]", L"\u4E10"), "error");
  EXPECT_EQ(w(L"[a-a]", L"a"), "[0,1)");
}

TEST(WidePattern, SyntaxErrorShowsEveryCharacter) {
  std::string report;
  std::unique_ptr<WidePattern> p(pt::quietCompile<wchar_t>(L"\u00E9t\u00E9(", 0, &report));
  EXPECT_FALSE(p);
  EXPECT_EQ(report, "\xC3\xA9t\xC3\xA9(\n   ^\nSyntax Error near here. \n");
  std::unique_ptr<WidePattern> q(pt::quietCompile<wchar_t>(L"a**", 0, &report));
  EXPECT_EQ(report, "a**\n  ^\nSyntax Error near here. Possible unescaped meta character.\n");
}

TEST(WidePattern, NodeNamesAreTheWideOnes) {
  std::unique_ptr<WidePattern> p(WidePattern::compile(L"a"));
  ASSERT_TRUE(p);
  const NFAUNode* head = p->getHead();
  ASSERT_TRUE(head);
  EXPECT_TRUE(dynamic_cast<const NFAStartUNode*>(head));
  EXPECT_TRUE(dynamic_cast<const NFASubStartUNode*>(head->next));
  EXPECT_TRUE(dynamic_cast<const NFACharUNode*>(head->next->next));
}

TEST(WidePattern, NamesAndCacheAreSeparateFromTheNarrowOnes) {
  ASSERT_TRUE(WidePattern::registerName(L"ver", L"\\d+(?:\\.\\d+)*"));
  EXPECT_EQ(w(L"v{ver}", L"v1.20.3"), "[0,7)");
  EXPECT_EQ(pt::whole("v{ver}", "v1.20.3"), "error");
  WidePattern::clearNames();
  EXPECT_EQ(w(L"v{ver}", L"v1"), "error");

  WidePattern* a = WidePattern::compileCached(L"x+", 0);
  Pattern* b = Pattern::compileCached("x+", IGNORE_CASE);
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  EXPECT_FALSE(a->matchesText(L"XX"));
  EXPECT_TRUE(b->matchesText("XX"));
  WidePattern::clearCache();
  Pattern::clearCache();
}
