// The simulated vendor library's behaviour: which adapters this copy serves,
// the records it fills, the failures the host state asks for, and the call
// records in records/libraries.txt beside the host state.
#include "sim/fakehba/FakeHbaCore.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <dlfcn.h>

#include "sim/common/SimState.h"

using nlohmann::json;

namespace FakeHba {
namespace {

// Handles: the low 16 bits tell which list and which adapter. Registry
// callers pass only the low 16 bits back, extension callers the full value.
constexpr HBA_UINT32 kHbaHandleBase = 0x100;
constexpr HBA_UINT32 kExtHandleBase = 0x200;
constexpr size_t kMaxAdaptersPerList = 0x100;

struct LibraryView {
  bool ready = false;
  std::string source;  // the host state text the view was built from
  std::string path;    // canonical path of this copy
  json knobs = json::object();
  std::vector<json> hba_adapters;
  std::vector<json> ext_adapters;
};

LibraryView g_view;

std::string StatePath() {
  const char* over = std::getenv("FWSIM_STATE");
  return over != nullptr && *over != '\0' ? over : SimState::kStateFile;
}

std::string OwnPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnPath), &info) == 0 || info.dli_fname == nullptr) return "";
  return SimState::CanonicalPath(info.dli_fname);
}

void Trace(const std::string& call, const std::string& detail = "") {
  const std::string state = StatePath();
  const size_t slash = state.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : state.substr(0, slash);
  SimState::AppendTextFile(dir + "/records/libraries.txt",
                           g_view.path + " " + call + (detail.empty() ? "" : " " + detail) + "\n");
}

bool ListsPath(const json& adapter, const char* key, const std::string& path) {
  const json& list = SimState::GetArray(adapter, key);
  for (const json& item : list)
    if (item.is_string() && SimState::CanonicalPath(item.get<std::string>()) == path) return true;
  return false;
}

// Reads the host state again: the flash tools may have changed it. The same
// text gives the same view, so it is parsed only when it changed.
void Refresh() {
  std::string text;
  const bool readable = SimState::ReadTextFile(StatePath(), text);
  if (g_view.ready && readable && text == g_view.source) return;
  g_view = LibraryView();
  g_view.path = OwnPath();
  if (!readable) return;
  const json state = json::parse(text, nullptr, false);
  if (state.is_discarded()) return;
  g_view.source = std::move(text);
  const json& libraries = SimState::GetObject(state, "libraries");
  for (auto it = libraries.begin(); it != libraries.end(); ++it)
    if (it->is_object() && SimState::CanonicalPath(it.key()) == g_view.path) g_view.knobs = *it;
  for (const json& adapter : SimState::GetArray(state, "adapters")) {
    if (!adapter.is_object()) continue;
    const std::string library = SimState::GetString(adapter, "library");
    const bool own = !library.empty() && SimState::CanonicalPath(library) == g_view.path;
    if (own && g_view.hba_adapters.size() < kMaxAdaptersPerList) g_view.hba_adapters.push_back(adapter);
    const bool extension = adapter.contains("extension_libraries")
                               ? ListsPath(adapter, "extension_libraries", g_view.path)
                               : own;
    if (extension && g_view.ext_adapters.size() < kMaxAdaptersPerList) g_view.ext_adapters.push_back(adapter);
  }
  g_view.ready = true;
}

void EnsureView() {
  if (!g_view.ready) Refresh();
}

bool IndexListed(const json& object, const char* key, int64_t index) {
  for (const json& item : SimState::GetArray(object, key))
    if (item.is_number_integer() && item.get<int64_t>() == index) return true;
  return false;
}

// "unterminated_texts": true for every text field of the adapter, or a list
// of the field names (as in "attributes", or "os_device_name" ...) to fill.
bool Unterminated(const json& adapter, const char* field) {
  const auto it = adapter.find("unterminated_texts");
  if (it == adapter.end()) return false;
  if (it->is_boolean()) return it->get<bool>();
  if (!it->is_array()) return false;
  for (const json& name : *it)
    if (name.is_string() && name.get<std::string>() == field) return true;
  return false;
}

