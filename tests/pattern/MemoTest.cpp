// Remembering failures must change how long a match takes, never what it
// finds: every case runs with the memo off and with it on from the first
// visit, and every group offset of every operation must agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/brocade/BrocadePatterns.h"
#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "framework/FrameworkPatterns.h"
#include "pattern/Pattern.h"
#include "PatternTestUtil.h"

namespace {

const char* const kEmulexLine = EmulexComp::kQueryLinePattern;
// The Brocade option ROM pattern is wide and plain ASCII; here in its narrow form.
const std::wstring kWideRom = BrocadeComp::kOptionRomVersionPattern;
const std::string kNarrowRom(kWideRom.begin(), kWideRom.end());

std::string repeat(const std::string& piece, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += piece;
  return out;
}

const char kFields[] = ",PCI ID=1,VID=1,SSID=1,SVID=1,Firmware=1";

// "HBA=x" and n field groups without "Boot Code=": a line that almost matches.
std::string nearMiss(int n) { return "HBA=x" + repeat(kFields, n); }

template <class Ch> std::basic_string<Ch> widen(const std::string& s) { return std::basic_string<Ch>(s.begin(), s.end()); }

// Everything an operation reports: whole match, then every search match,
// each with all its group offsets, and whether a limit stopped it.
template <class Ch> std::string trace(BasicPattern<Ch>& p, const std::string& text, long long threshold) {
  std::unique_ptr<BasicTextMatcher<Ch>> m(p.makeMatcher(widen<Ch>(text)));
  m->setMemoThreshold(threshold);
  const int g = p.getGroupCount();
  std::string out = "whole ";
  out += m->matchesWhole() ? pt::offsets(*m, g) : "no";
  if (m->limitHit()) out += " limit";
  int k = 0;
  for (bool ok = m->findFirst(); ok && k < 50; ok = m->findNext(), ++k) out += " | " + pt::offsets(*m, g);
  if (m->limitHit()) out += " limit";
  return out;
}

struct MemoCase {
  const char* pattern;
  unsigned long flags;
  bool remembers;  // the memo may be used for this pattern
};

const MemoCase kCases[] = {
    // the component patterns
    {kEmulexLine, EmulexComp::kQueryLineFlags, true},
    {QLogicComp::kInstanceLinePattern, QLogicComp::kQueryLineFlags, true},
    {QLogicComp::kFlashImageLinePattern, QLogicComp::kQueryLineFlags, true},
    {QLogicComp::kPortNameLinePattern, QLogicComp::kQueryLineFlags, true},
    {FwPatterns::kRedHatReleases[1].pattern, FwPatterns::kReleaseFlags, true},
    {kNarrowRom.c_str(), BrocadeComp::kOptionRomFlags, true},
    // a repetition of any character that failed from a later position is
    // tried again from an earlier one
    {"a(.*)x(.*)y(.*)", DOT_ALL, true},
    {"(.+)x(.{2,})y", DOT_ALL, true},
    // alternation, nested and competing repetitions
    {"(a|ab)(c|bcd)(d*)", 0, true},
    {"(a+)(a+)(a+)b", 0, true},
    {"(\\w+)\\s*=\\s*(\\w+);", 0, true},
    {"((a|b)c|ab?c)x?", 0, true},
    {"((a|b)c|a(bc)?)x?", 0, false},  // an optional group counts its repetitions
    {"(a{2,3}){2}", 0, false},
    {"(a|b)*c", 0, false},
    {"(?:a|b)*c", 0, false},
    {"(x+x+)+y", 0, false},
    {"(a*)*b", 0, false},
    // lazy and possessive
    {"(.*?),(.*?),(.*)x", 0, true},
    {"(a*+)(a*)b", 0, true},
    {"a++b|a+c", 0, true},
    {"(?>a|ab)c", 0, true},
    {"(?>(a|ab))c", 0, false},
    // look-around
    {"(?=a)(\\w+)\\d", 0, true},
    {"(?!ab)(\\w+)c", 0, true},
    {"(?<=x)(\\w+)y", 0, true},
    {"(?<!a)(b+)", 0, true},
    {"(?=(a+))a*b", 0, false},
    {"(?!(ab))(\\w+)", 0, false},
    // anchors, boundaries, case
    {"^(\\w+)\\s(\\w*)$", LINE_ANCHORS, true},
    {"^(\\w+)\\s(\\w*)$", 0, true},
    {"\\b(\\w+)\\b.*\\b(\\w+)\\Z", 0, true},
    {"\\A(\\w)(.*)(\\w)\\z", DOT_ALL, true},
    {"(?i)a.*B.*c", 0, true},
    {"(a.*b.*c.*)d", IGNORE_CASE, true},
    // state readers: back-references and \G
    {"(a+)b\\1", 0, false},
    {"(a+|b)\\1c", 0, false},  // a remembered failure would lose "aaac"
    {"(a|ab)b*\\1c", 0, false},  // and "ababc"
    {"\\b(\\w+)\\b\\s+\\1", 0, false},
    {"\\Ga.", 0, false},
};

const char* const kTexts[] = {
    "",
    "a",
    "aaaaaaaaaaaaaaaaaaaab",
    "aaaaaaaaaaaaaaaaaaaaaaaa",
    "abcbcdd abcx acx",
    "x=y; k = v; key =value;",
    "xaby abcc ab c xxaay",
    "the the cat  cat dog",
    "1.2.3.4 v 10.20.30.40 x 1.2.3",
    "HBA Instance 0: QLA2462 : x\n",
    "Flash Image : 1.2\nPort Name: 21-00\n",
    "HBA=LP11000,PCI ID=fe00,VID=10df,SSID=fe00,SVID=10df,Firmware=2.72A2,Boot Code=1.50a4 tail",
    "HBA=x,PCI ID=1,VID=1,SSID=1,SVID=1,Firmware=1,PCI ID=1,VID=1,SSID=1,SVID=1,Firmware=1",
    "a,b,c,x,y,z",
    "Red Hat Enterprise Linux Server release 5.4 (Tikanga)\n\nmore",
    "AbC aBc ABCD abd",
    "ab\nab\ncd",
    "aaac",
    "ababc",
    "axqyxq",
    "axqyxyqxqxq",
    "HBA=x,PCI ID=1,VID=1,SSID=1,SVID=1,Firmware=1,PCI ID=1,VID=1,SSID=1,SVID=1,Firmware=1\n"
    "HBA=LP11000,PCI ID=fe00,VID=10df,SSID=fe00,SVID=10df,Firmware=2.72A2,Boot Code=1.50a4\n"
    "HBA=y,PCI ID=2,VID=2,SSID=2,SVID=2,Firmware=2,Boot Code=,x\n",
};

template <class Ch> void compareTable() {
  for (const MemoCase& c : kCases) {
    SCOPED_TRACE(c.pattern);
    std::unique_ptr<BasicPattern<Ch>> p(BasicPattern<Ch>::compile(widen<Ch>(c.pattern), c.flags));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->remembersFailures(), c.remembers);
    for (const char* text : kTexts) {
      SCOPED_TRACE(text);
      std::string off = trace(*p, text, -1);
      EXPECT_EQ(trace(*p, text, 0), off);
      EXPECT_EQ(trace(*p, text, 40), off);
    }
  }
}

