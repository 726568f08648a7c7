// QLogic discovery (the flash tool's query output paired with the inventory
// by port WWN), the exact-then-substring catalogue lookup and the flash run.
#include "components/qlogic/QLogicComponent.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "components/common/ToolOutput.h"
#include "components/qlogic/QLogicPatterns.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "hba/FieldText.h"

namespace QLogicComp {

namespace {

struct InstanceSlot {
  std::wstring flash_image;
  std::string port_name;
};

// Leading decimal integer as the tool prints it (white space and a sign
// allowed, 0 without digits); -1 when it cannot name a slot.
int InstanceNumber(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  long number = std::strtol(text.c_str(), &end, 10);
  if (errno == ERANGE || number < 0 || number >= kInstanceSlots) return -1;
  return static_cast<int>(number);
}

}  // namespace

std::wstring CComponent::NormalizeVersion(const std::wstring& text) {
  std::wstring result = text;
  size_t space = result.find(L' ');
  if (space != std::wstring::npos) result.erase(space);
  size_t prefix = result.find(L"v.");
  if (prefix != std::wstring::npos) result.erase(prefix, 2);
  return result;
}

void CComponent::DiscoverDevices() {
  RunShell(kMakeToolExecutable);
  std::vector<std::string> lines = SplitLines(RunCommand(kQueryCommand));

  ComponentText::WholeLineMatcher instance_line(kInstanceLinePattern, kQueryLineFlags);
  ComponentText::WholeLineMatcher image_line(kFlashImageLinePattern, kQueryLineFlags);
  ComponentText::WholeLineMatcher port_line(kPortNameLinePattern, kQueryLineFlags);

  std::vector<InstanceSlot> slots(kInstanceSlots);
  // No slot until the first instance line; values outside the table are
  // dropped rather than written anywhere.
  int current = -1;
  for (const std::string& line : lines) {
    if (instance_line.Matches(line)) current = InstanceNumber(instance_line.Group(1));
    if (image_line.Matches(line) && current >= 0) slots[current].flash_image = Widen(image_line.Group(1));
    if (port_line.Matches(line) && current >= 0) {
      std::string value = port_line.Group(1);
      for (char& c : value)
        if (c == '-') c = ':';
      slots[current].port_name = value;
    }
  }

  size_t searched = lines.size() / kLinesPerInstance;
  if (searched > static_cast<size_t>(kInstanceSlots)) searched = kInstanceSlots;

  for (size_t j = 0; j < inventory.Count(); ++j) {
    const AdapterEntry* entry = inventory.GetEntry(j);
    if (entry == nullptr) continue;
    const RefEntry* ref = CatalogueEntry(AdapterKey(j));
    if (ref == nullptr) continue;

    std::wstring active_version;
    // An adapter without ports has no WWN to pair with; the empty name of
    // an unused slot must not count as a match.
    std::string port_wwn = FieldText(entry->port_wwn);
    if (!port_wwn.empty()) {
      for (size_t slot = 0; slot < searched; ++slot)
        if (slots[slot].port_name == port_wwn) active_version = slots[slot].flash_image;
    }
    DeviceRec& device = AddDevice(ref->device_id, *ref);
    AddFwItem(device, L"Multiboot Image", ref->boot, active_version, CompareVersions(ref->boot, active_version),
              *ref);
  }
}

int CComponent::FindReference(const std::wstring& key) {
  int exact = CBaseCmp::FindReference(key);
  if (exact >= 0) return exact;
  // An empty key (no PCI identity known) is contained in every entry; it
  // identifies no model, so it must not pick the first one.
  if (key.empty()) return -1;
  std::wstring upper_key = ToUpper(key);
  for (size_t i = 0; i < reference.entries.size(); ++i) {
    if (ToUpper(reference.entries[i].device_id).find(upper_key) != std::wstring::npos)
      return static_cast<int>(i);
  }
  return -1;
}

int CComponent::Flash() {
  FlashCommand command;
  command.shown = kUpdateCommand;
  if (silent) command.shown += kSilentSwitch;
  if (force) command.shown += kForceSwitch;
  command.redirections = FwPaths::kLogRedirections;
  command.make_executable = kMakeToolExecutable;
  return ResultForExitCode(RunFlashEngine(command));
}

}  // namespace QLogicComp
