// QLogic component: tool instances paired with inventory adapters by port
// name, discovery without the tool, the catalogue look-up and the flash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/qlogic/QLogicComponent.h"
#include "tests/components/ComponentTestSupport.h"

namespace {

using namespace ComponentTest;
using QLogic = Testable<QLogicComp::CComponent>;

const char* const kWwnA = "21:00:00:1B:32:0A:BC:01";
const char* const kWwnB = "21:00:00:1B:32:0A:BC:02";

struct FakeAdapter {
  const char* pci_id;
  const char* subsystem_id;
  const char* port_wwn;
};

struct ExpectedDevice {
  std::wstring device_id;
  std::wstring active_version;
  std::wstring action;
};

struct DiscoveryCase {
  const char* name;
  std::string query_output;  // what the fake tool prints for /q
  std::vector<FakeAdapter> adapters;
  std::vector<ExpectedDevice> devices;
};

// Five lines per instance, as the tool prints them.
std::string Instance(const std::string& number, const std::string& image, const std::string& port) {
  return "HBA Instance: " + number + "\n" + "HBA Model: QLE2562\n" + "Flash Image Version: " + image +
         "\n" + "Port Name: " + port + "\n" + "\n";
}

// Shown in the test list and in failures instead of the object's bytes.
void PrintTo(const DiscoveryCase& c, std::ostream* out) { *out << c.name; }

class QLogicDiscoveryTest : public PackageDirTest,
                            public ::testing::WithParamInterface<DiscoveryCase> {};

TEST_P(QLogicDiscoveryTest, PairsToolInstancesWithAdaptersByPortName) {
  const DiscoveryCase& c = GetParam();
  WriteFile("query.txt", c.query_output);
  WriteScript("zvqlafwupdate", "if [ \"$1\" = /q ]; then cat query.txt; fi\n");

  QLogic component(Path("component.log"));
  component.Ref().entries.push_back(
      Entry(L"1077.2532.1077.015d", L"QLE2562", L"", L"", L"3.00.12"));
  component.Ref().entries.push_back(
      Entry(L"1077.2432.1077.0137", L"QLE2462", L"", L"", L"2.10"));
  for (const FakeAdapter& a : c.adapters)
    component.Inventory().Append(Adapter(a.pci_id, a.subsystem_id, a.port_wwn));

  component.DiscoverDevices();

  const std::vector<DeviceRec>& devices = component.Discovery().devices;
  ASSERT_EQ(devices.size(), c.devices.size());
  for (size_t i = 0; i < devices.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(devices[i].device_id, c.devices[i].device_id);
    ASSERT_EQ(devices[i].fw_items.size(), 1u);
    const FwItem& item = devices[i].fw_items[0];
    EXPECT_EQ(item.type, L"Multiboot Image");
    EXPECT_EQ(item.active_version, c.devices[i].active_version);
    EXPECT_EQ(item.action, c.devices[i].action);
    EXPECT_EQ(item.shared, L"no");
    EXPECT_EQ(item.duration, L"120");
    EXPECT_TRUE(item.firmware_id.empty());
    EXPECT_TRUE(item.message.empty());
    EXPECT_TRUE(devices[i].busnumber.empty());
  }
}

const std::string kTwoInstances =
    Instance("0", "3.00.12", "21-00-00-1B-32-0A-BC-01") + Instance("1", "2.05", "21-00-00-1B-32-0A-BC-02");

INSTANTIATE_TEST_SUITE_P(
    QueryOutput, QLogicDiscoveryTest,
    ::testing::Values(
        DiscoveryCase{"TwoInstancesTwoAdapters",
                      kTwoInstances,
                      {{"10772532", "1077015d", kWwnA}, {"10772432", "10770137", kWwnB}},
                      {{L"1077.2532.1077.015d", L"3.00.12", L"rewrite"},
                       {L"1077.2432.1077.0137", L"2.05", L"upgrade"}}},
        // Only the text after the last colon-and-space pair is the value.
        DiscoveryCase{"TwoColonSpacePairs",
                      "HBA Instance: 0\nx\nFlash Image Version: BIOS: 3.10.01\n"
                      "Port Name: WWPN: 21-00-00-1B-32-0A-BC-01\n\n",
                      {{"10772532", "1077015d", kWwnA}},
                      {{L"1077.2532.1077.015d", L"3.10.01", L"downgrade"}}},
        DiscoveryCase{"LowerCasePortNameMatchesNothing",
                      Instance("0", "3.00.12", "21-00-00-1b-32-0a-bc-01"),
                      {{"10772532", "1077015d", kWwnA}},
                      {{L"1077.2532.1077.015d", L"", L"upgrade"}}},
        DiscoveryCase{"SamePortNameHigherInstanceWins",
                      Instance("0", "1.00", "21-00-00-1B-32-0A-BC-01") +
                          Instance("1", "4.00", "21-00-00-1B-32-0A-BC-01"),
                      {{"10772532", "1077015d", kWwnA}},
                      {{L"1077.2532.1077.015d", L"4.00", L"downgrade"}}},
        // Eleven lines: N = 2, so instance 2 is never compared.
        DiscoveryCase{"ElevenLinesSearchOnlyInstancesZeroAndOne",
                      "HBA Instance: 0\nFlash Image Version: 1.00\nPort Name: 00-00-00-00-00-00-00-01\n\n"
                      "HBA Instance: 1\nFlash Image Version: 1.00\nPort Name: 00-00-00-00-00-00-00-02\n\n"
                      "HBA Instance: 2\nFlash Image Version: 3.00.12\nPort Name: 21-00-00-1B-32-0A-BC-01\n",
                      {{"10772532", "1077015d", kWwnA}},
                      {{L"1077.2532.1077.015d", L"", L"upgrade"}}},
        // The same lines plus four empty ones reach N = 3.
        DiscoveryCase{"FifteenLinesSearchInstanceTwo",
                      "HBA Instance: 0\nFlash Image Version: 1.00\nPort Name: 00-00-00-00-00-00-00-01\n\n"
                      "HBA Instance: 1\nFlash Image Version: 1.00\nPort Name: 00-00-00-00-00-00-00-02\n\n"
                      "HBA Instance: 2\nFlash Image Version: 3.00.12\nPort Name: 21-00-00-1B-32-0A-BC-01\n"
                      "\n\n\n\n",
                      {{"10772532", "1077015d", kWwnA}},
                      {{L"1077.2532.1077.015d", L"3.00.12", L"rewrite"}}},
        // Lines before the first instance line and out-of-table instance
        // numbers fill no slot, neither slot 0 nor the previous instance's;
        // adapter B appears only there, so it must stay without a version.
        DiscoveryCase{"InstanceNumbersOutOfRangeAreIgnored",
                      "Flash Image Version: 9.9\nPort Name: 21-00-00-1B-32-0A-BC-02\n\n\n\n" +
                          Instance("  +1", "3.00.12", "21-00-00-1B-32-0A-BC-01") +
                          Instance("64", "9.9", "21-00-00-1B-32-0A-BC-02") +
                          Instance("-1", "9.9", "21-00-00-1B-32-0A-BC-02") +
                          Instance("99999999999999999999", "9.9", "21-00-00-1B-32-0A-BC-02"),
                      {{"10772532", "1077015d", kWwnA}, {"10772432", "10770137", kWwnB}},
                      {{L"1077.2532.1077.015d", L"3.00.12", L"rewrite"},
                       {L"1077.2432.1077.0137", L"", L"upgrade"}}},
        // An instance without a Port Name line has an empty name; an adapter
        // without ports must not pair with it.
        DiscoveryCase{"AdapterWithoutPortsMatchesNoInstance",
                      "HBA Instance: 0\nFlash Image Version: 1.00\n\n\n\n",
                      {{"10772532", "1077015d", ""}},
                      {{L"1077.2532.1077.015d", L"", L"upgrade"}}},
        // Unsupported adapters are dropped; a subsystem-only key is found by
        // the substring rule and takes the entry's device_id.
        DiscoveryCase{"UnsupportedDroppedSubstringFound",
                      kTwoInstances,
                      {{"10771234", "10779999", kWwnA}, {"N/A", "1077015d", kWwnA}},
                      {{L"1077.2532.1077.015d", L"3.00.12", L"rewrite"}}},
        // No output lines at all (tool missing or silent): every supported
        // adapter is listed with an empty running version.
        DiscoveryCase{"NoOutput",
                      "",
                      {{"10772532", "1077015d", kWwnA}},
                      {{L"1077.2532.1077.015d", L"", L"upgrade"}}}),
    [](const ::testing::TestParamInfo<DiscoveryCase>& info) { return std::string(info.param.name); });

TEST_F(PackageDirTest, QLogicDiscoveryWithoutToolListsAdaptersWithEmptyVersion) {
  QLogic component(Path("component.log"));
  component.Ref().entries.push_back(Entry(L"1077.2532.1077.015d", L"QLE2562", L"", L"", L"3.00.12"));
  component.Inventory().Append(Adapter("10772532", "1077015d", kWwnA));
  component.DiscoverDevices();
  ASSERT_EQ(component.Discovery().devices.size(), 1u);
  EXPECT_EQ(component.Discovery().devices[0].fw_items[0].active_version, L"");
  EXPECT_EQ(component.Discovery().devices[0].fw_items[0].action, L"upgrade");
  // Discovery writes nothing to the log.
  EXPECT_EQ(ReadFile(Path("component.log")), "");
}

TEST_F(PackageDirTest, QLogicFindReferenceExactThenSubstring) {
  QLogic component(Path("component.log"));
  auto& entries = component.Ref().entries;
  entries.push_back(Entry(L"1077.2532.1077.015d", L"A", L"", L"", L""));
  entries.push_back(Entry(L"1077.2532.1077.015D.X", L"B", L"", L"", L""));
  entries.push_back(Entry(L"1077.2532", L"C", L"", L"", L""));

  struct Lookup {
    std::wstring key;
    int index;
  } lookups[] = {
      {L"1077.2532.1077.015D", 0},  // exact, ignoring case
      {L"1077.2532", 2},            // exact wins over an earlier containing entry
      {L"1077.015d", 0},            // contained: the first containing entry
      {L"015D.x", 1},               // contained in any letter case
      {L"2532.1077.015d.x", 1},
      {L"1077.2432", -1},           // neither equal nor contained
      {L"", -1},                    // no identity at all names no model
  };
  for (const Lookup& l : lookups) {
    EXPECT_EQ(component.FindReference(l.key), l.index) << std::string(l.key.begin(), l.key.end());
  }
}

TEST_F(PackageDirTest, QLogicNormalizeVersion) {
  QLogic component(Path("component.log"));
  EXPECT_EQ(component.NormalizeVersion(L"v.3.00.12 build 7"), L"3.00.12");
  EXPECT_EQ(component.NormalizeVersion(L"3.00.12"), L"3.00.12");
  EXPECT_EQ(component.NormalizeVersion(L"1.v.2v.3"), L"1.2v.3");  // first "v." only
  EXPECT_EQ(component.NormalizeVersion(L"2.10 v.3"), L"2.10");     // cut before looking for "v."
  EXPECT_EQ(component.NormalizeVersion(L""), L"");
}

// --- Flash -----------------------------------------------------------------

// The fake tool records its arguments, writes one line on each of the three
// descriptors and exits with the code stored in exit_code.
const char* const kFakeFlashTool =
    "printf '%s\\n' \"$*\" > args.txt\n"
    "echo tool-stdout\n"
    "echo tool-stderr >&2\n"
    "echo tool-fd3 >&3\n"
    "exit $(cat exit_code)\n";

class QLogicFlashTest : public PackageDirTest {
 protected:
  void SetUp() override {
    PackageDirTest::SetUp();
    RequireIsolatedVar();
    WriteScript("zvqlafwupdate", kFakeFlashTool);
  }
};

TEST_F(QLogicFlashTest, MapsExitCodes) {
  struct Mapping {
    int exit_code;
    int result;
  } mappings[] = {{0, 1},  {1, 3},   {2, 7},   {10, 7},  {11, 11}, {12, 12}, {13, 13},
                  {14, 7}, {15, 15}, {16, 7},  {17, 7},  {18, 18}, {40, 40}, {255, 255}};
  for (const Mapping& m : mappings) {
    WriteFile("exit_code", std::to_string(m.exit_code) + "\n");
    QLogic component(kToolLog);
    EXPECT_EQ(component.Flash(), m.result) << "tool exit code " << m.exit_code;
  }
}

TEST_F(QLogicFlashTest, CommandLinesAndToolOutputInLog) {
  struct Switches {
    bool silent;
    bool force;
    std::string logged;
    std::string args;
  } runs[] = {{false, false, "./zvqlafwupdate", ""},
              {true, false, "./zvqlafwupdate /s", "/s"},
              {false, true, "./zvqlafwupdate /f", "/f"},
              {true, true, "./zvqlafwupdate /s /f", "/s /f"}};
  WriteFile("exit_code", "0\n");
  for (const Switches& r : runs) {
    SCOPED_TRACE(r.logged);
    unlink(kToolLog);
    QLogic component(kToolLog);
    component.SetSilent(r.silent);
    component.SetForce(r.force);
    EXPECT_EQ(component.Flash(), 1);
    EXPECT_EQ(ReadFile("args.txt"), r.args + "\n");
    // The tool's own output lands between the component's two lines.
    EXPECT_EQ(ReadFile(kToolLog), "Executing flash engine: " + r.logged +
                                      "\ntool-stdout\ntool-stderr\ntool-fd3\n"
                                      "Flash Engine exit code: 0\n");
  }
}

TEST_F(QLogicFlashTest, ToolKilledBySignalIsNotSuccess) {
  WriteScript("zvqlafwupdate", "kill -KILL $$\n");
  QLogic component(kToolLog);
  int result = component.Flash();
  EXPECT_EQ(result, 128 + 9);
  EXPECT_NE(ReadFile(kToolLog).find("Flash Engine exit code: 137\n"), std::string::npos);
}

TEST_F(QLogicFlashTest, MissingToolIsAFailure) {
  unlink("zvqlafwupdate");
  QLogic component(kToolLog);
  // The shell's "not found" code passes through; never success.
  EXPECT_EQ(component.Flash(), 127);
}

}  // namespace