// Copies text into a fixed field; "unterminated" fills the whole field
// without a NUL, as a misbehaving library would.
void CopyText(char* field, size_t size, const std::string& text, bool unterminated) {
  if (size == 0) return;
  if (unterminated) {
    std::memset(field, 'U', size);
    std::memcpy(field, text.data(), text.size() < size ? text.size() : size);
    return;
  }
  const size_t length = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

void CopyName(char* buffer, size_t size, const std::string& name, bool without_nul) {
  if (without_nul) {
    std::memset(buffer, 'N', size);
    std::memcpy(buffer, name.data(), name.size() < size ? name.size() : size);
    return;
  }
  CopyText(buffer, size, name, false);
}

const json* HbaAdapterByHandle(HBA_UINT32 handle) {
  const HBA_UINT32 low = handle & 0xFFFF;
  if (low < kHbaHandleBase || low >= kHbaHandleBase + g_view.hba_adapters.size()) return nullptr;
  const HBA_UINT32 high = handle >> 16;
  if (high != 0 && high != static_cast<HBA_UINT32>(SimState::GetInt(g_view.knobs, "handle_high", 0))) return nullptr;
  return &g_view.hba_adapters[low - kHbaHandleBase];
}

const json* ExtAdapterByHandle(HBA_UINT32 handle) {
  const HBA_UINT32 high = static_cast<HBA_UINT32>(SimState::GetInt(g_view.knobs, "ext_handle_high", 0)) & 0xFFFF;
  const HBA_UINT32 low = handle & 0xFFFF;
  if ((handle >> 16) != high) return nullptr;
  if (low < kExtHandleBase || low >= kExtHandleBase + g_view.ext_adapters.size()) return nullptr;
  return &g_view.ext_adapters[low - kExtHandleBase];
}

void FillAttributes(const json& adapter, HBA_ADAPTERATTRIBUTES* out) {
  std::memset(out, 0, sizeof(*out));
  const json& a = SimState::GetObject(adapter, "attributes");
#define FAKEHBA_TEXT(field, key) \
  CopyText(out->field, sizeof(out->field), SimState::GetString(a, key), Unterminated(adapter, key))
  FAKEHBA_TEXT(Manufacturer, "manufacturer");
  FAKEHBA_TEXT(SerialNumber, "serial_number");
  FAKEHBA_TEXT(Model, "model");
  FAKEHBA_TEXT(ModelDescription, "model_description");
  FAKEHBA_TEXT(NodeSymbolicName, "node_symbolic_name");
  FAKEHBA_TEXT(HardwareVersion, "hardware_version");
  FAKEHBA_TEXT(DriverVersion, "driver_version");
  FAKEHBA_TEXT(OptionROMVersion, "option_rom_version");
  FAKEHBA_TEXT(FirmwareVersion, "firmware_version");
  FAKEHBA_TEXT(DriverName, "driver_name");
#undef FAKEHBA_TEXT
  SimState::ParseWwn(SimState::GetString(adapter, "node_wwn"), out->NodeWWN.wwn);
  out->VendorSpecificID = static_cast<HBA_UINT32>(SimState::GetInt(a, "vendor_specific_id", 0));
  const int64_t ports = static_cast<int64_t>(SimState::GetArray(adapter, "ports").size());
  out->NumberOfPorts = static_cast<HBA_UINT32>(SimState::GetInt(adapter, "number_of_ports", ports));
}

uint16_t PciId(const json& pci, const char* key) {
  uint16_t value = 0;
  SimState::ParseHex16(SimState::GetString(pci, key), value);
  return value;
}

void FillExtended(const json& adapter, ExtendedAdapterAttributes* out) {
  FillAttributes(adapter, &out->attributes);
  const json& ext = SimState::GetObject(adapter, "extension");
  if (ext.contains("node_wwn")) {
    std::memset(out->attributes.NodeWWN.wwn, 0, 8);
    SimState::ParseWwn(SimState::GetString(ext, "node_wwn"), out->attributes.NodeWWN.wwn);
  }
  const json& pci = SimState::GetObject(adapter, "pci");
  out->pci_subsystem = static_cast<HBA_UINT32>(PciId(pci, "subsystem_vendor_id")) |
                       (static_cast<HBA_UINT32>(PciId(pci, "subsystem_device_id")) << 16);
  out->pci_bus = static_cast<HBA_UINT8>(SimState::GetInt(pci, "bus", 0));
  out->pci_function = static_cast<HBA_UINT8>(SimState::GetInt(pci, "function", 0));
  out->pci_domain = static_cast<HBA_UINT8>(SimState::GetInt(pci, "domain", 0));
  out->reserved = 0;
}

const json* PortOf(const json& adapter, HBA_UINT32 port_index) {
  const json& ports = SimState::GetArray(adapter, "ports");
  if (port_index >= ports.size() || !ports[port_index].is_object()) return nullptr;
  return &ports[port_index];
}

}  // namespace

