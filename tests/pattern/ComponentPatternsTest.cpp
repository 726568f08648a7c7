// The patterns the component itself uses, read from its own headers, on
// lines that match and lines that do not, with the groups they yield.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/brocade/BrocadePatterns.h"
#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "framework/FrameworkPatterns.h"
#include "pattern/Pattern.h"
#include "tests/pattern/PatternTestUtil.h"

using Strings = std::vector<std::string>;

namespace {

// What a discovery does per line: compile, matcher, whole match, groups.
bool lineGroups(const std::string& pattern, unsigned long flags, const std::string& line, Strings* groups) {
  std::unique_ptr<Pattern> p(Pattern::compile(pattern, flags));
  if (!p) return false;
  std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
  if (!m->matchesWhole()) return false;
  *groups = m->groupTexts(false);
  return true;
}

std::wstring normalizeVersion(const std::wstring& text) {
  std::unique_ptr<WidePattern> p(
      WidePattern::compile(BrocadeComp::kOptionRomVersionPattern, BrocadeComp::kOptionRomFlags));
  if (!p) return L"compile failed";
  std::unique_ptr<WideTextMatcher> m(p->makeMatcher(text));
  if (m->matchesWhole()) return m->groupText(1);
  return text;
}

const char* const kEmulexLine = EmulexComp::kQueryLinePattern;
const char* const kInstance = QLogicComp::kInstanceLinePattern;
const char* const kImage = QLogicComp::kFlashImageLinePattern;
const char* const kPort = QLogicComp::kPortNameLinePattern;

}  // namespace

TEST(ComponentPatterns, ReleaseFiles) {
  const unsigned long flags = FwPatterns::kReleaseFlags;
  struct {
    const char* text;
    int redHatIndex;  // first Red Hat pattern that matches, -1 for none
    int suseIndex;
  } cases[] = {
      {"Red Hat Enterprise Linux Server release 5.4 (Tikanga)\n", 1, -1},
      {"Red Hat Enterprise Linux Server release 4 (Nahant Update 8)\n", 0, -1},
      {"Red Hat Enterprise Linux Server release 6.2 (Santiago)\n\nextra line\n", 2, -1},
      {"Red Hat Enterprise Linux Server release 7.0 (Maipo)\n", -1, -1},
      {"CentOS release 5.4 (Final) like Red Hat Enterprise Linux release 5\n", -1, -1},
      {"SUSE Linux Enterprise Server 11 (x86_64)\nVERSION = 11\nPATCHLEVEL = 1\n", -1, 1},
      {"SUSE Linux Enterprise Server 10 (x86_64)\nVERSION = 10\n", -1, 0},
      {"openSUSE 11.1 (i586)\n", -1, -1},
      {"ERROR", -1, -1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.text);
    int found = -1;
    for (int i = 0; i < 3 && found < 0; ++i)
      if (Pattern::matches(FwPatterns::kRedHatReleases[i].pattern, c.text, flags)) found = i;
    EXPECT_EQ(found, c.redHatIndex);
    found = -1;
    for (int i = 0; i < 2 && found < 0; ++i)
      if (Pattern::matches(FwPatterns::kSuseReleases[i].pattern, c.text, flags)) found = i;
    EXPECT_EQ(found, c.suseIndex);
  }
}

TEST(ComponentPatterns, VersionFieldsAreDigitsOnly) {
  const wchar_t* numeric = FwPatterns::kNumericFieldPattern;
  for (const wchar_t* yes : {L"0", L"02", L"2147483648999"}) EXPECT_TRUE(WidePattern::matches(numeric, yes, 0));
  for (const wchar_t* no : {L"", L"1a", L"a1", L" 1", L"1 ", L"-1", L"+1", L"1.2"})
    EXPECT_FALSE(WidePattern::matches(numeric, no, 0));
}

