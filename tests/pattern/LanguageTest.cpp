// The pattern language, feature by feature, as whole-text matches and
// searches on the narrow variant.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pattern/Pattern.h"
#include "tests/pattern/PatternTestUtil.h"

using pt::Case;

namespace {

void runWhole(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("pattern ") + c.pattern + " text '" + c.text + "'");
    EXPECT_EQ(pt::whole(c.pattern, c.text, c.flags), c.expected);
  }
}

void runFirst(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("pattern ") + c.pattern + " text '" + c.text + "'");
    EXPECT_EQ(pt::first(c.pattern, c.text, c.flags), c.expected);
  }
}

const std::string kNul(1, '\0');

}  // namespace

TEST(PatternLiterals, CharactersAndEscapes) {
  runWhole({
      {"abc", 0, "abc", "[0,3)"},
      {"abc", 0, "abd", "no"},
      {"abc", IGNORE_CASE, "AbC", "[0,3)"},
      {"\\.", 0, ".", "[0,1)"},
      {"\\.", 0, "a", "no"},
      {"\\.", IGNORE_CASE, ".", "[0,1)"},
      {"\\t\\n\\r\\f\\a", 0, "\t\n\r\f\a", "[0,5)"},
      {"\\e", 0, "\r", "[0,1)"},  // \e is a carriage return, not escape
      {"\\e", 0, "\x1b", "no"},
      {"\\x41", 0, "A", "[0,1)"},
      {"\\xG1", 0, " G1", "[0,3)"},  // not hex: a space, the rest stays
      {"\\x4", 0, " 4", "[0,2)"},
      {"\\0101", 0, "A", "[0,1)"},
      {"\\012", 0, "\n", "[0,1)"},
      {"\\0377", 0, "\xff", "[0,1)"},
      {"\\047", 0, "'", "[0,1)"},
      {"\\\\\\(\\E\\-", 0, "\\(E-", "[0,4)"},
      {"\\x41", IGNORE_CASE, "a", "no"},  // a single escaped character stays case-sensitive
      {"\\d", IGNORE_CASE, "7", "[0,1)"},
      {"", 0, "", "[0,0)"},
      {"", 0, "a", "no"},
      {"a.b", LITERAL_TEXT, "a.b", "[0,3)"},
      {"a.b", LITERAL_TEXT, "axb", "no"},
      {"a.b", LITERAL_TEXT | IGNORE_CASE, "A.B", "[0,3)"},
      {"(a", LITERAL_TEXT, "(a", "[0,2)"},
  });
  EXPECT_EQ(pt::first("", "abc"), "[0,0)");
}

TEST(PatternLiterals, DotAndItsFlags) {
  runWhole({
      {".", 0, "x", "[0,1)"},
      {".", 0, "\n", "no"},
      {".", 0, "\r", "no"},
      {".", DOT_ALL, "\n", "[0,1)"},
      {".", LF_ONLY, "\r", "[0,1)"},
      {".", LF_ONLY, "\n", "no"},
      {".", IGNORE_CASE, "Q", "[0,1)"},
      {".", 0, kNul, "[0,1)"},
  });
}

