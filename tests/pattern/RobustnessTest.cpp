// Long and hostile input: a match never crashes and never runs unbounded.
// Single-character repetition runs as a loop, other recursion has a depth
// guard, and a step budget stops catastrophic backtracking; a stopped match
// reports no match and the matcher says a limit was hit.
#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <memory>
#include <string>

#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "pattern/Pattern.h"
#include "tests/pattern/PatternTestUtil.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Generous: the point is "ends", not a benchmark; sanitizer builds are slow.
constexpr double kEnds = 10.0;

const char* const kEmulexLine = EmulexComp::kQueryLinePattern;
const char* const kInstanceLine = QLogicComp::kInstanceLinePattern;

}  // namespace

TEST(PatternRobustness, TenMegabyteLineMatchesWholeWithoutRecursion) {
  std::string line = "HBA Instance : " + std::string(10 * 1024 * 1024, 'x') + ": 5";
  std::unique_ptr<Pattern> p(Pattern::compile(kInstanceLine, QLogicComp::kQueryLineFlags));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(m->matchesWhole());
  EXPECT_LT(secondsSince(t0), kEnds);
  EXPECT_FALSE(m->limitHit());
  EXPECT_EQ(m->groupText(1), "5");

  // Without any ": " the answer is a plain no, not a limit.
  m->setText("HBA Instance " + std::string(10 * 1024 * 1024, 'y'));
  EXPECT_FALSE(m->matchesWhole());
  EXPECT_FALSE(m->limitHit());

  std::unique_ptr<Pattern> star(Pattern::compile("a*"));
  std::unique_ptr<TextMatcher> all(star->makeMatcher(std::string(10 * 1024 * 1024, 'a')));
  EXPECT_TRUE(all->matchesWhole());
  std::unique_ptr<Pattern> lazy(Pattern::compile("[ab]*?c"));
  std::unique_ptr<TextMatcher> l(lazy->makeMatcher(std::string(4 * 1024 * 1024, 'b') + "c"));
  EXPECT_TRUE(l->matchesWhole());
  EXPECT_FALSE(l->limitHit());
}

TEST(PatternRobustness, DeepGroupRepetitionStopsAtTheDepthGuard) {
  std::string ab;
  for (int i = 0; i < 512 * 1024; ++i) ab += "ab";
  std::unique_ptr<Pattern> p(Pattern::compile("(a|b)*c"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher(ab));
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(m->findFirst());
  EXPECT_LT(secondsSince(t0), kEnds);
  EXPECT_TRUE(m->limitHit());
  EXPECT_EQ(m->groupStart(0), -1);

  // A repetition the guard allows still matches, and the flag clears.
  std::unique_ptr<Pattern> q(Pattern::compile("(a|b)*"));
  std::unique_ptr<TextMatcher> n(q->makeMatcher(ab.substr(0, 1000)));
  EXPECT_TRUE(n->matchesWhole());
  EXPECT_FALSE(n->limitHit());
  EXPECT_EQ(n->groupText(1), "b");
  n->setText(ab);
  EXPECT_FALSE(n->matchesWhole());
  EXPECT_TRUE(n->limitHit());
  n->setText("ab");
  EXPECT_TRUE(n->matchesWhole());
  EXPECT_FALSE(n->limitHit());
}

namespace {

struct SmallStackRun {
  std::string text;
  bool matched = true;
  bool limit = false;
};

void* deepMatch(void* arg) {
  auto* run = static_cast<SmallStackRun*>(arg);
  std::unique_ptr<Pattern> p(Pattern::compile("(a|b)*c"));
  std::unique_ptr<TextMatcher> m(p->makeMatcher(run->text));
  run->matched = m->findFirst();
  run->limit = m->limitHit();
  return nullptr;
}

}  // namespace

TEST(PatternRobustness, DepthGuardFitsASmallThreadStack) {
  SmallStackRun run;
  for (int i = 0; i < 64 * 1024; ++i) run.text += "ab";
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, 256 * 1024), 0);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, deepMatch, &run), 0);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
  pthread_attr_destroy(&attr);
  EXPECT_FALSE(run.matched);
  EXPECT_TRUE(run.limit);
}

