// A vendor library for the unit tests, answering the HBA API and the
// extension set. Its behaviour is chosen when it is built (compile
// definitions below); calls are appended to the file named by TV_TRACE
// when that is set, one line each, so tests see what was called in which
// order even across unloads.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hba/HbaApi.h"

#ifndef TV_NAME
#define TV_NAME "qlogic-tv"
#endif
#ifndef TV_ADAPTERS
#define TV_ADAPTERS 2
#endif
#ifndef TV_PORTS
#define TV_PORTS 2
#endif
#ifndef TV_WWN_HI
#define TV_WWN_HI 0x20
#endif
#ifndef TV_NAME_FAIL_INDEX
#define TV_NAME_FAIL_INDEX -1
#endif
#ifndef TV_PORT_FAIL_INDEX
#define TV_PORT_FAIL_INDEX -1
#endif
#ifndef TV_STATS_FAIL_INDEX
#define TV_STATS_FAIL_INDEX -1
#endif
#ifndef TV_EXT_DECOYS
#define TV_EXT_DECOYS 0
#endif
#ifndef TV_EXT_OMIT
#define TV_EXT_OMIT 0  // 1..7: the extension entry left out, in lookup order
#endif
#ifndef TV_EXT_FAIL_INDEX
#define TV_EXT_FAIL_INDEX -1  // extension index whose step fails (see TV_EXT_FAIL_STEP)
#endif
#ifndef TV_EXT_FAIL_STEP
#define TV_EXT_FAIL_STEP 0  // 1 name, 2 open, 3 attributes
#endif

// Which of these a library exports depends on its build; unused ones are fine.
namespace {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

void Trace(const char* format, ...) {
  const char* path = std::getenv("TV_TRACE");
  if (path == nullptr || *path == '\0') return;
  FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  std::fprintf(file, "%s ", TV_NAME);
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}

constexpr int kAdapters = TV_ADAPTERS;
constexpr int kDecoys = TV_EXT_DECOYS;
// Registry handles carry junk in the high half: only the low 16 bits are ours.
constexpr HBA_UINT32 kOpenBase = 0xAB0100;
constexpr HBA_UINT32 kExtOpenBase = 0x200;

void NodeWwn(int index, HBA_WWN& wwn) {
  const HBA_UINT8 bytes[8] = {TV_WWN_HI, 0x00, 0x00, 0xE0, 0x8B, 0x01, 0x02, static_cast<HBA_UINT8>(0x03 + index)};
  std::memcpy(wwn.wwn, bytes, 8);
}

void AdapterName(int index, char* name, size_t size) {
#ifdef TV_LONG_NAMES
  // Fills the whole buffer without a terminator.
  (void)index;
  std::memset(name, 'L', size);
#else
  std::snprintf(name, size, "%s-%d", TV_NAME, index);
#endif
}

// Adapter index of a handle the registry passed back, -1 when not ours.
int AdapterOfHandle(HBA_HANDLE handle) {
  const int index = static_cast<int>(handle) - static_cast<int>(kOpenBase & 0xFFFF);
  return index >= 0 && index < kAdapters && index < 64 ? index : -1;
}

[[maybe_unused]] HBA_UINT32 GetVersion() {
  Trace("version");
#ifdef TV_VERSION_ZERO
  return 0;
#else
  return 2;
#endif
}

[[maybe_unused]] HBA_STATUS LoadLibrary() {
  Trace("load");
#ifdef TV_LOAD_FAILS
  return HBA_STATUS_ERROR;
#else
  return HBA_STATUS_OK;
#endif
}

[[maybe_unused]] HBA_STATUS FreeLibrary() {
  Trace("free");
  return HBA_STATUS_OK;
}

[[maybe_unused]] HBA_UINT32 GetNumberOfAdapters() { return static_cast<HBA_UINT32>(kAdapters); }

[[maybe_unused]] HBA_STATUS GetAdapterName(HBA_UINT32 index, char* name) {
  if (static_cast<int>(index) == TV_NAME_FAIL_INDEX) return HBA_STATUS_ERROR;
  AdapterName(static_cast<int>(index), name, 256);
  return HBA_STATUS_OK;
}

[[maybe_unused]] HBA_HANDLE OpenAdapter(char* name) {
  Trace("open %s", name);
  for (int index = 0; index < kAdapters && index < 64; ++index) {
    char expected[256];
    AdapterName(index, expected, sizeof expected);
    if (std::strncmp(expected, name, 63) == 0) return kOpenBase + static_cast<HBA_UINT32>(index);
  }
  return 0;
}

[[maybe_unused]] void CloseAdapter(HBA_HANDLE handle) { Trace("close 0x%x", handle); }

[[maybe_unused]] HBA_STATUS GetAdapterAttributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes) {
  const int index = AdapterOfHandle(handle);
  if (index < 0) return HBA_STATUS_ERROR_INVALID_HANDLE;
#ifdef TV_ATTR_FAILS
  return HBA_STATUS_ERROR;
#endif
  std::memset(attributes, 0, sizeof *attributes);
  std::snprintf(attributes->Manufacturer, sizeof attributes->Manufacturer, "Maker   Corp  ");
  // Filled to the last byte without a terminator.
  std::memset(attributes->SerialNumber, 'S', sizeof attributes->SerialNumber);
  std::snprintf(attributes->Model, sizeof attributes->Model, "Model %d ", index);
  std::snprintf(attributes->ModelDescription, sizeof attributes->ModelDescription, "Dual  port\t adapter\r\n");
  NodeWwn(index, attributes->NodeWWN);
  std::snprintf(attributes->NodeSymbolicName, sizeof attributes->NodeSymbolicName, "node %d ", index);
  std::snprintf(attributes->HardwareVersion, sizeof attributes->HardwareVersion, "HW1~");
  std::snprintf(attributes->DriverVersion, sizeof attributes->DriverVersion, "8.03.07 ");
  std::snprintf(attributes->OptionROMVersion, sizeof attributes->OptionROMVersion, "2.02 \n");
  std::snprintf(attributes->FirmwareVersion, sizeof attributes->FirmwareVersion, "5.06.0%d", index);
  attributes->VendorSpecificID = 0x56781abcu;
  attributes->NumberOfPorts = TV_PORTS;
  std::snprintf(attributes->DriverName, sizeof attributes->DriverName, "drv");
  return HBA_STATUS_OK;
}

