// The Emulex key and model-family rules, fed through the kit's query line.
// Input: a flag byte, then the fields separated by NUL bytes: model, PCI ID,
// VID, SSID, SVID, firmware, boot code, and the catalogue's firmware and
// BIOS versions. The target writes the query line from them and a catalogue
// whose entry carries the key of the line's ids (flag bit 0: a BIOS
// version, 1: the key in upper case, 2: a key that differs, 3: the line
// twice, 4: another entry first).
//
// When the line reads unambiguously (each field marker once, ids of one to
// four word characters, a boot code of word characters and dots) the devices
// must be what the rules give, worked out here from the fields: the key, the
// fixed firmware of four families, which texts lose their first two
// characters, the dots removed, which comparison decides. Always: the key of
// ids of one to four characters is vvvv.dddd.ssss.iiii with each id at the
// end of its part and zeros before it, and the split comparison is an order
// (-1..1, antisymmetric, reflexive) that agrees with the plain comparison on
// texts of digits only and does not depend on the calls before it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "components/emulex/EmulexComponent.h"
#include "framework/Text.h"
#include "fuzz/FakeShell.h"
#include "fuzz/FuzzCheck.h"

namespace {

enum Field { kModel, kPciId, kVid, kSsid, kSvid, kFirmware, kBootCode, kRefFirmware, kRefBios, kFields };

constexpr const char* kWwnPart = ", Port WWN=10:00:00:00:c9:12:34:56";

class Harness : public EmulexComp::CComponent {
 public:
  Harness() : EmulexComp::CComponent("/dev/null") { log.SetConsoleOff(true); }
  RefCatalog& Catalogue() { return reference; }
};

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

size_t Count(const std::string& text, const char* part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsId(const std::string& id) {
  if (id.empty() || id.size() > 4) return false;
  for (char c : id)
    if (!IsWordChar(c)) return false;
  return true;
}

bool IsBootCode(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsWordChar(c) && c != '.') return false;
  return true;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string Padded(const std::string& id) { return id.size() >= 4 ? id : std::string(4 - id.size(), '0') + id; }

std::string DropTwo(const std::string& text) { return text.size() < 2 ? std::string() : text.substr(2); }

bool IsOrder(int r) { return r == -1 || r == 0 || r == 1; }

bool DigitsOnly(const std::wstring& text) { return text.find_first_not_of(L"0123456789") == std::wstring::npos; }

void CheckKeyShape(const std::vector<std::string>& f) {
  const std::string key = EmulexComp::CComponent::KeyFromIds(f[kVid], f[kPciId], f[kSvid], f[kSsid]);
  FUZZ_CHECK(key == Padded(f[kVid]) + "." + Padded(f[kPciId]) + "." + Padded(f[kSvid]) + "." + Padded(f[kSsid]));
  const std::string* ids[4] = {&f[kVid], &f[kPciId], &f[kSvid], &f[kSsid]};
  bool short_ids = true;
  for (const std::string* id : ids) short_ids = short_ids && !id->empty() && id->size() <= 4;
  if (!short_ids) return;
  FUZZ_CHECK(key.size() == 19 && key[4] == '.' && key[9] == '.' && key[14] == '.');
  for (size_t part = 0; part < 4; ++part) {
    const std::string text = key.substr(part * 5, 4);
    const std::string& id = *ids[part];
    FUZZ_CHECK(text.compare(4 - id.size(), id.size(), id) == 0);
    FUZZ_CHECK(text.find_first_not_of('0') >= 4 - id.size());
  }
}

void CheckSplitOrder(Harness& c, const std::wstring& a, const std::wstring& b) {
  const int ab = c.SplitCompare(a, b);
  const int ba = c.SplitCompare(b, a);
  FUZZ_CHECK(IsOrder(ab) && ab == -ba);
  FUZZ_CHECK(c.SplitCompare(a, a) == 0);
  if (DigitsOnly(a) && DigitsOnly(b)) FUZZ_CHECK(ab == c.CompareVersions(a, b));
  // Nothing of an earlier split carries over.
  (void)c.SplitCompare(L"12a34", L"5b6");
  FUZZ_CHECK(c.SplitCompare(a, b) == ab);
}

RefEntry Entry(const std::string& key, const std::wstring& firmware, const std::wstring& bios, bool bios_present) {
  RefEntry e;
  e.type = L"Firmware";
  e.device_id = Widen(key);
  e.model = L"LPe-model";
  e.firmware = firmware;
  e.bios = bios;
  e.duration = L"120";
  e.bios_present = bios_present ? 2 : 0;
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  std::vector<std::string> f(1);
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == 0) {
      if (f.size() == kFields) break;
      f.emplace_back();
    } else {
      f.back() += static_cast<char>(data[i]);
    }
  }
  f.resize(kFields);
  const bool bios_present = flags & 1, upper_key = flags & 2, other_key = flags & 4, twice = flags & 8,
             decoy = flags & 16;