TEST(ComponentPatterns, QLogicQueryLines) {
  struct {
    const char* pattern;
    const char* line;
    bool matches;
    const char* group1;
  } cases[] = {
      {kInstance, "HBA Instance : 0", true, "0"},
      {kInstance, "HBA Instance: 12 (QLE2562)", true, "12 (QLE2562)"},
      {kInstance, "HBA Instance: 0 : 7", true, "7"},  // after the last ": "
      {kInstance, "HBA Instance : ", false, ""},      // nothing after it
      {kInstance, "HBA Instance 0", false, ""},
      {kInstance, "  HBA Instance : 0", false, ""},    // must start the line
      {kInstance, "HBA Instance:0", false, ""},
      {kImage, "Flash Image Version : 3.03.26", true, "3.03.26"},
      {kImage, "Flash Image Version: v.3.03 \r", true, "v.3.03 \r"},
      {kImage, "flash image version : 3.03.26", false, ""},
      {kPort, "Port Name : 21-00-00-1B-32-0A-6B-D4", true, "21-00-00-1B-32-0A-6B-D4"},
      {kPort, "Port Name: a: b", true, "b"},
      {kPort, "Port Name: a: ", true, "a: "},  // the last ": " with text after it
      {kPort, "Port Name", false, ""},
      {kPort, "", false, ""},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " on '" + c.line + "'");
    Strings groups;
    ASSERT_EQ(lineGroups(c.pattern, QLogicComp::kQueryLineFlags, c.line, &groups), c.matches);
    if (c.matches) {
      EXPECT_EQ(groups, Strings({c.group1}));
    }
  }
}

TEST(ComponentPatterns, EmulexQueryLine) {
  Strings groups;
  ASSERT_TRUE(lineGroups(kEmulexLine, EmulexComp::kQueryLineFlags,
                         "HBA=LPe12002-M8, Port Type=FC, PCI ID=F100, VID=10DF, SSID=F100, SVID=10DF, "
                         "Firmware=2.01A12, Boot Code=5.12a2, Driver=8.2",
                         &groups));
  EXPECT_EQ(groups, Strings({"LPe12002-M8, Port Type=FC", "F100", "10DF", "F100", "10DF", "2.01A12", "5.12a2"}));

  // Short ids keep their case; the model text runs to the last comma before PCI ID.
  ASSERT_TRUE(lineGroups(kEmulexLine, EmulexComp::kQueryLineFlags,
                         "HBA=OCe11102, x, PCI ID=e2, VID=19a2, SSID=e602, SVID=10df, Firmware=4.1.402.20, "
                         "Boot Code=4.1.402.20,",
                         &groups));
  EXPECT_EQ(groups, Strings({"OCe11102, x", "e2", "19a2", "e602", "10df", "4.1.402.20", "4.1.402.20"}));

  for (const char* no : {
           "HBA=LPe12002, PCI ID=F1000, VID=10DF, SSID=F100, SVID=10DF, Firmware=2.01A12, Boot Code=5.12a2",
           "HBA=LPe12002, PCI ID=F100, VID=10DF, SSID=F100, SVID=10DF, Firmware=2.01A12",
           "HBA=LPe12002, PCI ID=F-00, VID=10DF, SSID=F100, SVID=10DF, Firmware=2.01A12, Boot Code=5.12a2",
           "HBA=LPe12002, PCI ID=F100, VID=10DF, SSID=F100, SVID=10DF, Firmware=2.01A12, Boot Code=-1",
           "Port=LPe12002, PCI ID=F100, VID=10DF, SSID=F100, SVID=10DF, Firmware=2, Boot Code=5",
           "",
       }) {
    SCOPED_TRACE(no);
    EXPECT_FALSE(lineGroups(kEmulexLine, EmulexComp::kQueryLineFlags, no, &groups));
  }
}

