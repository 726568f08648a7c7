// The library registry: loads the libraries of the configuration file,
// names their adapters and dispatches calls by registry handle.
#include "hba/HbaRegistry.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/Paths.h"
#include "hba/DynamicSymbol.h"

namespace {

HbaLibrarySlot g_slots[kHbaLibrarySlots];
HbaAdapterName g_rows[kHbaAdapterRows];
uint32_t g_adapter_count = 0;

// A library that reports billions of adapters must not keep enumeration
// busy: no library can fill more than the table anyway.
constexpr int32_t kMaxIndicesPerLibrary = 1024;

std::string& ConfigurationPath() {
  static std::string path = FwPaths::kHbaConf;
  return path;
}

// Copies at most size - 1 bytes of source and always terminates.
void CopyBounded(char* target, size_t size, const char* source) {
  if (size == 0) return;
  size_t length = strnlen(source, size - 1);
  std::memcpy(target, source, length);
  std::memset(target + length, 0, size - length);
}

bool IsPathCharacter(unsigned char c) {
  return c == '_' || c == '.' || c == '/' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
         (c >= 'A' && c <= 'Z');
}

void LoadSlot(HbaLibrarySlot& slot, const char* name, const char* path) {
  CopyBounded(slot.library_name, sizeof slot.library_name, name);
  CopyBounded(slot.library_path, sizeof slot.library_path, path);
  // A path that the filter emptied names no library; opening "" would hand
  // back the program itself.
  slot.library_module = slot.library_path[0] != '\0' ? dlopen(slot.library_path, RTLD_LAZY) : nullptr;
  if (slot.library_module == nullptr) return;
  auto register_library = LookUpSymbol<HBARegisterLibraryFunc>(slot.library_module, "HBA_RegisterLibrary");
  if (register_library == nullptr) return;
  // Entries the library leaves out must read as absent, not as leftovers of
  // a library that held this slot before.
  std::memset(&slot.entry_points, 0, sizeof slot.entry_points);
  if (register_library(&slot.entry_points) != HBA_STATUS_OK) {
    slot.slot_state = HBA_SLOT_FAILED;
    return;
  }
  const HBA_ENTRYPOINTS& entries = slot.entry_points;
  if (entries.GetVersionHandler == nullptr) return;
  if (entries.GetVersionHandler() == 0) {
    slot.slot_state = HBA_SLOT_FAILED;
    return;
  }
  if (entries.LoadLibraryHandler == nullptr) return;
  slot.slot_state = entries.LoadLibraryHandler() == HBA_STATUS_OK ? HBA_SLOT_READY : HBA_SLOT_FAILED;
}

HbaLibrarySlot* ReadySlot(HBA_HANDLE handle, HBA_HANDLE* vendor_handle, HBA_STATUS* status) {
  uint32_t slot_number = 0;
  *status = HbaSplitHandle(handle, &slot_number, vendor_handle);
  return *status == HBA_STATUS_OK ? &g_slots[slot_number] : nullptr;
}

}  // namespace

HBA_STATUS HbaLoadLibraries() { return HbaLoadLibraries(FwPaths::kHbaConf); }

HBA_STATUS HbaLoadLibraries(const char* configuration_path) {
  if (configuration_path == nullptr) return HBA_STATUS_ERROR;
  // The argument may be HbaConfigurationPath() itself.
  const std::string path_copy = configuration_path;
  ConfigurationPath() = path_copy;
  FILE* file = std::fopen(path_copy.c_str(), "r");
  if (file == nullptr) return HBA_STATUS_ERROR;

  uint32_t slot_number = 0;
  char line[512];
  // Lines past the 32nd usable one find no slot and are ignored.
  while (slot_number < kHbaLibrarySlots && std::fgets(line, sizeof line, file) != nullptr) {
    if (line[0] == '#' || line[0] == '\n') continue;
    char* newline = std::strchr(line, '\n');
    if (newline != nullptr) *newline = '\0';

    char* separator = std::strchr(line, '\t');
    if (separator == nullptr) separator = std::strchr(line, ' ');
    if (separator == nullptr) continue;
    *separator = '\0';
    char* path = separator + 1;
    while (*path == ' ' || *path == '\t') ++path;
    if (line[0] == '\0' || *path == '\0') continue;

    for (char* p = path; *p != '\0'; ++p) {
      if (!IsPathCharacter(static_cast<unsigned char>(*p))) {
        *p = '\0';
        break;
      }
    }
    LoadSlot(g_slots[slot_number], line, path);
    ++slot_number;
  }
  std::fclose(file);
  return HBA_STATUS_OK;
}