HBA_UINT32 GetVersion() {
  EnsureView();
  Trace("HBA_GetVersion");
  return static_cast<HBA_UINT32>(SimState::GetInt(g_view.knobs, "version", 2));
}

HBA_STATUS LoadLibrary() {
  Refresh();
  Trace("HBA_LoadLibrary");
  return static_cast<HBA_STATUS>(SimState::GetInt(g_view.knobs, "load_status", 0));
}

HBA_STATUS FreeLibrary() {
  EnsureView();
  Trace("HBA_FreeLibrary");
  return static_cast<HBA_STATUS>(SimState::GetInt(g_view.knobs, "free_status", 0));
}

HBA_UINT32 GetNumberOfAdapters() {
  EnsureView();
  const int64_t count = SimState::GetInt(g_view.knobs, "adapter_count", static_cast<int64_t>(g_view.hba_adapters.size()));
  return static_cast<HBA_UINT32>(count);
}

HBA_STATUS GetAdapterName(HBA_UINT32 index, char* name) {
  EnsureView();
  if (name == nullptr) return HBA_STATUS_ERROR_ARG;
  if (IndexListed(g_view.knobs, "get_name_fails", index)) return HBA_STATUS_ERROR;
  const bool without_nul = SimState::GetBool(g_view.knobs, "name_without_nul");
  if (index >= g_view.hba_adapters.size()) {
    // A library that claims more adapters than it has may still hand out names.
    if (!SimState::GetBool(g_view.knobs, "synthesize_names")) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
    CopyName(name, 256, "extra-adapter-" + std::to_string(index), without_nul);
    return HBA_STATUS_OK;
  }
  CopyName(name, 256, SimState::GetString(g_view.hba_adapters[index], "name"), without_nul);
  return HBA_STATUS_OK;
}

HBA_HANDLE OpenAdapter(char* name) {
  EnsureView();
  if (name == nullptr) return 0;
  const std::string wanted(name, strnlen(name, 1024));
  Trace("HBA_OpenAdapter", wanted);
  for (size_t i = 0; i < g_view.hba_adapters.size(); ++i) {
    const json& adapter = g_view.hba_adapters[i];
    if (SimState::GetString(adapter, "name") != wanted) continue;
    if (SimState::GetBool(SimState::GetObject(adapter, "fail"), "open")) return 0;
    const HBA_UINT32 high = static_cast<HBA_UINT32>(SimState::GetInt(g_view.knobs, "handle_high", 0)) & 0xFFFF;
    return (high << 16) | static_cast<HBA_UINT32>(kHbaHandleBase + i);
  }
  return 0;
}

void CloseAdapter(HBA_HANDLE handle) {
  EnsureView();
  Trace("HBA_CloseAdapter", std::to_string(handle));
}

HBA_STATUS GetAdapterAttributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes) {
  EnsureView();
  const json* adapter = HbaAdapterByHandle(handle);
  if (adapter == nullptr) return HBA_STATUS_ERROR_INVALID_HANDLE;
  if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
  const int64_t status = SimState::GetInt(SimState::GetObject(*adapter, "fail"), "attributes", 0);
  if (status != 0) return static_cast<HBA_STATUS>(status);
  FillAttributes(*adapter, attributes);
  return HBA_STATUS_OK;
}

