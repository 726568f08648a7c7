// The simulated host builder (sim/host/HostBuilder.h) on scenarios that
// contradict themselves: a file of the scenario never lands on the
// simulator's own files, and two entries that would give one file two
// contents are refused instead of the later one silently winning.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/common/SimState.h"
#include "sim/host/HostBuilder.h"
#include "tests/common/TestFiles.h"

using nlohmann::json;

namespace {

struct Refused {
  const char* name;
  const char* scenario;
  const char* error;
  const char* kept_file;  // host file that keeps the first content
  const char* kept_text;
};

class HostBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(root_.ok()); }
  bool Build(const std::string& scenario, std::string& error) {
    return HostBuilder::Build(json::parse(scenario), root_.path(), FWSIM_DIR, error);
  }
  std::string File(const std::string& relative) const { return fwtest::ReadFile(root_ / relative); }
  fwtest::TempDir root_{"hostbuild"};
};

TEST_F(HostBuilderTest, RefusesScenarioFilesOnTheSimulatorsOwn) {
  std::string error;
  EXPECT_FALSE(Build(R"({"release_files": {"/etc/fwpack-sim/host.json": "x"}})", error));
  EXPECT_EQ(error, "release file /etc/fwpack-sim/host.json lies in the simulator's own /etc/fwpack-sim");
  // The host state is still the scenario's.
  json state;
  std::string read_error;
  ASSERT_TRUE(SimState::ReadJsonFile(root_ / "upper/etc/fwpack-sim/host.json", state, read_error)) << read_error;
  EXPECT_TRUE(state.contains("release_files"));

  fwtest::TempDir other("hostbuild");
  EXPECT_FALSE(HostBuilder::Build(json::parse(R"({"libraries": {"/etc/fwpack-sim/records/x.so": {}}})"),
                                  other.path(), FWSIM_DIR, error));
  EXPECT_EQ(error, "library path /etc/fwpack-sim/records/x.so lies in the simulator's own /etc/fwpack-sim");
}

TEST(HostBuilderContradictionTest, RefusesTwoContentsForOneFile) {
  const std::vector<Refused> cases = {
      {"release file over hba.conf", R"({"hba_conf": "a\n", "release_files": {"/etc/hba.conf": "b\n"}})",
       "the scenario gives /etc/hba.conf two different contents", "upper/etc/hba.conf", "a\n"},
      {"package file over reference.xml", R"({"reference_xml": "<a/>", "package_files": {"reference.xml": "<b/>"}})",
       "the scenario gives package file reference.xml two different contents", "pkg/reference.xml", "<a/>"},
      {"library over a release file",
       R"({"release_files": {"/etc/redhat-release": "Red Hat\n"}, "libraries": {"/etc/redhat-release": {}}})",
       "the scenario gives /etc/redhat-release two different contents", "upper/etc/redhat-release", "Red Hat\n"},
      {"package file over the boot image",
       R"({"package_files": {"bfa_boot_fw": "mine\n"}, "tools": {"bcu_bootupdate": {}}})",
       "the scenario gives package file bfa_boot_fw two different contents", "pkg/bfa_boot_fw", "mine\n"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    fwtest::TempDir root("hostbuild");
    ASSERT_TRUE(root.ok());
    std::string error;
    EXPECT_FALSE(HostBuilder::Build(json::parse(c.scenario), root.path(), FWSIM_DIR, error));
    EXPECT_EQ(error, c.error);
    const std::string kept = fwtest::ReadFile(root / c.kept_file);
    EXPECT_TRUE(kept == c.kept_text) << c.kept_file << " holds " << kept.size() << " other bytes";
  }
}

TEST_F(HostBuilderTest, OneLibraryUnderBothNamesOfMergedUsr) {
  std::string error;
  // The same file twice is no contradiction; two variants are.
  EXPECT_TRUE(Build(R"({"libraries": {"/lib/libqlsdm.so": {}, "/usr/lib/libqlsdm.so": {"variant": "full"}}})", error))
      << error;
  EXPECT_TRUE(File("upper/usrlib/libqlsdm.so") == fwtest::ReadFile(std::string(FWSIM_DIR) + "/libfakehba.so"));

  fwtest::TempDir other("hostbuild");
  EXPECT_FALSE(HostBuilder::Build(
      json::parse(R"({"libraries": {"/lib/libqlsdm.so": {}, "/usr/lib/libqlsdm.so": {"variant": "no_register"}}})"),
      other.path(), FWSIM_DIR, error));
  EXPECT_EQ(error, "the scenario gives /usr/lib/libqlsdm.so two different contents");
}

}  // namespace
