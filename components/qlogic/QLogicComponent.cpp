#include "components/qlogic/QLogicComponent.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "components/common/ToolOutput.h"
#include "framework/FlashEngine.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "pattern/Pattern.h"

namespace QLogicComp {

namespace {

// The tool numbers its instances 0-63; anything else has no slot.
constexpr int kInstanceSlots = 64;

struct InstanceSlot {
  std::wstring flash_image;
  std::string port_name;
};

// Group 1 of `pattern` when the whole line matches; false otherwise.
bool WholeLineValue(Pattern* pattern, const std::string& line, std::string& value) {
  if (pattern == nullptr) return false;
  std::unique_ptr<TextMatcher> matcher(pattern->makeMatcher(line));
  if (!matcher || !matcher->matchesWhole()) return false;
  std::vector<std::string> groups = matcher->groupTexts(false);
  if (groups.empty()) return false;
  value = groups[0];
  return true;
}

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

CComponent::CComponent() = default;
CComponent::CComponent(const std::string& log_path) : CBaseCmp(log_path) {}
CComponent::~CComponent() = default;

std::wstring CComponent::NormalizeVersion(const std::wstring& text) {
  std::wstring result = text;
  size_t space = result.find(L' ');
  if (space != std::wstring::npos) result.erase(space);
  size_t prefix = result.find(L"v.");
  if (prefix != std::wstring::npos) result.erase(prefix, 2);
  return result;
}

void CComponent::DiscoverDevices() {
  RunShell("chmod 755 ./zvqlafwupdate");
  std::vector<std::string> lines = SplitLines(RunCommand("./zvqlafwupdate /q"));

  std::unique_ptr<Pattern> instance_pattern(Pattern::compile("HBA Instance.*: (.+).*", DOT_ALL));
  std::unique_ptr<Pattern> image_pattern(Pattern::compile("Flash Image.*: (.+).*", DOT_ALL));
  std::unique_ptr<Pattern> port_pattern(Pattern::compile("Port Name.*: (.+).*", DOT_ALL));

  std::vector<InstanceSlot> slots(kInstanceSlots);
  // No slot until the first instance line; values outside the table are
  // dropped rather than written anywhere.
  int current = -1;
  for (const std::string& line : lines) {
    std::string value;
    if (WholeLineValue(instance_pattern.get(), line, value)) current = InstanceNumber(value);
    if (WholeLineValue(image_pattern.get(), line, value) && current >= 0)
      slots[current].flash_image = Widen(value);
    if (WholeLineValue(port_pattern.get(), line, value) && current >= 0) {
      for (char& c : value)
        if (c == '-') c = ':';
      slots[current].port_name = value;
    }
  }

  size_t searched = lines.size() / 5;
  if (searched > static_cast<size_t>(kInstanceSlots)) searched = kInstanceSlots;

  for (size_t j = 0; j < inventory.Count(); ++j) {
    const AdapterEntry* entry = inventory.GetEntry(j);
    if (entry == nullptr) continue;
    int index = FindReference(AdapterKey(j));
    if (index < 0 || static_cast<size_t>(index) >= reference.entries.size()) continue;
    const RefEntry& ref = reference.entries[index];

    DeviceRec device;
    device.device_id = ref.device_id;
    device.product_id = ref.model;

    FwItem item;
    item.type = L"Multiboot Image";
    item.version = ref.boot;
    // An adapter without ports has no WWN to pair with; the empty name of
    // an unused slot must not count as a match.
    std::string port_wwn = ComponentText::FieldText(entry->port_wwn);
    if (!port_wwn.empty()) {
      for (size_t slot = 0; slot < searched; ++slot)
        if (slots[slot].port_name == port_wwn) item.active_version = slots[slot].flash_image;
    }
    item.action = ActionWord(CompareVersions(item.version, item.active_version));
    item.duration = ref.duration;
    item.shared = L"no";

    device.fw_items.push_back(item);
    discovery.devices.push_back(device);
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

int CComponent::MapExitCode(int exit_code) {
  if (exit_code == 0) return 1;
  if (exit_code == 1) return 3;
  if ((exit_code >= 2 && exit_code <= 10) || exit_code == 14 || exit_code == 16 || exit_code == 17)
    return 7;
  return exit_code;
}

int CComponent::Flash() {
  std::string command = "./zvqlafwupdate";
  if (silent) command += " /s";
  if (force) command += " /f";
  log.write("Executing flash engine: ").write(command).write("\n");
  command += FwPaths::kLogRedirections;
  RunShell("chmod 755 ./zvqlafwupdate");
  int exit_code = RunFlashEngine(log, command);
  log.write("Flash Engine exit code: ").write(exit_code).write("\n");
  return MapExitCode(exit_code);
}

}  // namespace QLogicComp
