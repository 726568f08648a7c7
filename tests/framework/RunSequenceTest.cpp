// ParseCommandLine, and Run along every exit path: exit code, console and
// log text, with a component whose discovery and flash are scripted.
#include "TestSupport.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const std::string kUsage =
    "KZXXXXXX.fwpack [options]\n"
    "    options\n"
    "    --------------------------\n"
    "    /f = Force the installation\n"
    "    /s = Execute silently\n"
    "    /d [path] = Perform self-discovery and output to [path]\n";

const std::string kSeparator = std::string(51, '-') + "\n";
const std::string kLoaded = kSeparator + "Loading references...done.\nPerforming discovery...\n";

const char kCatalogue[] =
    "<?xml version=\"1.0\"?>\n"
    "<tarvix_fchba_reference><devices><device>"
    "<type value=\"QLogic FC HBA\"/><device_id value=\"1077.2532.1077.015c\"/>"
    "</device></devices></tarvix_fchba_reference>\n";

TEST(ParseCommandLine, SwitchesAndResults) {
  struct Case {
    std::vector<std::string> args;
    int result;
    bool silent, force, report_only;
    std::string report_path;
    std::string console;
  };
  const Case cases[] = {
      {{"fwpack"}, 1, false, false, false, "", ""},
      {{"fwpack", "/s"}, 1, true, false, false, "", ""},
      {{"fwpack", "-s"}, 1, true, false, false, "", ""},
      {{"fwpack", "/f"}, 1, false, true, false, "", ""},
      {{"fwpack", "-f"}, 1, false, true, false, "", ""},
      {{"fwpack", "/e"}, 1, false, true, false, "", ""},
      {{"fwpack", "-e"}, 1, false, true, false, "", ""},
      {{"fwpack", "/g"}, 1, false, true, false, "", ""},
      {{"fwpack", "-g"}, 1, false, true, false, "", ""},
      {{"fwpack", "-F", "/S", "/D", "--force", "x"}, 1, false, false, false, "", ""},
      {{"fwpack", "/d", "out.xml"}, 1, false, false, true, "out.xml", ""},
      {{"fwpack", "-d", "/s"}, 1, true, false, true, "/s", ""},
      {{"fwpack", "/d", "a.xml", "-d", "b.xml"}, 1, false, false, true, "b.xml", ""},
      {{"fwpack", "/d", "/d", "x"}, 1, false, false, true, "x", ""},
      {{"fwpack", "/d"}, 0, false, false, true, "", kUsage},
      {{"fwpack", "/s", "/d"}, 0, true, false, true, "", kUsage},
      {{"fwpack", "/h"}, 2, false, false, false, "", kUsage},
      {{"fwpack", "-h", "/d"}, 2, false, false, false, "", kUsage},
      {{"fwpack", "/f", "/h", "/s"}, 2, false, true, false, "", kUsage},
      // The program name is examined like any other argument.
      {{"/s"}, 1, true, false, false, "", ""},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& arg : c.args) joined += arg + " ";
    SCOPED_TRACE(joined);
    fwtest::TempDir dir;
    fwtest::ScriptedComponent component(dir / "Component.log");
    CaptureStdout();
    int result = fwtest::Parse(component, c.args);
    EXPECT_EQ(GetCapturedStdout(), c.console);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(component.Silent(), c.silent);
    EXPECT_EQ(component.Log().ConsoleOff(), c.silent);
    EXPECT_EQ(component.Force(), c.force);
    EXPECT_EQ(component.ReportOnly(), c.report_only);
    EXPECT_EQ(component.ReportPath(), c.report_path);
    // Parsing writes nothing to the log.
    EXPECT_EQ(fwtest::ReadFile(dir / "Component.log"), "");
  }
}

TEST(ParseCommandLine, NoArgumentVector) {
  fwtest::TempDir dir;
  fwtest::ScriptedComponent component(dir / "Component.log");
  EXPECT_EQ(component.ParseCommandLine(0, nullptr), 1);
}

// One row per exit path of the run sequence.
struct RunCase {
  const char* name;
  std::vector<std::string> args;
  bool catalogue;
  bool base_discover;
  bool discover_result;
  std::vector<std::vector<std::wstring>> devices;
  int flash_result;
  int exit_code;
  int flash_calls;
  std::string log;
};

// Shown in the test list and in failures instead of the object's bytes.
void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

class RunSequence : public testing::TestWithParam<RunCase> {};