[[maybe_unused]] HBA_STATUS GetAdapterPortAttributes(HBA_HANDLE handle, HBA_UINT32 port, HBA_PORTATTRIBUTES* attributes) {
  const int index = AdapterOfHandle(handle);
  if (index < 0) return HBA_STATUS_ERROR_INVALID_HANDLE;
  if (static_cast<int>(port) == TV_PORT_FAIL_INDEX) return HBA_STATUS_ERROR;
  std::memset(attributes, 0, sizeof *attributes);
  NodeWwn(index, attributes->NodeWWN);
  NodeWwn(index, attributes->PortWWN);
  attributes->PortWWN.wwn[0] = 0x21;
  attributes->PortWWN.wwn[1] = static_cast<HBA_UINT8>(port);
  attributes->PortFcId = 0x010200u + port;
  attributes->PortType = 5;
  attributes->PortState = 2;
  attributes->PortSupportedFc4Types.bits[2] = 1;
  attributes->PortActiveFc4Types.bits[3] = 1;
  std::snprintf(attributes->PortSymbolicName, sizeof attributes->PortSymbolicName, "port %u", port);
  std::memset(attributes->OSDeviceName, 'D', sizeof attributes->OSDeviceName);
  attributes->PortSupportedSpeed = 0x1a;
  attributes->PortSpeed = 0x10;
  attributes->PortMaxFrameSize = 2048;
  attributes->FabricName.wwn[0] = 0x10;
  attributes->FabricName.wwn[7] = 0xFF;
  return HBA_STATUS_OK;
}

[[maybe_unused]] HBA_STATUS GetPortStatistics(HBA_HANDLE handle, HBA_UINT32 port, HBA_PORTSTATISTICS* statistics) {
  if (AdapterOfHandle(handle) < 0) return HBA_STATUS_ERROR_INVALID_HANDLE;
  if (static_cast<int>(port) == TV_STATS_FAIL_INDEX) return HBA_STATUS_ERROR;
  HBA_INT64* counters = &statistics->SecondsSinceLastReset;
  for (int i = 0; i < 15; ++i) counters[i] = 100 + i;
  statistics->LIPCount = -1;  // not available
  return HBA_STATUS_OK;
}

[[maybe_unused]] HBA_STATUS GetDiscoveredPortAttributes(HBA_HANDLE handle, HBA_UINT32, HBA_UINT32, HBA_PORTATTRIBUTES*) {
  Trace("discovered 0x%x", handle);
  return 0x77;
}

