// Device records of the vendor discoveries: the catalogue entry of an
// adapter key, and the DeviceRec and FwItems built from it.
#include "framework/CBaseCmp.h"

const RefEntry* CBaseCmp::CatalogueEntry(const std::wstring& key) {
  const int index = FindReference(key);
  // An override could answer anything; only an index of the catalogue counts.
  if (index < 0 || static_cast<size_t>(index) >= reference.entries.size()) return nullptr;
  return &reference.entries[static_cast<size_t>(index)];
}

DeviceRec& CBaseCmp::AddDevice(const std::wstring& device_id, const RefEntry& ref) {
  DeviceRec device;
  device.device_id = device_id;
  device.product_id = ref.model;
  discovery.devices.push_back(device);
  return discovery.devices.back();
}

FwItem& CBaseCmp::AddFwItem(DeviceRec& device, const wchar_t* type, const std::wstring& version,
                            const std::wstring& active_version, int order, const RefEntry& ref) {
  FwItem item;
  item.type = type;
  item.version = version;
  item.active_version = active_version;
  item.action = ActionWord(order);
  item.duration = ref.duration;
  item.shared = L"no";
  device.fw_items.push_back(item);
  return device.fw_items.back();
}
