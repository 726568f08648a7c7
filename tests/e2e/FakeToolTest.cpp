// The fake flash tools' contract: their query lines are what the components'
// patterns read, update mode records, writes and stores as scenarios say.
// Run outside the sandbox with the host state given by FWSIM_STATE.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "pattern/Pattern.h"
#include "tests/common/TestFiles.h"

using nlohmann::json;

namespace {

struct Result {
  std::string out;
  int code = -1;
};

using fwtest::ReadFile;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Group texts of a whole-line match, as the components read them; empty
// when the line does not match.
std::vector<std::string> Groups(const char* pattern, unsigned long flags, const std::string& line) {
  std::unique_ptr<Pattern> p(Pattern::compile(pattern, flags));
  if (!p) return {};
  std::unique_ptr<TextMatcher> m(p->makeMatcher(line));
  if (!m || !m->matchesWhole()) return {};
  return m->groupTexts(false);
}

class FakeToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    dir_ = scratch_.path();
    ASSERT_TRUE(std::filesystem::create_directory(dir_ + "/records"));
    setenv("FWSIM_STATE", (dir_ + "/host.json").c_str(), 1);
    for (const char* name : {"zvqlafwupdate", "bcu_bootupdate", "elxflash-sim"}) {
      ASSERT_TRUE(std::filesystem::copy_file(FWSIM_TOOL, dir_ + "/" + name));
      std::filesystem::permissions(dir_ + "/" + name, std::filesystem::perms(0755));
    }
  }
  void TearDown() override { unsetenv("FWSIM_STATE"); }
  void State(const json& state) { std::ofstream(dir_ + "/host.json") << state.dump(); }
  json ReadState() { return json::parse(ReadFile(dir_ + "/host.json"), nullptr, false); }
  Result Run(const std::string& command) {
    Result r;
    FILE* pipe = popen(("cd '" + dir_ + "' && " + command).c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
  // Under /tmp whatever TMPDIR says: Run hands the path to the shell quoted.
  fwtest::TempDir scratch_{"fwsim-tool-test.", "/tmp"};
  std::string dir_;
};

json QLogicAdapter(const std::string& wwn, int instance, const std::string& flash) {
  return {{"ports", json::array({{{"wwn", wwn}}})}, {"qlogic", {{"instance", instance}, {"flash_image", flash}}}};
}

TEST_F(FakeToolTest, QLogicQueryFeedsTheComponentPatterns) {
  json lower = QLogicAdapter("21:00:00:1B:32:0A:0B:0C", 3, "2.32");
  lower["qlogic"]["lower_case_port_name"] = true;
  State({{"adapters", {QLogicAdapter("21:00:00:1B:32:0A:0B:01", 0, "2.10"), lower, {{"name", "not seen by the tool"}}}},
         {"tools", {{"zvqlafwupdate", {{"query_prefix_lines", {"banner"}}, {"query_extra_lines", {"done"}}}}}}});
  const Result r = Run(QLogicComp::kQueryCommand);
  EXPECT_EQ(r.code, 0);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 12u);  // banner, five per instance, trailer
  int instance = -1;
  std::map<int, std::pair<std::string, std::string>> seen;
  for (const std::string& line : lines) {
    std::vector<std::string> g = Groups(QLogicComp::kInstanceLinePattern, QLogicComp::kQueryLineFlags, line);
    if (!g.empty()) instance = std::atoi(g[0].c_str());
    g = Groups(QLogicComp::kFlashImageLinePattern, QLogicComp::kQueryLineFlags, line);
    if (!g.empty()) seen[instance].first = g[0];
    g = Groups(QLogicComp::kPortNameLinePattern, QLogicComp::kQueryLineFlags, line);
    if (!g.empty()) seen[instance].second = g[0];
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(std::string("2.10"), std::string("21-00-00-1B-32-0A-0B-01")));
  EXPECT_EQ(seen[3], std::make_pair(std::string("2.32"), std::string("21-00-00-1b-32-0a-0b-0c")));
  EXPECT_EQ(ReadFile(dir_ + "/records/zvqlafwupdate.txt"), "/q\n");
}