double millisOf(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

TEST(PatternMemo, SameResultsWithAndWithoutMemo) { compareTable<char>(); }

TEST(PatternMemo, SameResultsWideVariant) { compareTable<wchar_t>(); }

// The line that used to spend the whole step budget now finishes: no match,
// no limit, and quickly; a line that matches still yields its groups.
TEST(PatternMemo, EmulexNearMissFinishesWithoutLimit) {
  std::unique_ptr<Pattern> p(Pattern::compile(kEmulexLine, EmulexComp::kQueryLineFlags));
  ASSERT_TRUE(p);
  const std::string line = nearMiss(30);
  ASSERT_GT(line.size(), 1200u);

  std::unique_ptr<TextMatcher> off(p->makeMatcher(line));
  off->setMemoThreshold(-1);
  EXPECT_FALSE(off->matchesWhole());
  EXPECT_TRUE(off->limitHit());  // what the budget alone makes of it

  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
    bool matched = true;
    best = std::min(best, millisOf([&] { matched = m->matchesWhole(); }));
    EXPECT_FALSE(matched);
    EXPECT_FALSE(m->limitHit());
  }
  EXPECT_LT(best, 5.0);

  std::unique_ptr<TextMatcher> hit(p->makeMatcher(line + ",Boot Code=1.50a4 end"));
  ASSERT_TRUE(hit->matchesWhole());
  EXPECT_FALSE(hit->limitHit());
  std::vector<std::string> groups = hit->groupTexts(false);
  ASSERT_EQ(groups.size(), 7u);
  EXPECT_EQ(groups[0], "x" + repeat(kFields, 29));  // greedy: up to the last field group
  EXPECT_EQ(groups[1], "1");
  EXPECT_EQ(groups[5], "1");
  EXPECT_EQ(groups[6], "1.50a4");
}

