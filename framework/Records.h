#pragma once
// The run's records: the reference catalogue and the discovery result.
// Plain structures of wide texts, copied by value.
#include <cstdint>
#include <string>
#include <vector>

class RefCatalogObserver;

struct RefEntry {
  std::wstring type;
  std::wstring device_id;
  std::wstring model;
  std::wstring firmware;
  std::wstring bios;
  std::wstring boot;
  std::wstring duration;
  int32_t bios_present = 2;  // 0 only when a bios element carries an empty value
};

struct RefCatalog {
  std::wstring discovery_app_path;
  std::wstring installer_app_path;
  std::vector<RefEntry> entries;

  // Reads reference.xml from the working directory.
  bool LoadReferences();
  // `observer`, when given, is told what the walk meets (tools only).
  bool LoadReferences(const std::string& path, RefCatalogObserver* observer = nullptr);
};

struct FwItem {
  std::wstring type;
  std::wstring firmware_id;
  std::wstring version;
  std::wstring active_version;
  std::wstring action;
  std::wstring duration;
  std::wstring message;
  std::wstring shared;
};

struct DeviceRec {
  std::wstring device_id;
  std::wstring product_id;
  std::wstring busnumber;
  std::wstring devnumber;
  std::wstring funcnumber;
  std::vector<FwItem> fw_items;
};

struct DiscoveryInfo {
  std::wstring os_name;
  std::wstring type;
  std::wstring alt_name;
  std::wstring version;
  std::wstring takes_effect;
  std::vector<DeviceRec> devices;
};