TEST_F(FakeToolTest, QLogicUpdateWritesEveryDescriptorAndStoresVersionsOnSuccessOnly) {
  json flashed = QLogicAdapter("21:00:00:1B:32:0A:0B:01", 0, "2.10");
  flashed["qlogic"]["flash_image_after"] = "2.40";
  State({{"adapters", {flashed, QLogicAdapter("21:00:00:1B:32:0A:0B:02", 1, "2.10")}},
         {"tools", {{"zvqlafwupdate", {{"exit_code", 12}, {"flash_version", "2.32"}}}}}});
  Result r = Run("./zvqlafwupdate /s 2>err.txt 3>fd3.txt");
  EXPECT_EQ(r.code, 12);
  EXPECT_EQ(r.out, "zvqlafwupdate: updating 2 adapter(s)\n");
  EXPECT_EQ(ReadFile(dir_ + "/err.txt"), "zvqlafwupdate: report on standard error\n");
  EXPECT_EQ(ReadFile(dir_ + "/fd3.txt"), "zvqlafwupdate: report on descriptor 3\n");
  EXPECT_EQ(ReadState()["adapters"][0]["qlogic"]["flash_image"], "2.10");

  json state = ReadState();
  state["tools"]["zvqlafwupdate"]["exit_code"] = 0;
  State(state);
  r = Run("./zvqlafwupdate /s /f 2>/dev/null 3>&-");  // descriptor 3 closed: not written
  EXPECT_EQ(r.code, 0);
  state = ReadState();
  EXPECT_EQ(state["adapters"][0]["qlogic"]["flash_image"], "2.40");
  EXPECT_EQ(state["adapters"][1]["qlogic"]["flash_image"], "2.32");
  EXPECT_EQ(ReadFile(dir_ + "/records/zvqlafwupdate.txt"), "/s\n/s /f\n");

  state["tools"]["zvqlafwupdate"]["signal"] = 9;
  State(state);
  r = Run("./zvqlafwupdate 2>/dev/null; echo $?");
  EXPECT_EQ(Lines(r.out).back(), "137");
}

TEST_F(FakeToolTest, EmulexQueryLineFeedsTheComponentPattern) {
  json adapter = {{"emulex", {{"model", "LPe12002-M8"}, {"pci_id", "F100"}, {"vid", "10DF"}, {"ssid", "F1"},
                              {"svid", "10df"}, {"firmware", "US2.01A10"}, {"boot_code", "UB5.12a5"}}}};
  State({{"adapters", {adapter}}, {"tools", {{"elxflash", {{"query_extra_lines", {"HBA=x, PCI ID=0710"}}}}}}});
  const Result r = Run("./elxflash-sim /q /sysfs");
  EXPECT_EQ(r.code, 0);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u);
  const char* pattern = EmulexComp::kQueryLinePattern;
  const unsigned long flags = EmulexComp::kQueryLineFlags;
  EXPECT_EQ(Groups(pattern, flags, lines[0]), (std::vector<std::string>{"LPe12002-M8", "F100", "10DF", "F1", "10df",
                                                                        "US2.01A10", "UB5.12a5"}));
  EXPECT_TRUE(Groups(pattern, flags, lines[1]).empty());
}

TEST_F(FakeToolTest, BrocadeNeedsItsImageAndUpdatesTheOptionRom) {
  State({{"adapters", {{{"attributes", {{"option_rom_version", "v3.0.3.0"}}}, {"brocade", json::object()}}}},
         {"tools", {{"bcu_bootupdate", {{"option_rom_version", "v3.2.1.0"}}}}}});
  Result r = Run("./bcu_bootupdate boot --update bfa_boot_fw -a 2>/dev/null");
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(ReadState()["adapters"][0]["attributes"]["option_rom_version"], "v3.0.3.0");
  std::ofstream(dir_ + "/bfa_boot_fw") << "image\n";
  r = Run("./bcu_bootupdate boot --update bfa_boot_fw -a 2>/dev/null");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(ReadState()["adapters"][0]["attributes"]["option_rom_version"], "v3.2.1.0");
  EXPECT_EQ(ReadFile(dir_ + "/records/bcu_bootupdate.txt"),
            "boot --update bfa_boot_fw -a\nboot --update bfa_boot_fw -a\n");
}

}  // namespace