TEST(PatternClasses, MembersRangesAndSetOperations) {
  runWhole({
      {"[a-\\x63]+", 0, "abc", "[0,3)"},
      {"[a-\\x63]+", 0, "abcd", "no"},
      {"[z-a]", 0, "z", "[0,1)"},  // reversed: wraps through 255 and 0
      {"[z-a]", 0, "\xff", "[0,1)"},
      {"[z-a]", 0, kNul, "[0,1)"},
      {"[z-a]", 0, "a", "[0,1)"},
      {"[z-a]", 0, "b", "no"},
      {"[a-z&&[^aeiou]]+", 0, "bcd", "[0,3)"},
      {"[a-z&&[^aeiou]]+", 0, "bad", "no"},
      {"[a-c&&[b-d]x]+", 0, "bcx", "[0,3)"},  // later items add to the intersection
      {"[a-c&&[b-d]x]", 0, "a", "no"},
      {"[ab[cd]]+", 0, "abcd", "[0,4)"},
      {"[ab[cd]]", 0, "e", "no"},
      {"[^]", 0, "\xff", "[0,1)"},
      {"[^]", 0, "\n", "[0,1)"},
      {"[\\x00a]", 0, kNul, "[0,1)"},
      {"[\\x00a]", 0, "a", "[0,1)"},
      {"[a[^b]]", 0, "b", "no"},
      {"[a[^b]]", 0, "c", "[0,1)"},
      {"[\\d-z]+", 0, "1-z", "[0,3)"},
      {"[\\d-z]", 0, "y", "no"},
      {"[-a]+", 0, "-a", "[0,2)"},
      {"[a&b]+", 0, "a&b", "[0,3)"},
      {"[\\b]", 0, "b", "[0,1)"},
      {"[\\1]", 0, "1", "[0,1)"},
      {"[\\w\\.]+", 0, "5.12a_2", "[0,7)"},
      {"[\\w\\.]", 0, "-", "no"},
      {"[\\W]", IGNORE_CASE, "a", "no"},
      {"[\\W]", IGNORE_CASE, "A", "no"},
      {"[\\W]", IGNORE_CASE, "-", "[0,1)"},
      {"[^a]", IGNORE_CASE, "a", "no"},
      {"[^a]", IGNORE_CASE, "A", "no"},
      {"[^a]", IGNORE_CASE, "b", "[0,1)"},
      {"[^a]", 0, "A", "[0,1)"},
      {"[A-Z]", IGNORE_CASE, "q", "[0,1)"},
      {"[^\\d]", 0, "5", "no"},
      {"[\\D]", 0, "x", "[0,1)"},
      {"[.]", 0, "x", "no"},
      {"[\\0101-\\x43]+", 0, "ABC", "[0,3)"},
  });
  EXPECT_EQ(pt::first("[]", "abc"), "no");  // the empty class never matches
}

TEST(PatternClasses, PosixNames) {
  runWhole({
      {"\\p{Lower}", 0, "a", "[0,1)"},
      {"\\p{Lower}", 0, "A", "no"},
      {"\\p{Upper}", 0, "A", "[0,1)"},
      {"\\p{Alpha}+", 0, "aZ", "[0,2)"},
      {"\\p{Digit}+", 0, "09", "[0,2)"},
      {"\\P{Digit}", 0, "x", "[0,1)"},
      {"\\P{Digit}", 0, "5", "no"},
      {"\\p{Alnum}+", 0, "a1Z", "[0,3)"},
      {"\\p{Punct}+", 0, "!/:@[`{~", "[0,8)"},
      {"\\p{Punct}", 0, "a", "no"},
      {"\\p{Graph}+", 0, "a!~", "[0,3)"},
      {"\\p{Print}", 0, " ", "no"},  // space is not printable here
      {"\\p{Blank}+", 0, " \t", "[0,2)"},
      {"\\p{Blank}", 0, "\n", "no"},
      {"\\p{Space}", 0, "\v", "[0,1)"},
      {"\\s", 0, "\v", "no"},  // \s has no vertical tab
      {"\\s+", 0, " \t\r\n\f", "[0,5)"},
      {"\\p{Cntrl}", 0, "\x7f", "[0,1)"},
      {"\\p{Cntrl}", 0, kNul, "[0,1)"},
      {"\\p{ASCII}", 0, "\x7f", "[0,1)"},
      {"\\p{ASCII}", 0, "\x80", "no"},
      {"\\p{XDigit}+", 0, "09afAF", "[0,6)"},
      {"\\p{XDigit}", 0, "g", "no"},
      {"[\\p{Lower}\\d]+", 0, "a1", "[0,2)"},
      {"\\w+", 0, "aZ9_", "[0,4)"},
      {"\\W", 0, "_", "no"},
      {"\\D\\S", 0, "x-", "[0,2)"},
  });
}

