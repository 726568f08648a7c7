// fwinvdump: runs the adapter inventory scan on this host and prints every
// field of every entry, so sandbox scenarios can check the inventory alone.
#include <cstdio>

#include "hba/AdapterInventory.h"

int main() {
  AdapterInventory inventory;
  inventory.Scan();
  std::printf("entries %zu\n", inventory.Count());
  for (size_t i = 0; i < inventory.Count(); ++i) {
    const AdapterEntry* e = inventory.GetEntry(i);
    if (e == nullptr) return 1;
    // The fields are NUL-terminated by the inventory; the precision keeps
    // the print inside the field even if one were not.
    std::printf("entry %zu\n", i);
    std::printf("node_wwn %.*s\n", static_cast<int>(sizeof(e->node_wwn)), e->node_wwn);
    std::printf("port_wwn %.*s\n", static_cast<int>(sizeof(e->port_wwn)), e->port_wwn);
    std::printf("pci_id %.*s\n", static_cast<int>(sizeof(e->pci_id)), e->pci_id);
    std::printf("subsystem_id %.*s\n", static_cast<int>(sizeof(e->subsystem_id)), e->subsystem_id);
    std::printf("driver_version %.*s\n", static_cast<int>(sizeof(e->driver_version)), e->driver_version);
    std::printf("firmware_version %.*s\n", static_cast<int>(sizeof(e->firmware_version)), e->firmware_version);
    std::printf("option_rom_version %.*s\n", static_cast<int>(sizeof(e->option_rom_version)), e->option_rom_version);
    std::printf("model_name %.*s\n", static_cast<int>(sizeof(e->model_name)), e->model_name);
  }
  return 0;
}