HBA_STATUS GetAdapterPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTATTRIBUTES* attributes) {
  EnsureView();
  const json* adapter = HbaAdapterByHandle(handle);
  if (adapter == nullptr) return HBA_STATUS_ERROR_INVALID_HANDLE;
  if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
  const json* port = PortOf(*adapter, port_index);
  if (port == nullptr) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
  const int64_t status = SimState::GetInt(*port, "attributes_status", 0);
  if (status != 0) return static_cast<HBA_STATUS>(status);
  std::memset(attributes, 0, sizeof(*attributes));
  SimState::ParseWwn(SimState::GetString(*adapter, "node_wwn"), attributes->NodeWWN.wwn);
  SimState::ParseWwn(SimState::GetString(*port, "wwn"), attributes->PortWWN.wwn);
  SimState::ParseWwn(SimState::GetString(*port, "fabric_name"), attributes->FabricName.wwn);
  attributes->PortFcId = static_cast<HBA_UINT32>(SimState::GetInt(*port, "fc_id", 0));
  attributes->PortType = static_cast<HBA_UINT32>(SimState::GetInt(*port, "type", HBA_PORTTYPE_NPORT));
  attributes->PortState = static_cast<HBA_UINT32>(SimState::GetInt(*port, "state", HBA_PORTSTATE_ONLINE));
  attributes->PortSupportedClassofService = static_cast<HBA_UINT32>(SimState::GetInt(*port, "class_of_service", 8));
  attributes->PortSupportedSpeed = static_cast<HBA_UINT32>(SimState::GetInt(*port, "supported_speed", 0x1A));
  attributes->PortSpeed = static_cast<HBA_UINT32>(SimState::GetInt(*port, "speed", 0x10));
  attributes->PortMaxFrameSize = static_cast<HBA_UINT32>(SimState::GetInt(*port, "max_frame_size", 2048));
  attributes->NumberofDiscoveredPorts = static_cast<HBA_UINT32>(SimState::GetInt(*port, "discovered_ports", 0));
  CopyText(attributes->PortSymbolicName, sizeof(attributes->PortSymbolicName),
           SimState::GetString(*port, "symbolic_name"), Unterminated(*adapter, "symbolic_name"));
  CopyText(attributes->OSDeviceName, sizeof(attributes->OSDeviceName), SimState::GetString(*port, "os_device_name"),
           Unterminated(*adapter, "os_device_name"));
  const json& fc4 = SimState::GetArray(*port, "active_fc4_types");
  for (size_t i = 0; i < fc4.size() && i < sizeof(attributes->PortActiveFc4Types.bits); ++i)
    if (fc4[i].is_number_integer()) attributes->PortActiveFc4Types.bits[i] = static_cast<HBA_UINT8>(fc4[i].get<int64_t>());
  const json& sfc4 = SimState::GetArray(*port, "supported_fc4_types");
  for (size_t i = 0; i < sfc4.size() && i < sizeof(attributes->PortSupportedFc4Types.bits); ++i)
    if (sfc4[i].is_number_integer())
      attributes->PortSupportedFc4Types.bits[i] = static_cast<HBA_UINT8>(sfc4[i].get<int64_t>());
  return HBA_STATUS_OK;
}

HBA_STATUS GetPortStatistics(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTSTATISTICS* statistics) {
  EnsureView();
  const json* adapter = HbaAdapterByHandle(handle);
  if (adapter == nullptr) return HBA_STATUS_ERROR_INVALID_HANDLE;
  if (statistics == nullptr) return HBA_STATUS_ERROR_ARG;
  const json* port = PortOf(*adapter, port_index);
  if (port == nullptr) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
  const int64_t status = SimState::GetInt(*port, "statistics_status", 0);
  if (status != 0) return static_cast<HBA_STATUS>(status);
  HBA_INT64 counters[15] = {};
  const json& values = SimState::GetArray(*port, "statistics");
  for (size_t i = 0; i < values.size() && i < 15; ++i)
    if (values[i].is_number_integer()) counters[i] = values[i].get<int64_t>();
  static_assert(sizeof(counters) == sizeof(HBA_PORTSTATISTICS), "15 counters");
  std::memcpy(statistics, counters, sizeof(counters));
  return HBA_STATUS_OK;
}