TEST(ComponentPatterns, BrocadeOptionRomVersion) {
  struct {
    const wchar_t* text;
    const wchar_t* normalized;
  } cases[] = {
      {L"v3.1.0.0 Brocade BIOS", L"3.1.0.0"},
      {L"3.1.0.0", L"3.1.0.0"},
      {L"v12.1.0.3 build", L"2.1.0.3"},  // the leading .* keeps all it can
      {L"Version 2.1.0.3 build", L"2.1.0.3"},
      {L"1.1.1.1 and 2.2.2.2 x", L"2.2.2.2"},
      {L"1.1.1.1 and 22.2.2.2", L"2.2.2.2"},
      {L"line\n3.0.0.1\n", L"3.0.0.1"},
      {L"3.0.1", L"3.0.1"},  // no match: unchanged
      {L"", L""},
  };
  for (auto& c : cases) EXPECT_EQ(normalizeVersion(c.text), c.normalized);
}

// The components keep one matcher per pattern and re-target it at each line
// of a tool's output. Over an output with lines of very different lengths,
// near misses long enough for the failure memo and non-matching lines
// between matching ones, that must give exactly what a fresh matcher per
// line gives: match or not, every group offset, and whether a limit was hit.
TEST(ComponentPatterns, RetargetedMatcherAgreesWithAFreshOnePerLine) {
  std::string nearMiss = "HBA=x";
  for (int i = 0; i < 300; ++i) nearMiss += ",PCI ID=1,VID=1,SSID=1,SVID=1,Firmware=1";
  const std::vector<std::string> lines = {
      "HBA Instance    : 0",
      "HBA Model       : QLE2562",
      "Flash Image     : Multiboot: 2.10",
      "Port Name       : 21-00-00-1B-32-0A-0B-01",
      "",
      "HBA=LPe12002-M8, Port Type=FC, PCI ID=F100, VID=10DF, SSID=F100, SVID=10DF, Firmware=2.01A12, "
      "Boot Code=5.12a2, Driver=8.2",
      nearMiss,
      "HBA=OCe11102, PCI ID=e2, VID=19a2, SSID=e602, SVID=10df, Firmware=4.1.402.20, Boot Code=4.1.402.20,",
      "Port Name: " + std::string(5000, '-') + ": x",
      "HBA Instance : " + std::string(20000, ' ') + "7",
      "x",
      "HBA Instance    : 1 (QLE2462 Port 2)",
      nearMiss.substr(0, 200),
      "Flash Image     : 3.03",
  };
  const struct {
    const char* pattern;
    unsigned long flags;
  } patterns[] = {
      {QLogicComp::kInstanceLinePattern, QLogicComp::kQueryLineFlags},
      {QLogicComp::kFlashImageLinePattern, QLogicComp::kQueryLineFlags},
      {QLogicComp::kPortNameLinePattern, QLogicComp::kQueryLineFlags},
      {EmulexComp::kQueryLinePattern, EmulexComp::kQueryLineFlags},
  };
  auto result = [](TextMatcher& m, int groups) {
    std::string out = m.matchesWhole() ? pt::offsets(m, groups) : "no";
    if (m.limitHit()) out += " limit";
    return out;
  };
  for (const auto& p : patterns) {
    std::unique_ptr<Pattern> pattern(Pattern::compile(p.pattern, p.flags));
    ASSERT_TRUE(pattern) << p.pattern;
    const int groups = pattern->getGroupCount();
    // The memo as the components get it, and from the first visit on.
    for (long long threshold : {-1LL, 0LL}) {
      SCOPED_TRACE(std::string(p.pattern) + (threshold == 0 ? " (memo at once)" : ""));
      std::unique_ptr<TextMatcher> kept(pattern->makeMatcher(std::string()));
      if (threshold == 0) kept->setMemoThreshold(0);
      int matched = 0;
      for (size_t i = 0; i < lines.size(); ++i) {
        std::unique_ptr<TextMatcher> fresh(pattern->makeMatcher(lines[i]));
        if (threshold == 0) fresh->setMemoThreshold(0);
        kept->setText(lines[i]);
        const std::string expected = result(*fresh, groups);
        EXPECT_EQ(result(*kept, groups), expected) << "line " << i;
        EXPECT_EQ(kept->groupTexts(false), fresh->groupTexts(false)) << "line " << i;
        if (expected != "no") ++matched;
      }
      EXPECT_GE(matched, 2);  // the output holds matching lines for every pattern
    }
  }
}
