#pragma once
// The simulated vendor library outside the sandbox: copies of the built
// library under names of the test's choosing in a scratch directory, the
// host state they read (named by FWSIM_STATE) and the calls they recorded.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/common/SimState.h"
#include "sim/common/TempDir.h"

#ifndef FWSIM_DIR
#error "FWSIM_DIR must name the build directory of the simulator (build/sim)"
#endif

namespace fwtest {

class FakeHbaHost {
 public:
  // Under /tmp with letters and digits only: the hba.conf path filter keeps
  // such paths intact.
  FakeHbaHost() : dir_("fwhba", "/tmp") {
    if (!dir_.ok()) return;
    std::error_code error;
    canonical_ = std::filesystem::canonical(dir_.path(), error).string();
    if (error || !std::filesystem::create_directory(dir_ / "records", error)) return;
    state_ = {{"adapters", nlohmann::json::array()}, {"libraries", nlohmann::json::object()}};
    setenv("FWSIM_STATE", (dir_ / "host.json").c_str(), 1);
    ready_ = Save();
  }
  ~FakeHbaHost() { unsetenv("FWSIM_STATE"); }
  FakeHbaHost(const FakeHbaHost&) = delete;
  FakeHbaHost& operator=(const FakeHbaHost&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Dir() const { return dir_.path(); }
  std::string Path(const std::string& name) const { return dir_ / name; }

  // Installs a copy of the built library as NAME and returns its path.
  // VARIANT as a scenario's "variant" knob names it ("" the full library,
  // "no_extension", "no_QMXFC_OpenAdapter" ...). Each copy is a file of its
  // own: the loader would hand out one object for two links to one file.
  std::string Install(const std::string& name, const std::string& variant = "") {
    const std::string file = SimState::LibraryVariantFile(variant);
    if (file.empty()) ADD_FAILURE() << "no library variant " << variant;
    const std::string built = std::string(FWSIM_DIR) + "/" + file;
    const std::string path = Path(name);
    // A new file, never written over one a loaded copy may still map.
    std::error_code error;
    std::filesystem::remove(path, error);
    std::filesystem::copy_file(built, path, error);
    if (error) ADD_FAILURE() << "cannot install " << built << " as " << path << ": " << error.message();
    return path;
  }

  // The host state the copies read when a library is registered or loaded;
  // Save() after changing it.
  nlohmann::json& State() { return state_; }
  bool Save() const {
    std::ofstream out(dir_ / "host.json", std::ios::binary | std::ios::trunc);
    out << state_.dump();
    out.close();
    return !out.fail();
  }

  // Recorded calls, one line each, with this directory left out of the
  // library path: "a.so HBA_OpenAdapter qlogic-a-0".
  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    std::ifstream in(dir_ / "records/libraries.txt");
    const std::string prefix = canonical_ + "/";
    for (std::string line; std::getline(in, line);)
      lines.push_back(line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : line);
    return lines;
  }
  void ClearCalls() const {
    std::error_code ignored;
    std::filesystem::remove(dir_ / "records/libraries.txt", ignored);
  }

 private:
  TempDir dir_;
  std::string canonical_;
  nlohmann::json state_;
  bool ready_ = false;
};

}  // namespace fwtest
