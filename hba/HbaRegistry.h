#pragma once
// Process-wide registry of the HBA API vendor libraries named in the library
// configuration file: loads them, collects their adapter names and forwards
// calls made with registry handles to the library that owns the adapter.
// Registry handle: slot number in the upper 16 bits, the low 16 bits of the
// vendor's adapter handle below; 0 means no handle.
#include <cstdint>

#include "hba/HbaApi.h"

inline constexpr uint32_t kHbaLibrarySlots = 32;
inline constexpr uint32_t kHbaAdapterRows = 64;

enum : int32_t {
  HBA_SLOT_NEVER_LOADED = 0,
  HBA_SLOT_READY = 1,
  HBA_SLOT_FAILED = 2,  // failed to load, or released
};

struct HbaLibrarySlot {
  char library_name[64];
  char library_path[256];
  void* library_module;
  HBA_ENTRYPOINTS entry_points;
  int32_t slot_state;
};

struct HbaAdapterName {
  char adapter_name[64];
  uint32_t slot_number;
};

// Loads every library of the configuration file into slots 0, 1, ... in file
// order. 1 when the file cannot be opened (nothing changes), otherwise 0.
HBA_STATUS HbaLoadLibraries();
HBA_STATUS HbaLoadLibraries(const char* configuration_path);
// The configuration file of the last load (the fixed one before any load);
// a reload after a release reads the same file.
const char* HbaConfigurationPath();

// Rebuilds the adapter name table from the ready libraries; the new count.
uint32_t HbaEnumerateAdapters();
// Copies the row's name into name (at least 64 bytes); 6 for a row not in
// the table.
HBA_STATUS HbaGetAdapterName(uint32_t row, char* name);
// Module of the library that named the row; its whole 256-byte path goes
// into path. A row not in the table gives null and an empty path.
void* HbaGetAdapterLibrary(uint32_t row, char* path);
HBA_HANDLE HbaOpenAdapterByName(const char* name);
HBA_STATUS HbaSplitHandle(HBA_HANDLE handle, uint32_t* slot_number, HBA_HANDLE* vendor_handle);
void HbaCloseAdapter(HBA_HANDLE handle);

// Dispatch: 3 for a slot number of 32 or more, 1 for a slot that is not
// ready, 2 when the library lacks the entry, otherwise the library's result.
HBA_STATUS HbaGetAdapterAttributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes);
HBA_STATUS HbaGetAdapterPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index,
                                       HBA_PORTATTRIBUTES* attributes);
HBA_STATUS HbaGetPortStatistics(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTSTATISTICS* statistics);
HBA_STATUS HbaGetDiscoveredPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index,
                                          HBA_UINT32 discovered_index, HBA_PORTATTRIBUTES* attributes);
HBA_STATUS HbaGetPortAttributesByWWN(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_PORTATTRIBUTES* attributes);
HBA_STATUS HbaSendCTPassThru(HBA_HANDLE handle, void* request, HBA_UINT32 request_size, void* response,
                             HBA_UINT32 response_size);
// The library entries return nothing; the result is the split status, 2
// for an absent entry, else 0.
HBA_STATUS HbaRefreshInformation(HBA_HANDLE handle);
HBA_STATUS HbaResetStatistics(HBA_HANDLE handle, HBA_UINT32 port_index);
HBA_STATUS HbaGetFcpTargetMapping(HBA_HANDLE handle, HBA_FCPTARGETMAPPING* mapping);
HBA_STATUS HbaGetFcpPersistentBinding(HBA_HANDLE handle, HBA_FCPBINDING* binding);
HBA_STATUS HbaGetEventBuffer(HBA_HANDLE handle, HBA_EVENTINFO* events, HBA_UINT32* count);
HBA_STATUS HbaSetRNIDMgmtInfo(HBA_HANDLE handle, HBA_MGMTINFO* info);
HBA_STATUS HbaGetRNIDMgmtInfo(HBA_HANDLE handle, HBA_MGMTINFO* info);
HBA_STATUS HbaSendRNID(HBA_HANDLE handle, HBA_WWN wwn, HBA_WWNTYPE wwn_type, void* response,
                       HBA_UINT32* response_size);
HBA_STATUS HbaSendScsiInquiry(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_UINT64 fc_lun, HBA_UINT8 evpd,
                              HBA_UINT32 page_code, void* response, HBA_UINT32 response_size, void* sense,
                              HBA_UINT32 sense_size);
HBA_STATUS HbaSendReportLUNs(HBA_HANDLE handle, HBA_WWN port_wwn, void* response, HBA_UINT32 response_size,
                             void* sense, HBA_UINT32 sense_size);
HBA_STATUS HbaSendReadCapacity(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_UINT64 fc_lun, void* response,
                               HBA_UINT32 response_size, void* sense, HBA_UINT32 sense_size);

// Frees and unloads every ready library; slots end in state 2. Always 0.
HBA_STATUS HbaReleaseLibraries();
HBA_UINT32 HbaGetVersion();

// Drops trailing characters outside '!'..'}' (never the first character),
// then collapses runs of spaces into one space. In place.
void TrimAttributeText(char* text);

// Read access to the tables, for diagnostics and tests.
const HbaLibrarySlot* HbaGetLibrarySlot(uint32_t slot_number);  // null for 32 or more
uint32_t HbaGetAdapterCount();
