// Emulex discovery from the flash kit's query output (the inventory plays no
// part), the split version comparison and the flash run with its messages.
#include "components/emulex/EmulexComponent.h"

#include <string>
#include <vector>

#include "components/common/ToolOutput.h"
#include "components/emulex/EmulexPatterns.h"
#include "framework/Paths.h"
#include "framework/Text.h"

namespace EmulexComp {

namespace {

// Firmware of these families is compared against the fixed version below.
const char* const kFixedFamilies[] = {"LPe160", "LPe320", "LPe310", "LPe350"};
const wchar_t* const kFixedFamilyFirmware = L"12.6.275.7";

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

bool InFixedFamily(const std::string& model) {
  for (const char* family : kFixedFamilies)
    if (Contains(model, family)) return true;
  return false;
}

// The tool prefixes these values with two characters of its own; a value
// too short to carry them has nothing left.
std::string DropPrefix(const std::string& value) {
  return value.size() < 2 ? std::string() : value.substr(2);
}

std::string PadId(const std::string& id) {
  return id.size() >= 4 ? id : std::string(4 - id.size(), '0') + id;
}

// The log redirections without their leading space: the update line's
// switch already ends in one.
std::string RedirectionsAfterSpace() {
  std::string text(FwPaths::kLogRedirections);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  return text;
}

struct SplitParts {
  std::wstring lead;
  std::wstring separator;
  std::wstring rest;
};

// A text of digits only is all lead; parts are computed afresh per text.
SplitParts SplitAtFirstNonDigit(const std::wstring& text) {
  SplitParts parts;
  size_t pos = text.find_first_not_of(L"0123456789");
  if (pos == std::wstring::npos) {
    parts.lead = text;
    return parts;
  }
  parts.lead = text.substr(0, pos);
  parts.separator = text.substr(pos, 1);
  parts.rest = text.substr(pos + 1);
  return parts;
}

}  // namespace

std::string CComponent::KeyFromIds(const std::string& vid, const std::string& pci_id,
                                   const std::string& svid, const std::string& ssid) {
  return PadId(vid) + "." + PadId(pci_id) + "." + PadId(svid) + "." + PadId(ssid);
}

int CComponent::SplitCompare(const std::wstring& version, const std::wstring& active) {
  SplitParts v = SplitAtFirstNonDigit(version);
  SplitParts a = SplitAtFirstNonDigit(active);
  int order = CompareVersions(v.lead, a.lead);
  if (order != 0) return order;
  return CompareVersions(v.rest, a.rest);
}

std::wstring CComponent::NormalizeVersion(const std::wstring& text) {
  size_t space = text.find(L' ');
  return space == std::wstring::npos ? text : text.substr(0, space);
}

int CComponent::PrepareKit() {
  log.write("Preparing the Emulex Kit...");
  RunCommand(kUnpackCommand);
  log.write("done\n");
  RunShell(kMakeScriptExecutable);
  return 0;
}

bool CComponent::Discover() {
  if (PrepareKit() != 0) return false;

  std::vector<std::string> lines = SplitLines(RunCommand(kQueryCommand));
  ComponentText::WholeLineMatcher query_line(kQueryLinePattern, kQueryLineFlags);

  for (const std::string& line : lines) {
    if (!query_line.Matches(line)) continue;
    std::vector<std::string> groups = query_line.Groups();
    if (groups.size() < kQueryLineFields) continue;
    const std::string& model = groups[kModelField];

    std::wstring key = Widen(
        KeyFromIds(groups[kVidField], groups[kPciIdField], groups[kSvidField], groups[kSsidField]));
    const RefEntry* ref = CatalogueEntry(key);
    if (ref == nullptr) continue;

    bool fixed_family = InFixedFamily(model);
    bool oce = Contains(model, "OCe");
    const std::string& firmware = groups[kFirmwareField];
    const std::string& boot_code = groups[kBootCodeField];
    std::string running_firmware = (fixed_family || oce) ? firmware : DropPrefix(firmware);
    std::string running_boot = oce ? boot_code : DropPrefix(boot_code);

    DeviceRec& device = AddDevice(key, *ref);

    std::wstring version = fixed_family ? std::wstring(kFixedFamilyFirmware) : ref->firmware;
    std::wstring active_version = Widen(running_firmware);
    if (!fixed_family && version.find(L'.') == std::wstring::npos) {
      std::wstring undotted;
      for (wchar_t c : active_version)
        if (c != L'.') undotted += c;
      active_version = undotted;
    }
    bool split_family = Contains(model, "LPe120") || Contains(model, "LPe110");
    int order = split_family ? SplitCompare(version, active_version) : CompareVersions(version, active_version);
    AddFwItem(device, L"Firmware", version, active_version, order, *ref);

    if (ref->bios_present != 0) {
      std::wstring active_boot = Widen(running_boot);
      FwItem& bios =
          AddFwItem(device, L"Boot BIOS ROM", ref->bios, active_boot, SplitCompare(ref->bios, active_boot), *ref);
      // The boot item leaves `shared` empty, unlike the firmware item.
      bios.shared.clear();
    }
  }
  return true;
}

int CComponent::Flash() {
  FlashCommand command;
  command.shown = kUpdateCommand;
  command.shown += force ? kForceSwitch : kUpdateSwitch;
  command.shown += RedirectionsAfterSpace();
  // The kit's script was made executable when the kit was unpacked.
  const int exit_code = RunFlashEngine(command);

  const ExitRow* row = FindExitRow(kExitCodeTable, exit_code);
  if (row == nullptr) return exit_code;
  if (row->message != nullptr) log.write(row->message);
  if (row->support_note) log.write(kSupportNote).write(kSupportHost).write("\n");
  return row->result;
}

}  // namespace EmulexComp