TEST(PatternRobustness, CatastrophicBacktrackingStopsAtTheStepBudget) {
  struct {
    const char* pattern;
    std::string text;
  } cases[] = {
      {"(a+)+b", std::string(40, 'a')},
      {"(a|aa)*c", std::string(60, 'a')},
      {"(x+x+)+y", std::string(40, 'x')},
      {"(?:a*)*b", std::string(40, 'a') + "c"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    std::unique_ptr<Pattern> p(Pattern::compile(c.pattern));
    ASSERT_TRUE(p);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(p->matchesText(c.text));
    EXPECT_LT(secondsSince(t0), kEnds);
    EXPECT_TRUE(p->limitHit());
    EXPECT_FALSE(p->matchesText("zz"));
    EXPECT_FALSE(p->limitHit());  // a fresh operation starts with a fresh budget
  }
}

TEST(PatternRobustness, EmulexPatternOnHostileLines) {
  std::string commas = "HBA=" + std::string(396, ',');
  // Every label present, repeated, but no "Boot Code=": nested backtracking.
  std::string labels = "HBA=";
  while (labels.size() < 400) labels += "PCI ID=F1,VID=1,SSID=1,SVID=1,Firmware=1,";
  for (const std::string& line : {commas, labels, std::string(400, ',')}) {
    std::unique_ptr<Pattern> p(Pattern::compile(kEmulexLine, EmulexComp::kQueryLineFlags));
    ASSERT_TRUE(p);
    std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(m->matchesWhole());
    EXPECT_LT(secondsSince(t0), kEnds);
  }
}

TEST(PatternRobustness, HugeBoundsAndCountsEndQuickly) {
  EXPECT_EQ(pt::whole("x{2147483647}", "xxx"), "no");
  EXPECT_EQ(pt::whole("(x){2147483647}", "xxx"), "no");
  EXPECT_EQ(pt::whole("x{0,2147483647}", "xxx"), "[0,3)");
  EXPECT_EQ(pt::whole("(?:x){3,2147483647}?", "xxxx"), "[0,4)");
  EXPECT_EQ(pt::whole("\\Qab\\E{1000000}", "abab"), "no");
}

TEST(PatternRobustness, DeepNestingIsASyntaxErrorNotAStackOverflow) {
  for (const std::string& text : {std::string(100000, '('), std::string(100000, '[')}) {
    std::string report;
    std::unique_ptr<Pattern> p(pt::quietCompile<char>(text, 0, &report));
    EXPECT_FALSE(p);
    EXPECT_FALSE(report.empty());
  }
  std::string nested;
  for (int i = 0; i < 200; ++i) nested += "(?:";
  nested += "a";
  for (int i = 0; i < 200; ++i) nested += ")";
  EXPECT_EQ(pt::whole(nested.c_str(), "a"), "[0,1)");

  std::string alternatives;
  for (int i = 0; i < 1000; ++i) alternatives += "w" + std::to_string(i) + "|";
  alternatives += "last";
  EXPECT_EQ(pt::whole(alternatives.c_str(), "last"), "[0,4)");
  EXPECT_EQ(pt::whole(alternatives.c_str(), "w999"), "[0,4)");
}

TEST(PatternRobustness, ExhaustedSearchNeverStartsBeforeTheText) {
  std::unique_ptr<Pattern> p(Pattern::compile("\\b|a"));
  ASSERT_TRUE(p);
  std::unique_ptr<TextMatcher> m(p->makeMatcher("ab"));
  int count = 0;
  while (m->findNext() && count < 10) ++count;
  EXPECT_LT(count, 10);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(m->findNext());
  EXPECT_GE(m->groupStart(0), -1);
}

namespace {

struct MatcherHandOver {
  Pattern* pattern;
  TextMatcher* made = nullptr;  // made here, freed by another thread
  bool ok = false;
};

void* makeAndMatch(void* arg) {
  auto* h = static_cast<MatcherHandOver*>(arg);
  bool ok = true;
  for (int i = 0; i < 200; ++i) {
    std::unique_ptr<TextMatcher> m(h->pattern->makeMatcher("HBA Instance  : " + std::to_string(i)));
    ok = ok && m->matchesWhole() && m->groupText(1) == std::to_string(i);
  }
  h->made = h->pattern->makeMatcher("HBA Instance : last");
  h->ok = ok;
  return nullptr;
}

}  // namespace

// Matcher blocks are reused per thread: matchers made and freed on several
// threads, and freed on another thread than the one that made them, stay
// separate and correct.
TEST(PatternRobustness, MatchersMadeAndFreedAcrossThreads) {
  std::unique_ptr<Pattern> p(Pattern::compile(kInstanceLine, QLogicComp::kQueryLineFlags));
  ASSERT_TRUE(p);
  MatcherHandOver runs[4];
  pthread_t threads[4];
  for (int k = 0; k < 4; ++k) {
    runs[k].pattern = p.get();
    ASSERT_EQ(pthread_create(&threads[k], nullptr, makeAndMatch, &runs[k]), 0);
  }
  for (int k = 0; k < 4; ++k) ASSERT_EQ(pthread_join(threads[k], nullptr), 0);
  std::unique_ptr<TextMatcher> here(p->makeMatcher("HBA Instance : 7"));
  for (auto& r : runs) {
    EXPECT_TRUE(r.ok);
    ASSERT_NE(r.made, nullptr);
    EXPECT_NE(r.made, here.get());
    ASSERT_TRUE(r.made->matchesWhole());
    EXPECT_EQ(r.made->groupText(1), "last");
  }
  ASSERT_TRUE(here->matchesWhole());
  EXPECT_EQ(here->groupText(1), "7");
  for (auto& r : runs) delete r.made;
}
