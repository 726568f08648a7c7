#include "components/brocade/BrocadeComponent.h"

#include <memory>

#include "components/common/ToolOutput.h"
#include "framework/FlashEngine.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "pattern/Pattern.h"

namespace BrocadeComp {

CComponent::CComponent() = default;
CComponent::CComponent(const std::string& log_path) : CBaseCmp(log_path) {}
CComponent::~CComponent() = default;

std::wstring CComponent::NormalizeVersion(const std::wstring& text) {
  std::unique_ptr<WidePattern> pattern(
      WidePattern::compile(L".*(\\d+\\.\\d+\\.\\d+\\.\\d+).*", DOT_ALL));
  if (!pattern) return text;
  std::unique_ptr<WideTextMatcher> matcher(pattern->makeMatcher(text));
  if (!matcher || !matcher->matchesWhole()) return text;
  return matcher->groupText(1);
}

void CComponent::DiscoverDevices() {
  for (size_t j = 0; j < inventory.Count(); ++j) {
    const AdapterEntry* entry = inventory.GetEntry(j);
    if (entry == nullptr) continue;
    std::wstring key = AdapterKey(j);
    int index = FindReference(key);
    if (index < 0 || static_cast<size_t>(index) >= reference.entries.size()) continue;
    const RefEntry& ref = reference.entries[index];

    DeviceRec device;
    device.device_id = key;
    device.product_id = ref.model;

    FwItem item;
    item.type = L"Boot BIOS ROM";
    item.version = ref.bios;
    item.active_version =
        NormalizeVersion(Widen(ComponentText::FieldText(entry->option_rom_version)));
    item.action = ActionWord(CompareVersions(item.version, item.active_version));
    item.duration = ref.duration;
    item.shared = L"no";

    device.fw_items.push_back(item);
    discovery.devices.push_back(device);
  }
}

int CComponent::Flash() {
  std::string command = std::string("./bcu_bootupdate boot --update ") + "bfa_boot_fw" + " -a";
  log.write("Executing flash engine: ").write(command).write("\n");
  command += FwPaths::kLogRedirections;
  RunShell("chmod 777 ./bcu_bootupdate");
  int exit_code = RunFlashEngine(log, command);
  log.write("Flash Engine exit code: ").write(exit_code).write("\n");
  return exit_code == 0 ? 1 : 7;
}

}  // namespace BrocadeComp