const char* HbaConfigurationPath() { return ConfigurationPath().c_str(); }

uint32_t HbaEnumerateAdapters() {
  g_adapter_count = 0;
  for (uint32_t slot_number = 0; slot_number < kHbaLibrarySlots; ++slot_number) {
    const HbaLibrarySlot& slot = g_slots[slot_number];
    if (slot.slot_state != HBA_SLOT_READY || slot.entry_points.GetNumberOfAdaptersHandler == nullptr) continue;
    const int32_t count = static_cast<int32_t>(slot.entry_points.GetNumberOfAdaptersHandler());
    if (slot.entry_points.GetAdapterNameHandler == nullptr) continue;
    for (int32_t index = 0; index < count && index < kMaxIndicesPerLibrary; ++index) {
      if (g_adapter_count >= kHbaAdapterRows) return g_adapter_count;
      // The vendor gets a buffer it cannot overrun; the row takes 63 bytes.
      char name[256] = {};
      if (slot.entry_points.GetAdapterNameHandler(static_cast<HBA_UINT32>(index), name) != HBA_STATUS_OK)
        continue;
      name[sizeof name - 1] = '\0';
      HbaAdapterName& row = g_rows[g_adapter_count];
      CopyBounded(row.adapter_name, sizeof row.adapter_name, name);
      row.slot_number = slot_number;
      ++g_adapter_count;
    }
  }
  return g_adapter_count;
}

HBA_STATUS HbaGetAdapterName(uint32_t row, char* name) {
  if (row >= g_adapter_count) return HBA_STATUS_ERROR_ILLEGAL_INDEX;
  if (name == nullptr) return HBA_STATUS_ERROR_ARG;
  CopyBounded(name, sizeof g_rows[row].adapter_name, g_rows[row].adapter_name);
  return HBA_STATUS_OK;
}

void* HbaGetAdapterLibrary(uint32_t row, char* path) {
  if (row >= g_adapter_count) {
    if (path != nullptr) std::memset(path, 0, sizeof g_slots[0].library_path);
    return nullptr;
  }
  const HbaLibrarySlot& slot = g_slots[g_rows[row].slot_number];
  if (path != nullptr) std::memcpy(path, slot.library_path, sizeof slot.library_path);
  return slot.library_module;
}

HBA_HANDLE HbaOpenAdapterByName(const char* name) {
  if (name == nullptr) return 0;
  for (uint32_t row = 0; row < g_adapter_count; ++row) {
    if (std::strcmp(g_rows[row].adapter_name, name) != 0) continue;
    const uint32_t slot_number = g_rows[row].slot_number;
    const HbaLibrarySlot& slot = g_slots[slot_number];
    if (slot.slot_state != HBA_SLOT_READY || slot.entry_points.OpenAdapterHandler == nullptr) return 0;
    // The vendor's argument is not const; hand it a copy of its own.
    char vendor_name[256] = {};
    CopyBounded(vendor_name, sizeof vendor_name, g_rows[row].adapter_name);
    const HBA_HANDLE vendor_handle = slot.entry_points.OpenAdapterHandler(vendor_name);
    if (vendor_handle == 0) return 0;
    return (slot_number << 16) + (vendor_handle & 0xFFFFu);
  }
  return 0;
}