TEST(PatternQuantifiers, BoundsAndKinds) {
  runWhole({
      {"x{2,1}", 0, "xx", "[0,2)"},  // a maximum below the minimum is the minimum
      {"x{2,1}", 0, "x", "no"},
      {"x{2,1}", 0, "xxx", "no"},
      {"x{}", 0, "", "[0,0)"},
      {"x{}", 0, "x", "no"},
      {"x{2}", 0, "xx", "[0,2)"},
      {"x{2,}", 0, "xxxxx", "[0,5)"},
      {"x{2,}", 0, "x", "no"},
      {"x{,2}", 0, "", "[0,0)"},
      {"x{,2}", 0, "xxx", "no"},
      {"x{,}", 0, "xxxx", "[0,4)"},
      {"x?y", 0, "y", "[0,1)"},
      {"x+", 0, "", "no"},
      {"a*+a", 0, "aaa", "no"},  // possessive never gives back
      {"a++b", 0, "aab", "[0,3)"},
      {"(a+?)(a*)", 0, "aaa", "[0,3) [0,1) [1,3)"},
      {"(a+)(a*)", 0, "aaa", "[0,3) [0,3) [3,3)"},
      {"(a{1,2}?)(a*)", 0, "aaa", "[0,3) [0,1) [1,3)"},
      {"(a?+)a", 0, "a", "no"},
      {".*(\\d+\\.\\d+)", 0, "ver12.34", "[0,8) [4,8)"},
      {"\\Qab\\E+", 0, "ababab", "[0,6)"},
      {"\\Qab\\E{2}", 0, "ababab", "no"},
      {"(a)\\1*", 0, "aaaa", "[0,4) [0,1)"},
      {"(a)\\1*?a", 0, "aaa", "[0,3) [0,1)"},
      {"^*a", 0, "a", "[0,1)"},  // a repeated anchor matches once and stops
      {"x{3}{abc}", 0, "xxx", "error"},  // not registered
  });
  runFirst({
      {"a*?b", 0, "aab", "[0,3)"},
      {"a{1,3}?", 0, "aaa", "[0,1)"},
      {"a{1,3}", 0, "aaaa", "[0,3)"},
      {"a*", 0, "baa", "[0,0)"},
      {"[ab]*?c", 0, "xabc", "[1,4)"},
  });
}

TEST(PatternGroups, CountsAndNumbering) {
  std::unique_ptr<Pattern> p(Pattern::compile("(a)(?:b)((c)|d)(?=x)(?i)(?<=c)(?>e)(?s:f)"));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->getGroupCount(), 4);
  EXPECT_EQ(p->getNonCaptureCount(), 2);
  std::unique_ptr<Pattern> lit(Pattern::compile("(a)(b)", LITERAL_TEXT));
  ASSERT_TRUE(lit);
  EXPECT_EQ(lit->getGroupCount(), 1);

  runWhole({
      {"(a)(?:b)((c)|d)", 0, "abc", "[0,3) [0,1) [2,3) [2,3)"},
      {"(a)(?:b)((c)|d)", 0, "abd", "[0,3) [0,1) [2,3) [-1,-1)"},
      {"(a|b)", 0, "b", "[0,1) [0,1)"},
      {"(a|b|c)d", 0, "b", "no"},
      {"(a|b|c)d", 0, "bd", "[0,2) [0,1)"},
      {"(a|b|c)d", 0, "cd", "[0,2) [0,1)"},
      {"(?:a|b|c)d", 0, "cd", "[0,2)"},
      {"(a|ab)(c|bcd)(d*)", 0, "abcd", "[0,4) [0,1) [1,4) [4,4)"},
      {"((a)|b)+", 0, "ab", "[0,2) [1,2) [0,1)"},
      {"(ab)*", 0, "ababab", "[0,6) [4,6)"},
      {"(ab){2}", 0, "abab", "[0,4) [2,4)"},
      {"(a){2,3}", 0, "aaaa", "no"},
      {"(ab)*+ab", 0, "abab", "no"},  // a possessive group loop never repeats less
      {"(ab)*+", 0, "abab", "[0,4) [2,4)"},
      {"(a|b)*?b", 0, "aab", "[0,3) [1,2)"},
      {"(a?){3}", 0, "", "[0,0) [0,0)"},
      {"(a*)*", 0, "aa", "[0,2) [2,2)"},  // the last, empty passage counts
      {"(?:ab)+c", 0, "ababc", "[0,5)"},
      {"(?:a|b){3}", 0, "aba", "[0,3)"},
      {"(?:a|b){3}", 0, "ab", "no"},
      {"(?:(a)|b)*", 0, "ab", "[0,2) [0,1)"},
  });
  EXPECT_EQ(pt::first("(a)|b", "b"), "[0,1) [-1,-1)");
}

TEST(PatternGroups, LookAroundAndIndependent) {
  runFirst({
      {"a(?=b)", 0, "ab", "[0,1)"},
      {"a(?=b)", 0, "ac", "no"},
      {"a(?!b)", 0, "ab", "no"},
      {"a(?!b)", 0, "ac", "[0,1)"},
      {"(?=(a))a", 0, "a", "[0,1) [0,1)"},  // groups set in a look-ahead stay
      {"(?=a|b)\\w", 0, "b", "[0,1)"},
      {"(?<=x)y", 0, "xy", "[1,2)"},
      {"(?<=x)y", 0, "zy", "no"},
      {"(?<!x)y", 0, "zy", "[1,2)"},
      {"(?<!x)y", 0, "y", "[0,1)"},
      {"(?<!x)y", 0, "xy", "no"},
      {"(?<=\\))y", 0, ")y", "[1,2)"},  // look-behind text is literal
      {"(?<=\\d)y", 0, "dy", "[1,2)"},
      {"(?<=\\d)y", 0, "1y", "no"},
      {"(?<=ab)c", 0, "bc", "no"},
      {"(?<=A)b", IGNORE_CASE, "ab", "no"},  // always case-sensitive
  });
  runWhole({
      {"(?>a*)a", 0, "aaa", "no"},
      {"(?>a|ab)c", 0, "abc", "no"},  // the first way through is final
      {"(?>a|ab)c", 0, "ac", "[0,2)"},
      {"(?>(a))b", 0, "ab", "[0,2) [0,1)"},
  });
}

