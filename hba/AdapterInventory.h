#pragma once
// The host's FC adapters as fixed-size text records, in registry row order.
#include <cstddef>
#include <memory>
#include <vector>

struct AdapterEntry {
  char node_wwn[256] = {};
  char port_wwn[256] = {};
  char pci_id[256] = {};
  char subsystem_id[256] = {};
  char driver_version[512] = {};
  char firmware_version[256] = {};
  char option_rom_version[256] = {};
  char model_name[256] = {};
};

class AdapterInventory {
 public:
  AdapterInventory() = default;
  ~AdapterInventory() = default;
  AdapterInventory(const AdapterInventory&) = delete;
  AdapterInventory& operator=(const AdapterInventory&) = delete;

  // Appends one entry per adapter the vendor libraries report; always 1.
  int Scan();
  // The same with the library configuration file and the sysfs root given.
  int Scan(const char* configuration_path, const char* sys_root);

  size_t Count() const { return entries_.size(); }
  // nullptr when index is not below Count().
  const AdapterEntry* GetEntry(size_t index) const {
    return index < entries_.size() ? entries_[index].get() : nullptr;
  }
  void Append(std::unique_ptr<AdapterEntry> entry) { entries_.push_back(std::move(entry)); }

 private:
  std::vector<std::unique_ptr<AdapterEntry>> entries_;
};
