// CBaseCmp construction, the base virtual operations and the small
// queries over the run state: action summary, adapter key, upper-casing.
#include "framework/CBaseCmp.h"

#include <strings.h>

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "framework/ResultCodes.h"
#include "framework/Text.h"
#include "hba/FieldText.h"

CBaseCmp::CBaseCmp() = default;

CBaseCmp::CBaseCmp(const std::string& log_path) : log(log_path) {}

CBaseCmp::~CBaseCmp() = default;

bool CBaseCmp::Discover() {
  inventory.Scan();
  if (inventory.Count() == 0) {
    log.write("WARNING! : No supported adapters found.\n");
    return false;
  }
  discovery.type = reference.entries.empty() ? std::wstring() : reference.entries.front().type;
  discovery.alt_name.clear();
  discovery.version.clear();
  discovery.takes_effect.clear();
  DiscoverDevices();
  return true;
}

std::wstring CBaseCmp::NormalizeVersion(const std::wstring& text) { return text; }

void CBaseCmp::DiscoverDevices() {}

int CBaseCmp::PrepareKit() { return 0; }

int CBaseCmp::Flash() { return 0; }

int CBaseCmp::FindReference(const std::wstring& key) {
  for (size_t i = 0; i < reference.entries.size(); ++i) {
    if (wcscasecmp(reference.entries[i].device_id.c_str(), key.c_str()) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

int CBaseCmp::ActionSummary() const {
  bool upgrade = false, downgrade = false, rewrite = false;
  for (const DeviceRec& device : discovery.devices) {
    for (const FwItem& item : device.fw_items) {
      if (item.action == L"upgrade") upgrade = true;
      else if (item.action == L"downgrade") downgrade = true;
      else if (item.action == L"rewrite") rewrite = true;
    }
  }
  if (upgrade) return kUpgradeDue;
  if (downgrade) return kDowngradeDue;
  if (rewrite) return kRewriteOnly;
  return kNoAction;
}

bool CBaseCmp::HasDevices() const { return !discovery.devices.empty(); }

std::wstring CBaseCmp::AdapterKey(size_t index) const {
  const AdapterEntry* entry = inventory.GetEntry(index);
  if (entry == nullptr) return std::wstring();
  std::string pci = FieldText(entry->pci_id);
  std::string subsystem = FieldText(entry->subsystem_id);
  std::string key;
  if (strcasecmp(pci.c_str(), "N/A") != 0) key += pci;
  if (strcasecmp(subsystem.c_str(), "N/A") != 0) key += subsystem;
  for (size_t pos = 4; pos < key.size(); pos += 5) key.insert(pos, 1, '.');
  return WidenBytes(key);
}

std::wstring CBaseCmp::ToUpper(const std::wstring& text) const {
  std::wstring upper(text);
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return upper;
}