HBA_STATUS HbaSplitHandle(HBA_HANDLE handle, uint32_t* slot_number, HBA_HANDLE* vendor_handle) {
  const uint32_t slot = handle >> 16;
  if (slot >= kHbaLibrarySlots) return HBA_STATUS_ERROR_INVALID_HANDLE;
  if (g_slots[slot].slot_state != HBA_SLOT_READY) return HBA_STATUS_ERROR;
  if (slot_number != nullptr) *slot_number = slot;
  if (vendor_handle != nullptr) *vendor_handle = handle & 0xFFFFu;
  return HBA_STATUS_OK;
}

void HbaCloseAdapter(HBA_HANDLE handle) {
  HBA_HANDLE vendor = 0;
  HBA_STATUS status = HBA_STATUS_OK;
  HbaLibrarySlot* slot = ReadySlot(handle, &vendor, &status);
  if (slot != nullptr && slot->entry_points.CloseAdapterHandler != nullptr)
    slot->entry_points.CloseAdapterHandler(vendor);
}

// Every dispatch: split the handle, refuse an absent entry, call the library
// with its own handle.
#define HBA_DISPATCH(entry, ...)                                                 \
  HBA_HANDLE vendor = 0;                                                         \
  HBA_STATUS status = HBA_STATUS_OK;                                             \
  HbaLibrarySlot* slot = ReadySlot(handle, &vendor, &status);                    \
  if (slot == nullptr) return status;                                            \
  if (slot->entry_points.entry == nullptr) return HBA_STATUS_ERROR_NOT_SUPPORTED; \
  return slot->entry_points.entry(vendor, __VA_ARGS__)

HBA_STATUS HbaGetAdapterAttributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes) {
  HBA_DISPATCH(GetAdapterAttributesHandler, attributes);
}

HBA_STATUS HbaGetAdapterPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index,
                                       HBA_PORTATTRIBUTES* attributes) {
  HBA_DISPATCH(GetAdapterPortAttributesHandler, port_index, attributes);
}

HBA_STATUS HbaGetPortStatistics(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTSTATISTICS* statistics) {
  HBA_DISPATCH(GetPortStatisticsHandler, port_index, statistics);
}

HBA_STATUS HbaGetDiscoveredPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index,
                                          HBA_UINT32 discovered_index, HBA_PORTATTRIBUTES* attributes) {
  HBA_DISPATCH(GetDiscoveredPortAttributesHandler, port_index, discovered_index, attributes);
}

HBA_STATUS HbaGetPortAttributesByWWN(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_PORTATTRIBUTES* attributes) {
  HBA_DISPATCH(GetPortAttributesByWWNHandler, port_wwn, attributes);
}

HBA_STATUS HbaSendCTPassThru(HBA_HANDLE handle, void* request, HBA_UINT32 request_size, void* response,
                             HBA_UINT32 response_size) {
  HBA_DISPATCH(SendCTPassThruHandler, request, request_size, response, response_size);
}

HBA_STATUS HbaRefreshInformation(HBA_HANDLE handle) {
  HBA_HANDLE vendor = 0;
  HBA_STATUS status = HBA_STATUS_OK;
  HbaLibrarySlot* slot = ReadySlot(handle, &vendor, &status);
  if (slot == nullptr) return status;
  if (slot->entry_points.RefreshInformationHandler == nullptr) return HBA_STATUS_ERROR_NOT_SUPPORTED;
  slot->entry_points.RefreshInformationHandler(vendor);
  return HBA_STATUS_OK;
}

HBA_STATUS HbaResetStatistics(HBA_HANDLE handle, HBA_UINT32 port_index) {
  HBA_HANDLE vendor = 0;
  HBA_STATUS status = HBA_STATUS_OK;
  HbaLibrarySlot* slot = ReadySlot(handle, &vendor, &status);
  if (slot == nullptr) return status;
  if (slot->entry_points.ResetStatisticsHandler == nullptr) return HBA_STATUS_ERROR_NOT_SUPPORTED;
  slot->entry_points.ResetStatisticsHandler(vendor, port_index);
  return HBA_STATUS_OK;
}

