// Emulex discovery on the input as the kit script's query output, with a
// catalogue whose keys the seeds use (with and without a BIOS version).
#include <cstddef>
#include <cstdint>
#include <string>

#include "components/emulex/EmulexComponent.h"
#include "fuzz/FakeShell.h"
#include "fuzz/FuzzCheck.h"

namespace {

class Harness : public EmulexComp::CComponent {
 public:
  Harness() : EmulexComp::CComponent("/dev/null") {
    log.SetConsoleOff(true);
    reference.entries.push_back(Entry(L"10df.f100.10df.f100", L"2.02a1", L"5.03a0"));
    reference.entries.push_back(Entry(L"10DF.E200.10DF.E202", L"10.2.370.16", L""));
    reference.entries.back().bios_present = 0;
    reference.entries.push_back(Entry(L"19a2.0700.10df.e622", L"4.1.455.0", L"4.1.455.0"));
    reference.entries.push_back(Entry(L"0001.0002.0003.0004", L"1", L"7"));
  }

  static RefEntry Entry(const wchar_t* device_id, const wchar_t* firmware, const wchar_t* bios) {
    RefEntry e;
    e.type = L"Firmware";
    e.device_id = device_id;
    e.model = L"LPe";
    e.firmware = firmware;
    e.bios = bios;
    e.duration = L"300";
    return e;
  }
};

bool IsAction(const std::wstring& word) {
  return word == L"upgrade" || word == L"downgrade" || word == L"rewrite";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzShell::SetQueryOutput(std::string(reinterpret_cast<const char*>(data), size));
  Harness component;
  FUZZ_CHECK(component.Discover());

  size_t lines = 1;
  for (size_t i = 0; i < size; ++i)
    if (data[i] == '\n') ++lines;
  const DiscoveryInfo& discovery = component.Discovery();
  FUZZ_CHECK(discovery.devices.size() <= lines);
  for (const DeviceRec& device : discovery.devices) {
    FUZZ_CHECK(device.fw_items.size() == 1 || device.fw_items.size() == 2);
    FUZZ_CHECK(device.device_id.size() >= 19);
    for (const FwItem& item : device.fw_items) FUZZ_CHECK(IsAction(item.action));
    FUZZ_CHECK(device.fw_items[0].type == L"Firmware" && device.fw_items[0].shared == L"no");
  }
  return 0;
}
