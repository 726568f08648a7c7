#pragma once
// Helpers shared by the framework tests: records to feed a run, and a
// component whose discovery and flash are scripted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CBaseCmp.h"
#include "tests/common/TestFiles.h"

namespace fwtest {

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
