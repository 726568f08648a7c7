// QLogic discovery on the input as the flash tool's query output, with a
// small fixed inventory and catalogue: adapters that pair by port WWN, one
// without ports, one the catalogue only knows by substring, one it does not
// know at all.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "components/qlogic/QLogicComponent.h"
#include "fuzz/FakeShell.h"
#include "fuzz/FuzzCheck.h"

namespace {

struct Adapter {
  const char* port_wwn;
  const char* pci_id;
  const char* subsystem_id;
};

const Adapter kAdapters[] = {
    {"21:00:00:1B:32:0A:0B:01", "10772532", "1077015d"},
    {"21:00:00:1B:32:0A:0C:02", "10772532", "1077015c"},
    {"", "10772532", "1077015d"},
    {"21:00:00:1B:32:0A:0D:03", "10772432", "10770138"},
    {"21:00:00:1B:32:0A:0E:04", "N/A", "1077015d"},
};

class Harness : public QLogicComp::CComponent {
 public:
  Harness() : QLogicComp::CComponent("/dev/null") {
    log.SetConsoleOff(true);
    for (const Adapter& a : kAdapters) {
      auto entry = std::make_unique<AdapterEntry>();
      std::strncpy(entry->port_wwn, a.port_wwn, sizeof entry->port_wwn - 1);
      std::strncpy(entry->pci_id, a.pci_id, sizeof entry->pci_id - 1);
      std::strncpy(entry->subsystem_id, a.subsystem_id, sizeof entry->subsystem_id - 1);
      inventory.Append(std::move(entry));
    }
    reference.entries.push_back(Entry(L"1077.2532.1077.015D", L"2.32"));
    reference.entries.push_back(Entry(L"1077.2532.1077.015c", L"2.10a"));
    reference.entries.push_back(Entry(L"X1077.2432.1077.0138X", L""));
  }

  static RefEntry Entry(const wchar_t* device_id, const wchar_t* boot) {
    RefEntry e;
    e.type = L"Multiboot Image";
    e.device_id = device_id;
    e.model = L"QLE";
    e.boot = boot;
    e.duration = L"120";
    return e;
  }

  size_t InventoryCount() const { return inventory.Count(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzShell::SetQueryOutput(std::string(reinterpret_cast<const char*>(data), size));
  Harness component;
  component.DiscoverDevices();
  FUZZ_CHECK(FuzzShell::CommandCount() >= 1);

  const DiscoveryInfo& discovery = component.Discovery();
  FUZZ_CHECK(discovery.devices.size() <= component.InventoryCount());
  for (const DeviceRec& device : discovery.devices) {
    FUZZ_CHECK(device.fw_items.size() == 1);
    const FwItem& item = device.fw_items[0];
    FUZZ_CHECK(item.action == L"upgrade" || item.action == L"downgrade" || item.action == L"rewrite");
    FUZZ_CHECK(item.active_version.size() <= size);
    FUZZ_CHECK(item.shared == L"no");
  }
  return 0;
}