TEST_P(RunSequence, ExitCodeAndExactLog) {
  const RunCase& c = GetParam();
  fwtest::TempDir dir;
  ASSERT_TRUE(fwtest::FileExists(dir.path()));
  fwtest::ScopedChdir cd(dir.path());
  ASSERT_TRUE(cd.ok());
  if (c.catalogue) fwtest::WriteFile("reference.xml", kCatalogue);
  std::string log_path = dir / "Component.log";
  fwtest::WriteFile(log_path, "previous run\n");
  fwtest::ScriptedComponent component(log_path);
  component.use_base_discover = c.base_discover;
  component.discover_result = c.discover_result;
  for (const auto& actions : c.devices) component.devices_to_add.push_back(fwtest::Device(actions));
  component.flash_result = c.flash_result;

  std::vector<std::string> args = {"fwpack"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  CaptureStdout();
  ASSERT_EQ(fwtest::Parse(component, args), 1);
  int exit_code = component.Run();
  std::string console = GetCapturedStdout();

  EXPECT_EQ(exit_code, c.exit_code);
  EXPECT_EQ(component.flash_calls, c.flash_calls);
  EXPECT_EQ(fwtest::ReadFile(log_path), "previous run\n" + c.log);
  EXPECT_EQ(console, component.Silent() ? "" : c.log);
}

const std::string kFlashed = kLoaded + "Performing flash -- DO NOT INTERRUPT!\n";

INSTANTIATE_TEST_SUITE_P(
    ExitCodes, RunSequence,
    testing::Values(
        RunCase{"MissingCatalogue", {}, false, false, true, {{L"upgrade"}}, 1, 7, 0,
                kSeparator + "Loading references...FAILED!\n"},
        RunCase{"DiscoveryFails", {}, true, false, false, {}, 1, 7, 0, kLoaded},
        RunCase{"NoAdapters", {"/f"}, true, true, true, {}, 1, 7, 0,
                kLoaded + "WARNING! : No supported adapters found.\n"},
        RunCase{"ReportMode", {"/d", "out.xml", "/f"}, true, false, true, {{L"upgrade"}}, 1, 3, 0,
                kLoaded + "Generating self-discovery XML...done.\n"},
        RunCase{"ReportNotSaved", {"/d", "missing-dir/out.xml"}, true, false, true, {}, 1, 3, 0,
                kLoaded + "Generating self-discovery XML...FAILED!\ndone.\n"},
        RunCase{"NothingToUpgrade", {}, true, false, true, {{L"rewrite"}, {L"downgrade"}}, 1, 3, 0,
                kLoaded + "NOTICE : No operation was done.\n"},
        RunCase{"NoDevicesWithoutForce", {}, true, false, true, {}, 1, 3, 0,
                kLoaded + "NOTICE : No operation was done.\n"},
        RunCase{"NoDevicesWithForce", {"-g"}, true, false, true, {}, 1, 3, 0,
                kLoaded + "ERROR! : No supported hardware was found.\n"},
        RunCase{"Upgrade", {}, true, false, true, {{L"rewrite", L"upgrade"}}, 1, 1, 1,
                kFlashed + "Flash complete [1]\n"},
        RunCase{"ForcedRewrite", {"/f"}, true, false, true, {{L"rewrite"}}, 7, 7, 1,
                kFlashed + "Flash complete [7]\n"},
        RunCase{"ToolCodePassedThrough", {"/e"}, true, false, true, {{L"downgrade"}}, -1, -1, 1,
                kFlashed + "Flash complete [-1]\n"},
        RunCase{"SilentUpgrade", {"/s"}, true, false, true, {{L"upgrade"}}, 0, 0, 1,
                kFlashed + "Flash complete [0]\n"},
        RunCase{"SilentReport", {"-s", "-d", "r.xml"}, true, false, true, {}, 1, 3, 0,
                kLoaded + "Generating self-discovery XML...done.\n"}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(RunSequence, ReportModeWritesTheReportFromTheCatalogueType) {
  fwtest::TempDir dir;
  fwtest::ScopedChdir cd(dir.path());
  ASSERT_TRUE(cd.ok());
  fwtest::WriteFile("reference.xml", kCatalogue);
  fwtest::ScriptedComponent component(dir / "Component.log");
  component.use_base_discover = true;
  component.devices_to_add.push_back(fwtest::Device({L"upgrade"}));
  auto entry = std::make_unique<AdapterEntry>();
  component.Inventory().Append(std::move(entry));
  component.Log().SetConsoleOff(true);
  ASSERT_EQ(fwtest::Parse(component, {"fwpack", "/d", "report.xml"}), 1);
  EXPECT_EQ(component.Run(), 3);
  EXPECT_EQ(component.flash_calls, 0);
  std::string report = fwtest::ReadFile(dir / "report.xml");
  EXPECT_NE(report.find("<type value=\"QLogic FC HBA\"/>"), std::string::npos) << report;
  EXPECT_NE(report.find("<action value=\"upgrade\"/>"), std::string::npos) << report;
}

}  // namespace