TEST(PatternGroups, InlineFlags) {
  runWhole({
      {"(?i)abc", 0, "ABC", "[0,3)"},
      {"(?i:a)b", 0, "Ab", "[0,2)"},
      {"(?i:a)b", 0, "AB", "no"},
      {"(?-i)a", IGNORE_CASE, "A", "no"},
      {"(?-i:a)A", IGNORE_CASE, "aa", "[0,2)"},
      {"a(?i)b", 0, "aB", "[0,2)"},
      {"a(?i)b", 0, "AB", "no"},
      {"((?i)a)b", 0, "AB", "no"},  // the group restores the flags at its ')'
      {"((?i)a)b", 0, "Ab", "[0,2) [0,1)"},
      {"(?s).", 0, "\n", "[0,1)"},
      {"(?d).", 0, "\r", "[0,1)"},
      {"(?is-i)a.", 0, "A\n", "no"},
      {"(?is-i)a.", 0, "a\n", "[0,2)"},
      {"(?)a", 0, "a", "[0,1)"},
  });
  EXPECT_EQ(pt::first("(?m)^b", "a\nb"), "[2,3)");
}

TEST(PatternAlternation, PrecedenceAndOrder) {
  runWhole({
      {"a|b|c", 0, "c", "[0,1)"},
      {"ab|cd", 0, "cd", "[0,2)"},
      {"ab|cd", 0, "ad", "no"},
      {"a|", 0, "", "[0,0)"},
      {"|a", 0, "a", "[0,1)"},
      {"x(a|b)|y", 0, "y", "[0,1) [-1,-1)"},
      {"(a|(b|c))d", 0, "cd", "[0,2) [0,1) [0,1)"},
  });
  runFirst({
      {"ab|cd", 0, "xcd", "[1,3)"},
      {"a|ab", 0, "ab", "[0,1)"},  // the left alternative wins
  });
}

TEST(PatternBackReferences, MatchAndNumbering) {
  runWhole({
      {"(a*)b\\1", 0, "aabaa", "[0,5) [0,2)"},
      {"(a*)b\\1", 0, "b", "[0,1) [0,0)"},
      {"(a*)b\\1", 0, "aaba", "no"},
      {"(a)(b)\\5", 0, "ab", "[0,2) [0,1) [1,2)"},  // no such group: empty
      {"(a)\\10", 0, "a", "[0,1) [0,1)"},            // two digits always: group 10
      {"(a)\\10", 0, "a0", "no"},
      {"(a)(b)\\111", 0, "ab1", "[0,3) [0,1) [1,2)"},  // third digit only below the count
      {"(a)\\1", IGNORE_CASE, "aA", "no"},
      {"\\1(a)", 0, "a", "[0,1) [0,1)"},
      {"(a)|\\1b", 0, "b", "[0,1) [-1,-1)"},
  });
  std::string many = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)\\11";
  EXPECT_EQ(pt::whole(many.c_str(), "abcdefghijkk").substr(0, 6), "[0,12)");
}

