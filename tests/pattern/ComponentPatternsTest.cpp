// The patterns the component itself uses, exactly as it writes them, on
// lines that match and lines that do not, with the groups they yield.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pattern/Pattern.h"

using Strings = std::vector<std::string>;

namespace {

// What a discovery does per line: compile, matcher, whole match, groups.
bool lineGroups(const std::string& pattern, const std::string& line, Strings* groups) {
  std::unique_ptr<Pattern> p(Pattern::compile(pattern, DOT_ALL));
  if (!p) return false;
  std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
  if (!m->matchesWhole()) return false;
  *groups = m->groupTexts(false);
  return true;
}

std::wstring normalizeVersion(const std::wstring& text) {
  std::unique_ptr<WidePattern> p(WidePattern::compile(L".*(\\d+\\.\\d+\\.\\d+\\.\\d+).*", DOT_ALL));
  if (!p) return L"compile failed";
  std::unique_ptr<WideTextMatcher> m(p->makeMatcher(text));
  if (m->matchesWhole()) return m->groupText(1);
  return text;
}

const char kEmulexLine[] =
    "HBA=(.+),.*PCI ID=(\\w{1,4}),.*VID=(\\w{1,4}),.*SSID=(\\w{1,4}),.*SVID=(\\w{1,4}),"
    ".*Firmware=(.+),.*Boot Code=([\\w\\.]+).*";

}  // namespace

TEST(ComponentPatterns, ReleaseFiles) {
  const unsigned long flags = DOT_ALL | LINE_ANCHORS;
  const char* redHat[] = {"Red Hat Enterprise Linux.*release 4.*", "Red Hat Enterprise Linux.*release 5.*",
                          "Red Hat Enterprise Linux.*release 6.*"};
  const char* suse[] = {"SUSE Linux Enterprise Server 10.*", "SUSE Linux Enterprise Server 11.*"};
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
      if (Pattern::matches(redHat[i], c.text, flags)) found = i;
    EXPECT_EQ(found, c.redHatIndex);
    found = -1;
    for (int i = 0; i < 2 && found < 0; ++i)
      if (Pattern::matches(suse[i], c.text, flags)) found = i;
    EXPECT_EQ(found, c.suseIndex);
  }
}

TEST(ComponentPatterns, VersionFieldsAreDigitsOnly) {
  for (const wchar_t* yes : {L"0", L"02", L"2147483648999"}) EXPECT_TRUE(WidePattern::matches(L"\\d+", yes, 0));
  for (const wchar_t* no : {L"", L"1a", L"a1", L" 1", L"1 ", L"-1", L"+1", L"1.2"})
    EXPECT_FALSE(WidePattern::matches(L"\\d+", no, 0));
}

TEST(ComponentPatterns, QLogicQueryLines) {
  struct {
    const char* pattern;
    const char* line;
    bool matches;
    const char* group1;
  } cases[] = {
      {"HBA Instance.*: (.+).*", "HBA Instance : 0", true, "0"},
      {"HBA Instance.*: (.+).*", "HBA Instance: 12 (QLE2562)", true, "12 (QLE2562)"},
      {"HBA Instance.*: (.+).*", "HBA Instance: 0 : 7", true, "7"},  // after the last ": "
      {"HBA Instance.*: (.+).*", "HBA Instance : ", false, ""},      // nothing after it
      {"HBA Instance.*: (.+).*", "HBA Instance 0", false, ""},
      {"HBA Instance.*: (.+).*", "  HBA Instance : 0", false, ""},    // must start the line
      {"HBA Instance.*: (.+).*", "HBA Instance:0", false, ""},
      {"Flash Image.*: (.+).*", "Flash Image Version : 3.03.26", true, "3.03.26"},
      {"Flash Image.*: (.+).*", "Flash Image Version: v.3.03 \r", true, "v.3.03 \r"},
      {"Flash Image.*: (.+).*", "flash image version : 3.03.26", false, ""},
      {"Port Name.*: (.+).*", "Port Name : 21-00-00-1B-32-0A-6B-D4", true, "21-00-00-1B-32-0A-6B-D4"},
      {"Port Name.*: (.+).*", "Port Name: a: b", true, "b"},
      {"Port Name.*: (.+).*", "Port Name: a: ", true, "a: "},  // the last ": " with text after it
      {"Port Name.*: (.+).*", "Port Name", false, ""},
      {"Port Name.*: (.+).*", "", false, ""},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " on '" + c.line + "'");
    Strings groups;
    ASSERT_EQ(lineGroups(c.pattern, c.line, &groups), c.matches);
    if (c.matches) {
      EXPECT_EQ(groups, Strings({c.group1}));
    }
  }
}

TEST(ComponentPatterns, EmulexQueryLine) {
  Strings groups;
  ASSERT_TRUE(lineGroups(kEmulexLine,
                         "HBA=LPe12002-M8, Port Type=FC, PCI ID=F100, VID=10DF, SSID=F100, SVID=10DF, "
                         "Firmware=2.01A12, Boot Code=5.12a2, Driver=8.2",
                         &groups));
  EXPECT_EQ(groups, Strings({"LPe12002-M8, Port Type=FC", "F100", "10DF", "F100", "10DF", "2.01A12", "5.12a2"}));

  // Short ids keep their case; the model text runs to the last comma before PCI ID.
  ASSERT_TRUE(lineGroups(kEmulexLine,
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
    EXPECT_FALSE(lineGroups(kEmulexLine, no, &groups));
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