namespace {
// Answers "discovered_port_status" (default "not supported"), so callers can
// see a vendor's own result pass through.
HBA_STATUS DiscoveredPortAttributes(HBA_HANDLE handle, HBA_UINT32, HBA_UINT32, HBA_PORTATTRIBUTES*) {
  EnsureView();
  Trace("HBA_GetDiscoveredPortAttributes", std::to_string(handle));
  return static_cast<HBA_STATUS>(
      SimState::GetInt(g_view.knobs, "discovered_port_status", HBA_STATUS_ERROR_NOT_SUPPORTED));
}

// Entries a scenario does not ask for answer "not supported", as a vendor
// library without the feature would.
HBA_STATUS NotSupportedByWwn(HBA_HANDLE, HBA_WWN, HBA_PORTATTRIBUTES*) { return HBA_STATUS_ERROR_NOT_SUPPORTED; }
HBA_STATUS NotSupportedCt(HBA_HANDLE, void*, HBA_UINT32, void*, HBA_UINT32) { return HBA_STATUS_ERROR_NOT_SUPPORTED; }
void Refreshed(HBA_HANDLE) {}
void ResetStatistics(HBA_HANDLE, HBA_UINT32) {}
HBA_STATUS NotSupportedMapping(HBA_HANDLE, HBA_FCPTARGETMAPPING*) { return HBA_STATUS_ERROR_NOT_SUPPORTED; }
HBA_STATUS NotSupportedBinding(HBA_HANDLE, HBA_FCPBINDING*) { return HBA_STATUS_ERROR_NOT_SUPPORTED; }
HBA_STATUS NotSupportedEvents(HBA_HANDLE, HBA_EVENTINFO*, HBA_UINT32*) { return HBA_STATUS_ERROR_NOT_SUPPORTED; }
HBA_STATUS NotSupportedMgmt(HBA_HANDLE, HBA_MGMTINFO*) { return HBA_STATUS_ERROR_NOT_SUPPORTED; }
HBA_STATUS NotSupportedRnid(HBA_HANDLE, HBA_WWN, HBA_WWNTYPE, void*, HBA_UINT32*) {
  return HBA_STATUS_ERROR_NOT_SUPPORTED;
}
HBA_STATUS NotSupportedInquiry(HBA_HANDLE, HBA_WWN, HBA_UINT64, HBA_UINT8, HBA_UINT32, void*, HBA_UINT32, void*,
                               HBA_UINT32) {
  return HBA_STATUS_ERROR_NOT_SUPPORTED;
}
HBA_STATUS NotSupportedLuns(HBA_HANDLE, HBA_WWN, void*, HBA_UINT32, void*, HBA_UINT32) {
  return HBA_STATUS_ERROR_NOT_SUPPORTED;
}
HBA_STATUS NotSupportedCapacity(HBA_HANDLE, HBA_WWN, HBA_UINT64, void*, HBA_UINT32, void*, HBA_UINT32) {
  return HBA_STATUS_ERROR_NOT_SUPPORTED;
}

bool Omitted(const char* entry) {
  for (const json& item : SimState::GetArray(g_view.knobs, "omit_entry_points"))
    if (item.is_string() && item.get<std::string>() == entry) return true;
  return false;
}
}  // namespace

HBA_STATUS RegisterLibrary(HBA_ENTRYPOINTS* table) {
  Refresh();
  Trace("HBA_RegisterLibrary");
  if (table == nullptr) return HBA_STATUS_ERROR_ARG;
  std::memset(table, 0, sizeof(*table));
#define FAKEHBA_ENTRY(field, entry, function) \
  if (!Omitted(entry)) table->field = function
  FAKEHBA_ENTRY(GetVersionHandler, "HBA_GetVersion", GetVersion);
  FAKEHBA_ENTRY(LoadLibraryHandler, "HBA_LoadLibrary", LoadLibrary);
  FAKEHBA_ENTRY(FreeLibraryHandler, "HBA_FreeLibrary", FreeLibrary);
  FAKEHBA_ENTRY(GetNumberOfAdaptersHandler, "HBA_GetNumberOfAdapters", GetNumberOfAdapters);
  FAKEHBA_ENTRY(GetAdapterNameHandler, "HBA_GetAdapterName", GetAdapterName);
  FAKEHBA_ENTRY(OpenAdapterHandler, "HBA_OpenAdapter", OpenAdapter);
  FAKEHBA_ENTRY(CloseAdapterHandler, "HBA_CloseAdapter", CloseAdapter);
  FAKEHBA_ENTRY(GetAdapterAttributesHandler, "HBA_GetAdapterAttributes", GetAdapterAttributes);
  FAKEHBA_ENTRY(GetAdapterPortAttributesHandler, "HBA_GetAdapterPortAttributes", GetAdapterPortAttributes);
  FAKEHBA_ENTRY(GetPortStatisticsHandler, "HBA_GetPortStatistics", GetPortStatistics);
  FAKEHBA_ENTRY(GetDiscoveredPortAttributesHandler, "HBA_GetDiscoveredPortAttributes", DiscoveredPortAttributes);
  FAKEHBA_ENTRY(GetPortAttributesByWWNHandler, "HBA_GetPortAttributesByWWN", NotSupportedByWwn);
  FAKEHBA_ENTRY(SendCTPassThruHandler, "HBA_SendCTPassThru", NotSupportedCt);
  FAKEHBA_ENTRY(RefreshInformationHandler, "HBA_RefreshInformation", Refreshed);
  FAKEHBA_ENTRY(ResetStatisticsHandler, "HBA_ResetStatistics", ResetStatistics);
  FAKEHBA_ENTRY(GetFcpTargetMappingHandler, "HBA_GetFcpTargetMapping", NotSupportedMapping);
  FAKEHBA_ENTRY(GetFcpPersistentBindingHandler, "HBA_GetFcpPersistentBinding", NotSupportedBinding);
  FAKEHBA_ENTRY(GetEventBufferHandler, "HBA_GetEventBuffer", NotSupportedEvents);
  FAKEHBA_ENTRY(SetRNIDMgmtInfoHandler, "HBA_SetRNIDMgmtInfo", NotSupportedMgmt);
  FAKEHBA_ENTRY(GetRNIDMgmtInfoHandler, "HBA_GetRNIDMgmtInfo", NotSupportedMgmt);
  FAKEHBA_ENTRY(SendRNIDHandler, "HBA_SendRNID", NotSupportedRnid);
  FAKEHBA_ENTRY(ScsiInquiryHandler, "HBA_SendScsiInquiry", NotSupportedInquiry);
  FAKEHBA_ENTRY(ReportLUNsHandler, "HBA_SendReportLUNs", NotSupportedLuns);
  FAKEHBA_ENTRY(ReadCapacityHandler, "HBA_SendReadCapacity", NotSupportedCapacity);
#undef FAKEHBA_ENTRY
  return static_cast<HBA_STATUS>(SimState::GetInt(g_view.knobs, "register_status", 0));
}

