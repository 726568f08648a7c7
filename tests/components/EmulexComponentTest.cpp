// Emulex component: the adapter key, the split version comparison, the kit's
// unpacking, discovery from the kit's query output and the flash.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "components/emulex/EmulexComponent.h"
#include "sim/common/SimState.h"
#include "tests/components/ComponentTestSupport.h"

namespace {

using namespace ComponentTest;
using Emulex = Testable<EmulexComp::CComponent>;

const char* const kKitDir = "elxflashStandalone-1.0";
const char* const kScriptPath = "elxflashStandalone-1.0/lx/elxflash.sh";

// Query mode prints query.txt; update mode records its arguments, writes one
// line on each of descriptors 1, 2 and 3 and exits with the stored code.
const char* const kFakeKitScript =
    "if [ \"$1\" = /q ]; then cat query.txt; exit 0; fi\n"
    "printf '%s\\n' \"$*\" > args.txt\n"
    "echo kit-stdout\n"
    "echo kit-stderr >&2\n"
    "echo kit-fd3 >&3\n"
    "exit $(cat exit_code)\n";

class EmulexTest : public PackageDirTest {
 protected:
  // Packs the fake kit as the package carries it: a zip only, so the
  // component's own unpacking has to produce the script.
  void WriteKitZip() {
    ASSERT_TRUE(std::filesystem::create_directories(std::string(kKitDir) + "/lx"));
    WriteScript(kScriptPath, kFakeKitScript);
    ASSERT_EQ(SimState::RunIn(".", {"zip", "-qr", std::string(kKitDir) + ".zip", kKitDir}), 0);
    ASSERT_GT(std::filesystem::remove_all(kKitDir), 0u);
  }
};

TEST(EmulexKey, PadsIdsToFourCharactersKeepingCase) {
  struct Case {
    const char *vid, *pci, *svid, *ssid, *key;
  } cases[] = {
      {"10df", "f100", "10df", "f100", "10df.f100.10df.f100"},
      {"df", "fe00", "DF", "1", "00df.fe00.00DF.0001"},
      {"10DF", "E2", "abc", "0", "10DF.00E2.0abc.0000"},
  };
  for (const Case& c : cases) EXPECT_EQ(EmulexComp::CComponent::KeyFromIds(c.vid, c.pci, c.svid, c.ssid), c.key);
}

TEST_F(PackageDirTest, EmulexSplitComparison) {
  Emulex component(Path("component.log"));
  struct Case {
    const wchar_t* version;
    const wchar_t* active;
    int order;
  } cases[] = {
      {L"2a10.1", L"2.10.1", 0},   // the separator character takes no part
      {L"2a10.1", L"2.10.0", 1},   // same lead: ordered by what follows
      {L"3a10.1", L"2.10.9", 1},   // leads decide first
      {L"2.10a6", L"2.10a7", -1},
      {L"7", L"7", 0},             // digits only: all lead, empty rest
      {L"7", L"7.1", -1},
      {L"12", L"9", 1},
      {L"", L"", 0},
      {L"1.0", L"", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(component.SplitCompare(c.version, c.active), c.order)
        << std::string(c.version, c.version + wcslen(c.version)) << " vs "
        << std::string(c.active, c.active + wcslen(c.active));
  }
}

TEST_F(PackageDirTest, EmulexNormalizeVersionCutsAtFirstSpace) {
  Emulex component(Path("component.log"));
  EXPECT_EQ(component.NormalizeVersion(L"v.2.10a6 build 3"), L"v.2.10a6");
  EXPECT_EQ(component.NormalizeVersion(L"2.10a6"), L"2.10a6");
  EXPECT_EQ(component.NormalizeVersion(L" x"), L"");
}

struct ExpectedItem {
  std::wstring type, version, active_version, action, shared;
};

struct LineCase {
  const char* name;
  std::string line;
  std::optional<RefEntry> entry;      // catalogue entry this line's key finds
  std::wstring device_id;             // empty: the line yields no device
  std::vector<ExpectedItem> items;
};

std::string Line(const std::string& model, const std::string& ids, const std::string& firmware,
                 const std::string& boot) {
  return "HBA=" + model + ", Port Type=FC, " + ids + ", Firmware=" + firmware +
         ", Boot Code=" + boot + ", Driver=8.3.5";
}

TEST_F(EmulexTest, DiscoverBuildsDevicesFromQueryLines) {
  // All lines go through one Discover call, in this order, so a split part
  // left over from an earlier line would show up in a later one.
  const std::vector<LineCase> cases = {
      {"FixedFamilyLPe160",
       Line("LPe16002-M6", "PCI ID=e200, VID=10df, SSID=e282, SVID=10df", "11.1.38.64", "UB11.20a3"),
       Entry(L"10df.e200.10df.e282", L"LPe16002", L"99.9", L"11.20a3", L""),
       L"10df.e200.10df.e282",
       {{L"Firmware", L"12.6.275.7", L"11.1.38.64", L"upgrade", L"no"},
        {L"Boot BIOS ROM", L"11.20a3", L"11.20a3", L"rewrite", L""}}},
      {"FixedFamilyLPe320NoBios",
       Line("LPe32002", "PCI ID=e300, VID=10df, SSID=e301, SVID=10df", "12.6.275.7", "UB12.6.1"),
       Entry(L"10df.e300.10df.e301", L"LPe32002", L"1.0", L"", L"", 0),
       L"10df.e300.10df.e301",
       {{L"Firmware", L"12.6.275.7", L"12.6.275.7", L"rewrite", L"no"}}},
      {"FixedFamilyLPe310And350",
       Line("LPe31002 LPe35002", "PCI ID=e300, VID=10df, SSID=e302, SVID=10df", "12.8.1.0", "12"),
       Entry(L"10df.e300.10df.e302", L"LPe31002", L"1.0", L"", L"", 0),
       L"10df.e300.10df.e302",
       {{L"Firmware", L"12.6.275.7", L"12.8.1.0", L"downgrade", L"no"}}},
      // OCe texts are taken whole.
      {"OCeTakenWhole",
       Line("OCe14102-UM", "PCI ID=0720, VID=10df, SSID=e81e, SVID=10df", "10.2.370.19", "10.2.370.19"),
       Entry(L"10df.0720.10df.e81e", L"OCe14102", L"10.2.370.19", L"10.2.370.20", L""),
       L"10df.0720.10df.e81e",
       {{L"Firmware", L"10.2.370.19", L"10.2.370.19", L"rewrite", L"no"},
        {L"Boot BIOS ROM", L"10.2.370.20", L"10.2.370.19", L"upgrade", L""}}},
      // Split family: only lead and rest count, not the separator; a plain
      // comparison would call this an upgrade.
      {"LPe120SplitComparison",
       Line("LPe12002-M8", "PCI ID=f100, VID=10df, SSID=f100, SVID=10df", "US2.10.1", "UU5.10a3"),
       Entry(L"10df.f100.10df.f100", L"LPe12002", L"2a10.1", L"5.10a2", L""),
       L"10df.f100.10df.f100",
       {{L"Firmware", L"2a10.1", L"2.10.1", L"rewrite", L"no"},
        {L"Boot BIOS ROM", L"5.10a2", L"5.10a3", L"downgrade", L""}}},
      {"LPe110SplitComparison",
       Line("LPe11002", "PCI ID=fe00, VID=10df, SSID=fe11, SVID=10df", "ZS2.10.2", "ZB1.7a2"),
       Entry(L"10df.fe00.10df.fe11", L"LPe11002", L"2a10.1", L"1.7a1", L""),
       L"10df.fe00.10df.fe11",
       {{L"Firmware", L"2a10.1", L"2.10.2", L"downgrade", L"no"},
        {L"Boot BIOS ROM", L"1.7a1", L"1.7a2", L"downgrade", L""}}},
      // Digits only after a split with unequal rests: nothing carries over.
      {"DigitsOnlyAfterSplit",
       Line("LPe12000", "PCI ID=f100, VID=10df, SSID=f101, SVID=10df", "US7", "UU44"),
       Entry(L"10df.f100.10df.f101", L"LPe12000", L"7", L"44", L""),
       L"10df.f100.10df.f101",
       {{L"Firmware", L"7", L"7", L"rewrite", L"no"},
        {L"Boot BIOS ROM", L"44", L"44", L"rewrite", L""}}},
      // Outside the families, a reference firmware without "." compares
      // against the running firmware with its dots removed.
      {"OtherModelUndottedReference",
       Line("LP9002", "PCI ID=f900, VID=10df, SSID=f900, SVID=10df", "ZF3.91a3", "ZB1.70a2"),
       Entry(L"10df.f900.10df.f900", L"LP9002", L"391a3", L"1.70a3", L""),
       L"10df.f900.10df.f900",
       {{L"Firmware", L"391a3", L"391a3", L"rewrite", L"no"},
        {L"Boot BIOS ROM", L"1.70a3", L"1.70a2", L"upgrade", L""}}},
      {"OtherModelDottedReference",
       Line("LP10000", "PCI ID=fa00, VID=10df, SSID=fa00, SVID=10df", "TS1.91a4", "TB1.70a3"),
       Entry(L"10df.fa00.10df.fa00", L"LP10000", L"1.91a5", L"", L"", 0),
       L"10df.fa00.10df.fa00",
       {{L"Firmware", L"1.91a5", L"1.91a4", L"upgrade", L"no"}}},
      // Short ids are padded; the device keeps the tool's letter case while
      // the lookup ignores it.
      {"PaddedKeyKeepsCase",
       Line("LPe1150", "PCI ID=fe00, VID=df, SSID=1, SVID=DF", "ZS2.70a5", "ZB1.70a3"),
       Entry(L"00df.fe00.00df.0001", L"LPe1150", L"2.70a5", L"", L"", 0),
       L"00df.fe00.00DF.0001",
       {{L"Firmware", L"2.70a5", L"2.70a5", L"rewrite", L"no"}}},
      // One-character values lose what they have.
      {"OneCharacterValues",
       Line("LP8000", "PCI ID=f800, VID=10df, SSID=f800, SVID=10df", "7", "5"),
       Entry(L"10df.f800.10df.f800", L"LP8000", L"1.0", L"1.0", L""),
       L"10df.f800.10df.f800",
       {{L"Firmware", L"1.0", L"", L"upgrade", L"no"},
        {L"Boot BIOS ROM", L"1.0", L"", L"upgrade", L""}}},
      {"NoCatalogueEntry",
       Line("LPe12002", "PCI ID=f100, VID=10df, SSID=ffff, SVID=10df", "US2.10.1", "UU5.10a3"),
       std::nullopt, L"", {}},
      {"NotAnAdapterLine", "Emulex flash kit 1.0, query mode", std::nullopt, L"", {}},
      {"IdTooLong",
       Line("LPe12002", "PCI ID=f1000, VID=10df, SSID=f100, SVID=10df", "US2.10.1", "UU5.10a3"),
       std::nullopt, L"", {}},
      {"EmptyLine", "", std::nullopt, L"", {}},
      // The same key again gives a second device; as the last line, without
      // a newline, it still counts.
      {"DuplicateLine",
       Line("LPe12002-M8", "PCI ID=f100, VID=10df, SSID=f100, SVID=10df", "US2.10.1", "UU5.10a3"),
       std::nullopt, L"10df.f100.10df.f100",
       {{L"Firmware", L"2a10.1", L"2.10.1", L"rewrite", L"no"},
        {L"Boot BIOS ROM", L"5.10a2", L"5.10a3", L"downgrade", L""}}},
  };

  std::string query;
  Emulex component(Path("component.log"));
  for (const LineCase& c : cases) {
    if (&c != &cases.front()) query += "\n";
    query += c.line;
    if (c.entry) component.Ref().entries.push_back(*c.entry);
  }
  WriteFile("query.txt", query);
  WriteKitZip();

  ASSERT_TRUE(component.Discover());

  const std::vector<DeviceRec>& devices = component.Discovery().devices;
  size_t d = 0;
  for (const LineCase& c : cases) {
    if (c.device_id.empty()) continue;
    SCOPED_TRACE(c.name);
    ASSERT_LT(d, devices.size());
    const DeviceRec& device = devices[d++];
    EXPECT_EQ(device.device_id, c.device_id);
    ASSERT_EQ(device.fw_items.size(), c.items.size());
    for (size_t i = 0; i < c.items.size(); ++i) {
      const FwItem& item = device.fw_items[i];
      EXPECT_EQ(item.type, c.items[i].type);
      EXPECT_EQ(item.version, c.items[i].version);
      EXPECT_EQ(item.active_version, c.items[i].active_version);
      EXPECT_EQ(item.action, c.items[i].action);
      EXPECT_EQ(item.shared, c.items[i].shared);
      EXPECT_EQ(item.duration, L"120");
    }
  }
  EXPECT_EQ(d, devices.size());
  EXPECT_EQ(devices[0].product_id, L"LPe16002");

  // The kit stays unpacked for the flash step; the log has only the kit line.
  EXPECT_EQ(access(kScriptPath, X_OK), 0);
  EXPECT_EQ(ReadFile(Path("component.log")), "Preparing the Emulex Kit...done\n");
  // Discovery leaves the report header alone.
  EXPECT_TRUE(component.Discovery().type.empty());
}

TEST_F(EmulexTest, MissingKitGivesNoDevicesButSucceeds) {
  Emulex component(Path("component.log"));
  component.Ref().entries.push_back(Entry(L"10df.f100.10df.f100", L"LPe12002", L"1", L"", L""));
  EXPECT_TRUE(component.Discover());
  EXPECT_TRUE(component.Discovery().devices.empty());
  EXPECT_EQ(ReadFile(Path("component.log")), "Preparing the Emulex Kit...done\n");
}

// --- Flash -----------------------------------------------------------------

const std::string kRedirections =
    "1>> /var/qmx/Component.log 2>> /var/qmx/Component.log 3>> /var/qmx/Component.log";
const std::string kSupportNote =
    "For QB410SX or TW880A CNAs, please use the \"Firmware image for offline update\" (OneConnect "
    "ISO) tool available on support.fwpack.example\n";

class EmulexFlashTest : public EmulexTest {
 protected:
  void SetUp() override {
    EmulexTest::SetUp();
    RequireIsolatedVar();
    ASSERT_TRUE(std::filesystem::create_directories(std::string(kKitDir) + "/lx"));
    WriteScript(kScriptPath, kFakeKitScript);
    chmod(kScriptPath, 0755);  // as PrepareKit leaves it
  }
};

TEST_F(EmulexFlashTest, MessageAndResultForEveryExitCodeRange) {
  const std::string skipped = "  Skipped any QB410SX or TW880A CNAs.\n";
  struct Case {
    int exit_code;
    std::string messages;
    int result;
  } cases[] = {
      {0, "All updates were successful.  Reboot needed.\n", 1},
      {1, "No operation performed.  No updates needed or discovery command executed.\n", 3},
      {2, "All updates failed.\n", 7},
      {6, "All updates failed.\n", 7},
      {7, "", 7},
      {8, "", 8},
      {10, "", 10},
      {11, "All updates were successful." + skipped + kSupportNote, 7},
      {12, "No updates needed." + skipped + kSupportNote, 7},
      {13, "All updates failed." + skipped + kSupportNote, 7},
      {14, "Some updates failed." + skipped + kSupportNote, 7},
      {15, "No supported hardware found." + skipped + kSupportNote, 7},
      {16, "No updates available." + skipped + kSupportNote, 7},
      {17, "", 17},
      {255, "", 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exit_code);
    unlink(kToolLog);
    WriteFile("exit_code", std::to_string(c.exit_code) + "\n");
    Emulex component(kToolLog);
    EXPECT_EQ(component.Flash(), c.result);
    EXPECT_EQ(ReadFile(kToolLog),
              "Executing flash engine: ./elxflashStandalone*/lx/elxflash.sh /sysfs  /update " +
                  kRedirections + "\nkit-stdout\nkit-stderr\nkit-fd3\nFlash Engine exit code: " +
                  std::to_string(c.exit_code) + "\n" + c.messages);
  }
}

TEST_F(EmulexFlashTest, CommandLineWithAndWithoutForce) {
  WriteFile("exit_code", "0\n");
  struct Case {
    bool force;
    bool silent;
    std::string middle;
    std::string args;
  } cases[] = {{false, false, " /sysfs  /update ", "/sysfs /update"},
               {true, false, " /sysfs  /f ", "/sysfs /f"},
               {true, true, " /sysfs  /f ", "/sysfs /f"}};  // silent is not passed on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.middle);
    unlink(kToolLog);
    Emulex component(kToolLog);
    component.SetForce(c.force);
    component.SetSilent(c.silent);
    EXPECT_EQ(component.Flash(), 1);
    EXPECT_EQ(ReadFile("args.txt"), c.args + "\n");
    std::string log = ReadFile(kToolLog);
    EXPECT_EQ(log.substr(0, log.find('\n') + 1),
              "Executing flash engine: ./elxflashStandalone*/lx/elxflash.sh" + c.middle +
                  kRedirections + "\n");
  }
}

}  // namespace
