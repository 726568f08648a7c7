// Brocade discovery (the running boot code from the inventory's option ROM
// versions), the option ROM version reader and the flash run.
#include "components/brocade/BrocadeComponent.h"

#include <memory>

#include "components/brocade/BrocadePatterns.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "hba/FieldText.h"

namespace BrocadeComp {

std::wstring CComponent::NormalizeVersion(const std::wstring& text) {
  std::unique_ptr<WidePattern> pattern(WidePattern::compile(kOptionRomVersionPattern, kOptionRomFlags));
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
    const RefEntry* ref = CatalogueEntry(key);
    if (ref == nullptr) continue;

    std::wstring active_version = NormalizeVersion(Widen(FieldText(entry->option_rom_version)));
    DeviceRec& device = AddDevice(key, *ref);
    AddFwItem(device, L"Boot BIOS ROM", ref->bios, active_version, CompareVersions(ref->bios, active_version),
              *ref);
  }
}

int CComponent::Flash() {
  FlashCommand command;
  command.shown = std::string(kUpdateCommand) + kBootImage + kAllAdapters;
  command.redirections = FwPaths::kLogRedirections;
  command.make_executable = kMakeToolExecutable;
  return ResultForExitCode(RunFlashEngine(command));
}

}  // namespace BrocadeComp