int ExtLoadLibrary() {
  Refresh();
  Trace("QMXFC_LoadLibrary");
  return static_cast<int>(SimState::GetInt(g_view.knobs, "ext_load_status", 0));
}

int32_t ExtGetNumberOfAdapters() {
  EnsureView();
  return static_cast<int32_t>(
      SimState::GetInt(g_view.knobs, "ext_adapter_count", static_cast<int64_t>(g_view.ext_adapters.size())));
}

int ExtGetAdapterName(HBA_UINT32 index, char* name) {
  EnsureView();
  if (name == nullptr) return 1;
  if (IndexListed(g_view.knobs, "ext_get_name_fails", index) || index >= g_view.ext_adapters.size()) return 1;
  const json& adapter = g_view.ext_adapters[index];
  const std::string text = SimState::GetString(SimState::GetObject(adapter, "extension"), "name",
                                               SimState::GetString(adapter, "name"));
  CopyName(name, 1024, text, SimState::GetBool(g_view.knobs, "ext_name_without_nul"));
  return 0;
}

HBA_UINT32 ExtOpenAdapter(char* name) {
  EnsureView();
  if (name == nullptr) return 0;
  const std::string wanted(name, strnlen(name, 1024));
  Trace("QMXFC_OpenAdapter", wanted);
  for (size_t i = 0; i < g_view.ext_adapters.size(); ++i) {
    const json& adapter = g_view.ext_adapters[i];
    const json& ext = SimState::GetObject(adapter, "extension");
    if (SimState::GetString(ext, "name", SimState::GetString(adapter, "name")) != wanted) continue;
    if (SimState::GetBool(ext, "open_fails")) return 0;
    const HBA_UINT32 high = static_cast<HBA_UINT32>(SimState::GetInt(g_view.knobs, "ext_handle_high", 0)) & 0xFFFF;
    return (high << 16) | static_cast<HBA_UINT32>(kExtHandleBase + i);
  }
  return 0;
}

int ExtGetAdapterAttributes2(HBA_UINT32 handle, ExtendedAdapterAttributes* attributes) {
  EnsureView();
  Trace("QMXFC_GetAdapterAttributes2", std::to_string(handle));
  const json* adapter = ExtAdapterByHandle(handle);
  if (adapter == nullptr) adapter = HbaAdapterByHandle(handle);
  if (adapter == nullptr) return HBA_STATUS_ERROR_INVALID_HANDLE;
  if (attributes == nullptr) return HBA_STATUS_ERROR_ARG;
  const int64_t status = SimState::GetInt(SimState::GetObject(*adapter, "extension"), "attributes_status", 0);
  if (status != 0) return static_cast<int>(status);
  FillExtended(*adapter, attributes);
  return 0;
}

void ExtCloseAdapter(HBA_UINT32 handle) {
  EnsureView();
  Trace("QMXFC_CloseAdapter", std::to_string(handle));
}

int ExtFreeLibrary() {
  EnsureView();
  Trace("QMXFC_FreeLibrary");
  return 0;
}

}  // namespace FakeHba
