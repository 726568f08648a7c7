// The simulated host builder (sim/host/HostBuilder.h) over any scenario
// text: the input is read as the scenario file and its host built in a
// fresh directory under a scratch directory, from stand-ins for the
// simulator's files and for zip. The build runs under FileGuard.h: a file
// made, changed or removed outside the host's directory, or a process
// started, is refused and is a finding. A host that was built must hold what
// the scenario says (the host state without its runs, hba.conf, the release
// files, reference.xml, the package files, the seeded log, and the package
// tools where they are to be installed); a scenario that cannot be built
// says why.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fuzz/FileGuard.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"
#include "sim/common/SimState.h"
#include "sim/common/TempDir.h"
#include "sim/host/HostBuilder.h"

using nlohmann::json;

namespace {

// Stand-ins for the simulator's built files: the builder only copies them.
const char* const kSimFiles[] = {"fwsim-tool",
                                 "libfakehba.so",
                                 "libfakehba-no-HBA_RegisterLibrary.so",
                                 "libfakehba-no-extension.so",
                                 "libfakehba-no-QMXFC_LoadLibrary.so",
                                 "libfakehba-no-QMXFC_GetNumberOfAdapters.so",
                                 "libfakehba-no-QMXFC_GetAdapterName.so",
                                 "libfakehba-no-QMXFC_OpenAdapter.so",
                                 "libfakehba-no-QMXFC_GetAdapterAttributes2.so",
                                 "libfakehba-no-QMXFC_CloseAdapter.so",
                                 "libfakehba-no-QMXFC_FreeLibrary.so"};

std::string StandInText(const std::string& file) { return "stand-in for " + file + "\n"; }

const std::string& SimDir() {
  static const std::string dir = [] {
    const std::string sim = ScratchDir() + "/sim";
    FUZZ_CHECK(mkdir(sim.c_str(), 0700) == 0);
    for (const char* file : kSimFiles) {
      const std::string text = StandInText(file);
      FUZZ_CHECK(WriteWhole(sim + "/" + file, text.data(), text.size()));
    }
    return sim;
  }();
  return dir;
}

// zip as the kit packing calls it: the archive it would have made, inside
// the host.
int StandInZip(const std::string& dir, const std::vector<std::string>& argv) {
  FUZZ_CHECK(FileGuard::Inside(dir + "/x"));
  FUZZ_CHECK(argv.size() == 5 && argv[0] == "zip" && argv[1] == "-q" && argv[2] == "-r");
  FUZZ_CHECK(argv[3].size() > 4 && argv[3].compare(argv[3].size() - 4, 4, ".zip") == 0);
  const std::string text = "stand-in archive of " + argv[4] + "\n";
  return WriteWhole(argv[3], text.data(), text.size()) ? 0 : 1;
}

// The file at `path` holds the text that `holder` gives for `key`, if any.
void CheckText(const json& holder, const std::string& key, const std::string& path) {
  std::string expected, actual;
  if (!holder.is_object() || !holder.contains(key) || !SimState::TextOf(holder[key], expected)) return;
  FUZZ_CHECK(SimState::ReadTextFile(path, actual));
  FUZZ_CHECK(actual == expected);
}

void CheckTool(const json& tools, const char* name, const std::string& pkg) {
  if (!tools.contains(name)) return;
  const std::string install = SimState::GetString(tools[name], "install", "binary");
  struct stat st;
  const bool present = stat((pkg + "/" + name).c_str(), &st) == 0;
  if (install == "missing") FUZZ_CHECK(!present);
  if (install == "binary" || install == "not_executable") {
    std::string text;
    FUZZ_CHECK(present && S_ISREG(st.st_mode) && SimState::ReadTextFile(pkg + "/" + name, text));
    FUZZ_CHECK(text == StandInText("fwsim-tool"));
    FUZZ_CHECK(((st.st_mode & 0111) != 0) == (install == "binary"));
  }
  if (install == "directory") FUZZ_CHECK(present && S_ISDIR(st.st_mode));
}

void CheckBuilt(const json& scenario, const std::string& root) {
  json state;
  std::string error;
  FUZZ_CHECK(SimState::ReadJsonFile(root + "/upper/etc/fwpack-sim/host.json", state, error));
  json expected = scenario;
  expected.erase("runs");
  FUZZ_CHECK(state == expected);

  CheckText(scenario, "hba_conf", root + "/upper/etc/hba.conf");
  CheckText(scenario, "reference_xml", root + "/pkg/reference.xml");
  CheckText(scenario, "log_seed", root + "/qmx/Component.log");
  const json& releases = SimState::GetObject(scenario, "release_files");
  for (auto it = releases.begin(); it != releases.end(); ++it) {
    FUZZ_CHECK(it.key().compare(0, 5, "/etc/") == 0);
    CheckText(releases, it.key(), root + "/upper/etc/" + it.key().substr(5));
  }
  const json& files = SimState::GetObject(scenario, "package_files");
  for (auto it = files.begin(); it != files.end(); ++it) CheckText(files, it.key(), root + "/pkg/" + it.key());
  const json& tools = SimState::GetObject(scenario, "tools");
  CheckTool(tools, "zvqlafwupdate", root + "/pkg");
  CheckTool(tools, "bcu_bootupdate", root + "/pkg");
}

// The guard must be armed: a file made next to the host is refused and not
// made, one inside is made.
void CheckGuardArmed() {
  TempDir host("armed", ScratchDir());
  FUZZ_CHECK(host.ok());
  const std::string outside = ScratchDir() + "/outside-the-host";
  FileGuard::Begin(host.path());
  FILE* out = std::fopen(outside.c_str(), "w");
  const int made_dir = mkdir((outside + "-dir").c_str(), 0700);
  const bool inside = WriteWhole(host.path() + "/inside", "x", 1);
  const std::string refused = FileGuard::End();
  struct stat st;
  FUZZ_CHECK(out == nullptr && made_dir != 0 && inside && !refused.empty());
  FUZZ_CHECK(stat(outside.c_str(), &st) != 0 && stat((outside + "-dir").c_str(), &st) != 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  FileGuard::AllowFindingsFrom(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string scenario_file = ScratchDir() + "/scenario.json";
  static const bool armed = (CheckGuardArmed(), true);
  (void)armed;
  const std::string& sim = SimDir();
  FUZZ_CHECK(WriteWhole(scenario_file, data, size));

  TempDir host("host", ScratchDir());
  FUZZ_CHECK(host.ok());
  std::string error;
  FileGuard::Begin(host.path());
  const bool built = HostBuilder::BuildFromFile(scenario_file, host.path(), sim, error, StandInZip);
  const std::string refused = FileGuard::End();
  if (!refused.empty()) {
    __sanitizer_report_error_summary(("scenario_host: refused " + refused).c_str());
    FUZZ_CHECK(refused.empty());
  }
  if (!built) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  FUZZ_CHECK(error.empty());
  const json scenario = json::parse(std::string(reinterpret_cast<const char*>(data), size), nullptr, false);
  FUZZ_CHECK(scenario.is_object());
  CheckBuilt(scenario, host.path());
  return 0;
}