// Extension record of an adapter: the registry's adapters first, then the
// decoys with other node WWNs.
[[maybe_unused]] void ExtendedRecord(int ext_index, ExtendedAdapterAttributes* record) {
  std::memset(record, 0, sizeof *record);
  const bool decoy = ext_index < kDecoys;
  const int index = decoy ? ext_index : ext_index - kDecoys;
  NodeWwn(index, record->attributes.NodeWWN);
  if (decoy) record->attributes.NodeWWN.wwn[1] = 0xEE;
  record->pci_subsystem = (static_cast<HBA_UINT32>(0x0100 + index) << 16) | 0x1077u;
  record->pci_bus = static_cast<HBA_UINT8>(5 + index);
  record->pci_function = 1;
  record->pci_domain = static_cast<HBA_UINT8>(decoy ? 9 : 0);
}

}  // namespace

extern "C" {

#ifndef TV_NO_REGISTER
__attribute__((visibility("default"))) HBA_STATUS HBA_RegisterLibrary(HBA_ENTRYPOINTS* entries) {
  Trace("register");
#ifdef TV_REGISTER_FAILS
  return HBA_STATUS_ERROR;
#endif
  entries->GetVersionHandler = GetVersion;
  entries->LoadLibraryHandler = LoadLibrary;
  entries->FreeLibraryHandler = FreeLibrary;
  entries->GetNumberOfAdaptersHandler = GetNumberOfAdapters;
  entries->GetAdapterNameHandler = GetAdapterName;
#ifndef TV_NO_OPEN
  entries->OpenAdapterHandler = OpenAdapter;
#endif
  entries->CloseAdapterHandler = CloseAdapter;
  entries->GetAdapterAttributesHandler = GetAdapterAttributes;
  entries->GetAdapterPortAttributesHandler = GetAdapterPortAttributes;
  entries->GetPortStatisticsHandler = GetPortStatistics;
  entries->GetDiscoveredPortAttributesHandler = GetDiscoveredPortAttributes;
  return HBA_STATUS_OK;
}
#endif

#ifndef TV_NO_EXTENSION
#if TV_EXT_OMIT != 1
__attribute__((visibility("default"))) int QMXFC_LoadLibrary() {
  Trace("ext-load");
#ifdef TV_EXT_LOAD_FAILS
  return 1;
#else
  return 0;
#endif
}
#endif
#if TV_EXT_OMIT != 2
__attribute__((visibility("default"))) int32_t QMXFC_GetNumberOfAdapters() { return kAdapters + kDecoys; }
#endif
#if TV_EXT_OMIT != 3
__attribute__((visibility("default"))) int QMXFC_GetAdapterName(HBA_UINT32 index, char* name) {
  if (static_cast<int>(index) == TV_EXT_FAIL_INDEX && TV_EXT_FAIL_STEP == 1) return 1;
  std::snprintf(name, 1024, "ext-%u", index);
  return 0;
}
#endif
#if TV_EXT_OMIT != 4
__attribute__((visibility("default"))) HBA_UINT32 QMXFC_OpenAdapter(char* name) {
  Trace("ext-open %s", name);
  unsigned index = 0;
  if (std::sscanf(name, "ext-%u", &index) != 1) return 0;
  if (static_cast<int>(index) == TV_EXT_FAIL_INDEX && TV_EXT_FAIL_STEP == 2) return 0;
  return kExtOpenBase + index;
}
#endif
#if TV_EXT_OMIT != 5
__attribute__((visibility("default"))) int QMXFC_GetAdapterAttributes2(HBA_UINT32 handle,
                                                                       ExtendedAdapterAttributes* record) {
  Trace("ext-attr 0x%x", handle);
  if (handle >= kExtOpenBase && handle < kExtOpenBase + 0x100) {
    const int ext_index = static_cast<int>(handle - kExtOpenBase);
    if (ext_index == TV_EXT_FAIL_INDEX && TV_EXT_FAIL_STEP == 3) return 0x1f;
    ExtendedRecord(ext_index, record);
    return 0;
  }
  // A handle the registry handed out: the adapter of that index.
  const int index = AdapterOfHandle(handle);
  if (index < 0 || index == TV_EXT_FAIL_INDEX) return 0x1f;
  ExtendedRecord(index + kDecoys, record);
  return 0;
}
#endif
#if TV_EXT_OMIT != 6
__attribute__((visibility("default"))) void QMXFC_CloseAdapter(HBA_UINT32 handle) {
  Trace("ext-close 0x%x", handle);
}
#endif
#if TV_EXT_OMIT != 7
__attribute__((visibility("default"))) int QMXFC_FreeLibrary() {
  Trace("ext-free");
  return 0;
}
#endif
#endif  // TV_NO_EXTENSION

}  // extern "C"