HBA_STATUS HbaGetFcpTargetMapping(HBA_HANDLE handle, HBA_FCPTARGETMAPPING* mapping) {
  HBA_DISPATCH(GetFcpTargetMappingHandler, mapping);
}

HBA_STATUS HbaGetFcpPersistentBinding(HBA_HANDLE handle, HBA_FCPBINDING* binding) {
  HBA_DISPATCH(GetFcpPersistentBindingHandler, binding);
}

HBA_STATUS HbaGetEventBuffer(HBA_HANDLE handle, HBA_EVENTINFO* events, HBA_UINT32* count) {
  HBA_DISPATCH(GetEventBufferHandler, events, count);
}

HBA_STATUS HbaSetRNIDMgmtInfo(HBA_HANDLE handle, HBA_MGMTINFO* info) {
  HBA_DISPATCH(SetRNIDMgmtInfoHandler, info);
}

HBA_STATUS HbaGetRNIDMgmtInfo(HBA_HANDLE handle, HBA_MGMTINFO* info) {
  HBA_DISPATCH(GetRNIDMgmtInfoHandler, info);
}

HBA_STATUS HbaSendRNID(HBA_HANDLE handle, HBA_WWN wwn, HBA_WWNTYPE wwn_type, void* response,
                       HBA_UINT32* response_size) {
  HBA_DISPATCH(SendRNIDHandler, wwn, wwn_type, response, response_size);
}

HBA_STATUS HbaSendScsiInquiry(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_UINT64 fc_lun, HBA_UINT8 evpd,
                              HBA_UINT32 page_code, void* response, HBA_UINT32 response_size, void* sense,
                              HBA_UINT32 sense_size) {
  HBA_DISPATCH(ScsiInquiryHandler, port_wwn, fc_lun, evpd, page_code, response, response_size, sense,
               sense_size);
}

HBA_STATUS HbaSendReportLUNs(HBA_HANDLE handle, HBA_WWN port_wwn, void* response, HBA_UINT32 response_size,
                             void* sense, HBA_UINT32 sense_size) {
  HBA_DISPATCH(ReportLUNsHandler, port_wwn, response, response_size, sense, sense_size);
}

HBA_STATUS HbaSendReadCapacity(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_UINT64 fc_lun, void* response,
                               HBA_UINT32 response_size, void* sense, HBA_UINT32 sense_size) {
  HBA_DISPATCH(ReadCapacityHandler, port_wwn, fc_lun, response, response_size, sense, sense_size);
}

#undef HBA_DISPATCH

HBA_STATUS HbaReleaseLibraries() {
  for (HbaLibrarySlot& slot : g_slots) {
    if (slot.slot_state != HBA_SLOT_READY) continue;
    if (slot.entry_points.FreeLibraryHandler != nullptr) slot.entry_points.FreeLibraryHandler();
    if (slot.library_module != nullptr) dlclose(slot.library_module);
    // The module is gone; nobody may look symbols up in it any more.
    slot.library_module = nullptr;
    slot.slot_state = HBA_SLOT_FAILED;
  }
  return HBA_STATUS_OK;
}

HBA_UINT32 HbaGetVersion() { return 1; }

void TrimAttributeText(char* text) {
  if (text == nullptr || text[0] == '\0') return;
  size_t length = std::strlen(text);
  while (length > 1) {
    const unsigned char last = static_cast<unsigned char>(text[length - 1]);
    if (last >= '!' && last <= '}') break;
    --length;
  }
  text[length] = '\0';
  size_t out = 0;
  for (size_t in = 0; in < length; ++in) {
    if (text[in] == ' ' && out > 0 && text[out - 1] == ' ') continue;
    text[out++] = text[in];
  }
  text[out] = '\0';
}

const HbaLibrarySlot* HbaGetLibrarySlot(uint32_t slot_number) {
  return slot_number < kHbaLibrarySlots ? &g_slots[slot_number] : nullptr;
}

uint32_t HbaGetAdapterCount() { return g_adapter_count; }