  const std::string line = "HBA=" + f[kModel] + kWwnPart + ", PCI ID=" + f[kPciId] + ", VID=" + f[kVid] +
                           ", SSID=" + f[kSsid] + ", SVID=" + f[kSvid] + ", Firmware=" + f[kFirmware] +
                           ", Boot Code=" + f[kBootCode] + ", Status=Online";
  FuzzShell::SetQueryOutput(twice ? line + "\n" + line + "\n" : line + "\n");

  Harness c;
  const std::string key = EmulexComp::CComponent::KeyFromIds(f[kVid], f[kPciId], f[kSvid], f[kSsid]);
  const std::wstring ref_firmware = Widen(f[kRefFirmware]);
  const std::wstring ref_bios = Widen(f[kRefBios]);
  std::string catalogue_key = upper_key ? Upper(key) : key;
  if (other_key) catalogue_key += "0";
  if (decoy) c.Catalogue().entries.push_back(Entry("ffff.ffff.ffff.fffff", L"1", L"1", true));
  c.Catalogue().entries.push_back(Entry(catalogue_key, ref_firmware, ref_bios, bios_present));

  CheckKeyShape(f);
  CheckSplitOrder(c, Widen(f[kFirmware]), ref_firmware);
  CheckSplitOrder(c, Widen(f[kBootCode]), ref_bios);

  FUZZ_CHECK(c.Discover());
  const std::vector<DeviceRec>& devices = c.Discovery().devices;
  FUZZ_CHECK(devices.size() <= (twice ? 2u : 1u));
  for (const DeviceRec& device : devices) {
    FUZZ_CHECK(device.fw_items.size() == (bios_present ? 2u : 1u));
    FUZZ_CHECK(device.product_id == L"LPe-model" && device.busnumber.empty() && device.funcnumber.empty());
  }

  bool plain = IsId(f[kPciId]) && IsId(f[kVid]) && IsId(f[kSsid]) && IsId(f[kSvid]) && IsBootCode(f[kBootCode]) &&
               !f[kModel].empty() && !f[kFirmware].empty() && line.find('\n') == std::string::npos;
  plain = plain && Count(line, "PCI ID=") == 1 && Count(line, "VID=") == 2 && Count(line, "SVID=") == 1 &&
          Count(line, "SSID=") == 1 && Count(line, "Firmware=") == 1 && Count(line, "Boot Code=") == 1;
  if (!plain) return 0;

  // The line reads as written: work the devices out from the fields.
  if (other_key) {
    FUZZ_CHECK(devices.empty());
    return 0;
  }
  FUZZ_CHECK(devices.size() == (twice ? 2u : 1u));
  const std::string model = f[kModel] + kWwnPart;
  const bool fixed = Contains(model, "LPe160") || Contains(model, "LPe320") || Contains(model, "LPe310") ||
                     Contains(model, "LPe350");
  const bool oce = Contains(model, "OCe");
  const bool split = Contains(model, "LPe120") || Contains(model, "LPe110");
  const std::wstring version = fixed ? L"12.6.275.7" : ref_firmware;
  std::wstring active = Widen(fixed || oce ? f[kFirmware] : DropTwo(f[kFirmware]));
  if (!fixed && version.find(L'.') == std::wstring::npos) {
    std::wstring undotted;
    for (wchar_t ch : active)
      if (ch != L'.') undotted += ch;
    active = undotted;
  }
  const std::wstring active_boot = Widen(oce ? f[kBootCode] : DropTwo(f[kBootCode]));
  const int order = split ? c.SplitCompare(version, active) : c.CompareVersions(version, active);

  for (const DeviceRec& device : devices) {
    FUZZ_CHECK(device.device_id == Widen(key));
    const FwItem& item = device.fw_items[0];
    FUZZ_CHECK(item.type == L"Firmware" && item.firmware_id.empty() && item.message.empty());
    FUZZ_CHECK(item.version == version && item.active_version == active);
    FUZZ_CHECK(item.action == CBaseCmp::ActionWord(order));
    FUZZ_CHECK(item.duration == L"120" && item.shared == L"no");
    if (!bios_present) continue;
    const FwItem& bios = device.fw_items[1];
    FUZZ_CHECK(bios.type == L"Boot BIOS ROM" && bios.firmware_id.empty() && bios.message.empty());
    FUZZ_CHECK(bios.version == ref_bios && bios.active_version == active_boot);
    FUZZ_CHECK(bios.action == CBaseCmp::ActionWord(c.SplitCompare(ref_bios, active_boot)));
    FUZZ_CHECK(bios.duration == L"120" && bios.shared.empty());
  }
  return 0;
}
