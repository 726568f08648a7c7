#pragma once
// Helpers shared by the framework tests: temporary directories, file access,
// and a component whose discovery and flash are scripted.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/CBaseCmp.h"

namespace fwtest {

// A fresh directory under /tmp, removed with its contents at the end.
class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/fwframework-XXXXXX";
    const char* made = mkdtemp(templ);
    path_ = made != nullptr ? made : "";
  }
  ~TempDir() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Changes the working directory for the lifetime of the object.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir) {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) != nullptr) old_ = buffer;
    ok_ = chdir(dir.c_str()) == 0;
  }
  ~ScopedChdir() {
    if (!old_.empty() && chdir(old_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << old_;
  }
  bool ok() const { return ok_; }

 private:
  std::string old_;
  bool ok_ = false;
};

inline FwItem Item(const std::wstring& action) {
  FwItem item;
  item.type = L"Multiboot Image";
  item.action = action;
  item.shared = L"no";
  return item;
}

inline DeviceRec Device(const std::vector<std::wstring>& actions) {
  DeviceRec device;
  device.device_id = L"1077.2532.1077.015c";
  device.product_id = L"QLE2562";
  for (const std::wstring& action : actions) device.fw_items.push_back(Item(action));
  return device;
}

// A component with direct access to the run state; Discover and Flash
// follow a script unless the base behaviour is asked for.
class ScriptedComponent : public CBaseCmp {
 public:
  explicit ScriptedComponent(const std::string& log_path) : CBaseCmp(log_path) {}

  bool use_base_discover = false;
  bool discover_result = true;
  std::vector<DeviceRec> devices_to_add;
  int flash_result = 1;
  int discover_calls = 0;
  int discover_devices_calls = 0;
  int flash_calls = 0;

  bool Discover() override {
    ++discover_calls;
    if (use_base_discover) return CBaseCmp::Discover();
    for (const DeviceRec& device : devices_to_add) discovery.devices.push_back(device);
    return discover_result;
  }
  void DiscoverDevices() override {
    ++discover_devices_calls;
    for (const DeviceRec& device : devices_to_add) discovery.devices.push_back(device);
  }
  int Flash() override {
    ++flash_calls;
    return flash_result;
  }

  CLogger& Log() { return log; }
  AdapterInventory& Inventory() { return inventory; }
  RefCatalog& Catalog() { return reference; }
  DiscoveryInfo& MutableDiscovery() { return discovery; }
  void SetReportPath(const std::string& path) { report_path = path; }
};

// Runs ParseCommandLine on a list of arguments (the first is the program).
inline int Parse(CBaseCmp& component, std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  return component.ParseCommandLine(static_cast<int>(args.size()), argv.data());
}

}  // namespace fwtest
