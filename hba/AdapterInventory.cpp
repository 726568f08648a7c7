// The inventory scan: one fixed-size text record per adapter of the
// registry, with its PCI identity from sysfs.
#include "hba/AdapterInventory.h"

#include <cstdio>
#include <string>

#include "framework/Paths.h"
#include "hba/FcHbaMRA.h"
#include "hba/PciIdentity.h"

namespace {

// Truncates to the field and always terminates.
template <size_t N>
void SetField(char (&field)[N], const std::string& text) {
  std::snprintf(field, N, "%s", text.c_str());
}

}  // namespace

int AdapterInventory::Scan() { return Scan(FwPaths::kHbaConf, FwPaths::kSysRoot); }

int AdapterInventory::Scan(const char* configuration_path, const char* sys_root) {
  // Every adapter stays alive until all are collected: destroying one
  // releases the libraries the later ones are read through.
  std::vector<std::unique_ptr<FcHbaAdapter>> adapters;
  {
    FcHbaMRA mra(configuration_path);
    HBA_STATUS status = HBA_STATUS_OK;
    std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
    while (adapter) {
      if (status != HBA_STATUS_OK) {
        std::fputs("MRA get returned failed status!\n", stdout);
        std::fflush(stdout);
      }
      adapters.push_back(std::move(adapter));
      adapter = mra.GetNextAdapter(adapters.back().get(), status);
    }
  }

  for (const std::unique_ptr<FcHbaAdapter>& adapter : adapters) {
    std::unique_ptr<AdapterEntry> entry(new AdapterEntry());
    SetField(entry->node_wwn, adapter->GetNodeWwnText());
    // An adapter without ports has no port WWN to give.
    if (!adapter->GetPorts().empty()) SetField(entry->port_wwn, adapter->GetPorts().front().GetPortWwnText());
    SetField(entry->driver_version, adapter->GetDriverVersion());
    SetField(entry->option_rom_version, adapter->GetOptionRomVersion());
    SetField(entry->firmware_version, adapter->GetFirmwareVersion());
    SetField(entry->model_name, adapter->GetModelName());
    const uint16_t low = static_cast<uint16_t>(adapter->GetPciSubsystem() & 0xFFFFu);
    const uint16_t high = static_cast<uint16_t>(adapter->GetPciSubsystem() >> 16);
    SetField(entry->pci_id, LookupPciIdentity(adapter->GetPciDomain(), adapter->GetPciBus(),
                                              adapter->GetPciFunction(), low, high, sys_root));
    char subsystem[16];
    std::snprintf(subsystem, sizeof subsystem, "%.4x%.4x", low, high);
    SetField(entry->subsystem_id, subsystem);
    Append(std::move(entry));
  }
  return 1;
}
