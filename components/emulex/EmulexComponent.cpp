#include "components/emulex/EmulexComponent.h"

#include <memory>
#include <vector>

#include "components/common/ToolOutput.h"
#include "framework/FlashEngine.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "pattern/Pattern.h"

namespace EmulexComp {

namespace {

const char* const kQueryLine =
    "HBA=(.+),.*PCI ID=(\\w{1,4}),.*VID=(\\w{1,4}),.*SSID=(\\w{1,4}),.*SVID=(\\w{1,4}),"
    ".*Firmware=(.+),.*Boot Code=([\\w\\.]+).*";

const char* const kScript = "./elxflashStandalone*/lx/elxflash.sh";

// Firmware of these families is compared against the fixed version below.
const char* const kFixedFamilies[] = {"LPe160", "LPe320", "LPe310", "LPe350"};
const wchar_t* const kFixedFamilyFirmware = L"12.6.275.7";

const char* const kSupportHost = "support.fwpack.example";

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

CComponent::CComponent() = default;
CComponent::CComponent(const std::string& log_path) : CBaseCmp(log_path) {}
CComponent::~CComponent() = default;

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
  RunCommand("unzip -o elxflashStandalone*.zip");
  log.write("done\n");
  RunShell("chmod 777 ./elxflashStandalone*/lx/elxflash.sh");
  return 0;
}

bool CComponent::Discover() {
  if (PrepareKit() != 0) return false;

  std::vector<std::string> lines =
      SplitLines(RunCommand(std::string(kScript) + " /q /sysfs"));
  std::unique_ptr<Pattern> pattern(Pattern::compile(kQueryLine, DOT_ALL));
  if (!pattern) return true;

  for (const std::string& line : lines) {
    std::unique_ptr<TextMatcher> matcher(pattern->makeMatcher(line));
    if (!matcher || !matcher->matchesWhole()) continue;
    std::vector<std::string> groups = matcher->groupTexts(false);
    if (groups.size() < 7) continue;
    const std::string& model = groups[0];

    std::wstring key = Widen(KeyFromIds(groups[2], groups[1], groups[4], groups[3]));
    int index = FindReference(key);
    if (index < 0 || static_cast<size_t>(index) >= reference.entries.size()) continue;
    const RefEntry& ref = reference.entries[index];

    bool fixed_family = InFixedFamily(model);
    bool oce = Contains(model, "OCe");
    std::string running_firmware = (fixed_family || oce) ? groups[5] : DropPrefix(groups[5]);
    std::string running_boot = oce ? groups[6] : DropPrefix(groups[6]);

    DeviceRec device;
    device.device_id = key;
    device.product_id = ref.model;

    FwItem firmware;
    firmware.type = L"Firmware";
    firmware.version = fixed_family ? std::wstring(kFixedFamilyFirmware) : ref.firmware;
    firmware.active_version = Widen(running_firmware);
    if (!fixed_family && firmware.version.find(L'.') == std::wstring::npos) {
      std::wstring undotted;
      for (wchar_t c : firmware.active_version)
        if (c != L'.') undotted += c;
      firmware.active_version = undotted;
    }
    bool split_family = Contains(model, "LPe120") || Contains(model, "LPe110");
    int order = split_family ? SplitCompare(firmware.version, firmware.active_version)
                             : CompareVersions(firmware.version, firmware.active_version);
    firmware.action = ActionWord(order);
    firmware.duration = ref.duration;
    firmware.shared = L"no";
    device.fw_items.push_back(firmware);

    if (ref.bios_present != 0) {
      FwItem bios;
      bios.type = L"Boot BIOS ROM";
      bios.version = ref.bios;
      bios.active_version = Widen(running_boot);
      bios.action = ActionWord(SplitCompare(bios.version, bios.active_version));
      bios.duration = ref.duration;
      // The boot item leaves `shared` empty, unlike the firmware item.
      device.fw_items.push_back(bios);
    }

    discovery.devices.push_back(device);
  }
  return true;
}

int CComponent::Flash() {
  std::string command = std::string(kScript) + " /sysfs ";
  command += force ? " /f " : " /update ";
  command += ComponentText::RedirectionsNoLeadingSpace(FwPaths::kLogRedirections);
  log.write("Executing flash engine: ").write(command).write("\n");
  int exit_code = RunFlashEngine(log, command);
  log.write("Flash Engine exit code: ").write(exit_code).write("\n");

  const char* message = nullptr;
  bool support_note = false;
  int result = exit_code;
  switch (exit_code) {
    case 0:
      message = "All updates were successful.  Reboot needed.\n";
      result = 1;
      break;
    case 1:
      message = "No operation performed.  No updates needed or discovery command executed.\n";
      result = 3;
      break;
    case 2: case 3: case 4: case 5: case 6:
      message = "All updates failed.\n";
      result = 7;
      break;
    case 11:
      message = "All updates were successful.  Skipped any QB410SX or TW880A CNAs.\n";
      break;
    case 12:
      message = "No updates needed.  Skipped any QB410SX or TW880A CNAs.\n";
      break;
    case 13:
      message = "All updates failed.  Skipped any QB410SX or TW880A CNAs.\n";
      break;
    case 14:
      message = "Some updates failed.  Skipped any QB410SX or TW880A CNAs.\n";
      break;
    case 15:
      message = "No supported hardware found.  Skipped any QB410SX or TW880A CNAs.\n";
      break;
    case 16:
      message = "No updates available.  Skipped any QB410SX or TW880A CNAs.\n";
      break;
    default:
      break;
  }
  if (exit_code >= 11 && exit_code <= 16) {
    support_note = true;
    result = 7;
  }
  if (message != nullptr) log.write(message);
  if (support_note) {
    log.write(
           "For QB410SX or TW880A CNAs, please use the \"Firmware image for offline update\" "
           "(OneConnect ISO) tool available on ")
        .write(kSupportHost)
        .write("\n");
  }
  return result;
}

}  // namespace EmulexComp