TEST(PatternAnchors, LinesInputAndWordBoundaries) {
  runFirst({
      {"\\Bb", 0, "ab", "[1,2)"},
      {"\\Bb", 0, " b", "no"},
      {"abc\\Z", 0, "abc\n", "[0,3)"},
      {"abc\\Z", 0, "abc\r\n", "[0,3)"},
      {"abc\\Z", 0, "abc", "[0,3)"},
      {"abc\\Z", 0, "abc\n\n", "no"},
      {"abc\\z", 0, "abc\n", "no"},
      {"abc$", 0, "abc\n", "no"},
      {"^b", 0, "a\nb", "no"},
      {"^b", LINE_ANCHORS, "a\nb", "[2,3)"},
      {"^b", LINE_ANCHORS, "a\rb", "[2,3)"},
      {"a$", LINE_ANCHORS, "a\nb", "[0,1)"},
      {"a$", 0, "a\nb", "no"},
      {"\\Aa", 0, "ba", "no"},
      {"\\Aa", 0, "ab", "[0,1)"},
  });
  runWhole({
      {"a\\b", 0, "a", "[0,1)"},
      {"x \\b", 0, "x ", "[0,2)"},  // the end of the text always passes
      {"x \\B", 0, "x ", "[0,2)"},
      {"_\\ba", 0, "_a", "[0,2)"},  // '_' is not a letter
      {"1\\b2", 0, "12", "no"},
      {"1\\B2", 0, "12", "[0,2)"},
      {"a\\bb", 0, "ab", "no"},
      {"abc\\Z", 0, "abc\n", "no"},
  });
  EXPECT_EQ(pt::all("\\Ga", "aab"), "[0,1) [1,2)");
  EXPECT_EQ(pt::all("\\Ga", "aba"), "[0,1)");
}

TEST(PatternQuoted, LiteralText) {
  runWhole({
      {"\\Qa.b\\E", 0, "a.b", "[0,3)"},
      {"\\Qa.b\\E", 0, "axb", "no"},
      {"\\Qa\\\\E\\E", 0, "a\\E", "[0,3)"},  // "\\E" inside is a literal \E
      {"\\Q(*)\\E", 0, "(*)", "[0,3)"},
      {"\\Qab\\E", IGNORE_CASE, "AB", "[0,2)"},
      {"x\\Q\\Ey", 0, "xy", "[0,2)"},
  });
}

class PatternNames : public testing::Test {
 protected:
  void TearDown() override { Pattern::clearNames(); }
};

TEST_F(PatternNames, ReferencesExpandRegisteredPatterns) {
  ASSERT_TRUE(Pattern::registerName("num", "\\d+"));
  ASSERT_TRUE(Pattern::registerName("pair", "(\\w)(\\w)"));
  ASSERT_TRUE(Pattern::registerName("ci", "abc", IGNORE_CASE));
  runWhole({
      {"v{num}\\.{num}", 0, "v12.3", "[0,5)"},
      {"v{num}\\.{num}", 0, "v12.", "no"},
      {"(x){pair}(y)", 0, "xaby", "[0,4) [0,1) [1,2) [2,3) [3,4)"},  // numbered on
      {"{ci}d", 0, "ABCd", "[0,4)"},                                 // the registered flags apply
      {"{ci}d", 0, "ABCD", "no"},
      {"x{num}", 0, "x12", "[0,3)"},
      {"({num}|z)", 0, "z", "[0,1) [0,1)"},
  });
}

TEST_F(PatternNames, RegistrationAndErrors) {
  std::string report;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Pattern::registerName("bad", "a**"));
  report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("a**"), std::string::npos);
  EXPECT_EQ(pt::whole("{bad}", "a"), "error");  // nothing was stored

  ASSERT_TRUE(Pattern::registerName("n", "a"));
  ASSERT_TRUE(Pattern::registerName("n", "b"));  // replaces
  EXPECT_EQ(pt::whole("{n}", "b"), "[0,1)");
  EXPECT_EQ(pt::whole("{n}*", "bb"), "error");  // no quantifier after a reference
  EXPECT_EQ(pt::whole("{n}+", "b"), "error");
  EXPECT_EQ(pt::whole("{1n}", "b"), "error");
  EXPECT_EQ(pt::whole("{}", ""), "error");
  EXPECT_EQ(pt::whole("{n", "b"), "error");
  EXPECT_EQ(pt::whole("({n})", "b"), "[0,1) [0,1)");

  // A name whose text refers to itself is caught, not followed forever.
  ASSERT_TRUE(Pattern::registerName("self", "x"));
  ASSERT_TRUE(Pattern::registerName("self", "{self}"));
  EXPECT_EQ(pt::whole("{self}", "x"), "error");

  Pattern::clearNames();
  EXPECT_EQ(pt::whole("{n}", "b"), "error");
}

TEST_F(PatternNames, ErrorInsideExpansionIsReportedAgainstRegisteredText) {
  ASSERT_TRUE(Pattern::registerName("loop", "x"));
  ASSERT_TRUE(Pattern::registerName("loop", "a{loop}"));
  std::string report;
  std::unique_ptr<Pattern> p(pt::quietCompile<char>("outer{loop}", 0, &report));
  EXPECT_FALSE(p);
  EXPECT_EQ(report.rfind("a{loop}\n", 0), 0u) << report;
}