// Fifty near-miss lines as discovery reads them: a compile, a matcher and a
// whole match per line.
TEST(PatternMemo, FiftyNearMissLinesUnderASecond) {
  const std::string line = nearMiss(30);
  int limits = 0, matches = 0;
  double ms = millisOf([&] {
    for (int i = 0; i < 50; ++i) {
      std::unique_ptr<Pattern> p(Pattern::compile(kEmulexLine, EmulexComp::kQueryLineFlags));
      if (!p) return;
      std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
      if (m->matchesWhole()) ++matches;
      if (m->limitHit()) ++limits;
    }
  });
  EXPECT_EQ(matches, 0);
  EXPECT_EQ(limits, 0);
  EXPECT_LT(ms, 1000.0);
}

// The same output read as one text, whole and searched: still no limit.
TEST(PatternMemo, FiftyNearMissLinesAsOneText) {
  std::string output;
  for (int i = 0; i < 50; ++i) output += nearMiss(30) + "\n";
  std::unique_ptr<Pattern> p(Pattern::compile(kEmulexLine, EmulexComp::kQueryLineFlags));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher(output));
  double ms = millisOf([&] {
    EXPECT_FALSE(m->matchesWhole());
    EXPECT_FALSE(m->limitHit());
    EXPECT_FALSE(m->findFirst());
    EXPECT_FALSE(m->limitHit());
  });
  EXPECT_LT(ms, 1000.0);
}

// The memo of one operation must not leak into the next: a matcher that
// remembered failures on one text matches a text of the same length that
// succeeds where the first failed.
TEST(PatternMemo, NothingCarriedIntoTheNextOperation) {
  std::unique_ptr<Pattern> p(Pattern::compile("(a+)(a+)(a+)(a+)b", 0));
  ASSERT_TRUE(p);
  const std::string miss = repeat("a", 60) + "c";
  const std::string good = repeat("a", 60) + "b";
  std::unique_ptr<TextMatcher> m(p->makeMatcher(miss));
  m->setMemoThreshold(0);
  EXPECT_FALSE(m->matchesWhole());
  EXPECT_FALSE(m->findFirst());
  m->setText(good);
  ASSERT_TRUE(m->matchesWhole());
  EXPECT_EQ(pt::offsets(*m, 5), "[0,61) [0,57) [57,58) [58,59) [59,60)");
  ASSERT_TRUE(m->findFirst());
  EXPECT_EQ(m->groupEnd(0), 61);
  m->setText(miss);
  EXPECT_FALSE(m->matchesWhole());
  EXPECT_FALSE(m->limitHit());
}

// Where the memo would exceed its cap it stays off and the step budget
// still bounds the operation: no match, limit reported, no crash.
TEST(PatternMemo, LongTextLeavesMemoOffAndBudgetHolds) {
  std::unique_ptr<Pattern> p(Pattern::compile(kEmulexLine, EmulexComp::kQueryLineFlags));
  ASSERT_TRUE(p);
  // Nodes times positions well past the cap.
  std::string line = nearMiss(static_cast<int>((70u << 20) / p->nodeCount() / (sizeof kFields - 1)) + 1);
  std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
  EXPECT_FALSE(m->matchesWhole());
  EXPECT_TRUE(m->limitHit());
}
