#pragma once
// The simulated vendor library behind the exported entry points. One copy is
// installed under every library file name a scenario uses; each copy finds
// out which file it was loaded as and serves the adapters the host state
// assigns to that file.
#include "hba/HbaApi.h"

namespace FakeHba {

HBA_UINT32 GetVersion();
HBA_STATUS LoadLibrary();
HBA_STATUS FreeLibrary();
HBA_UINT32 GetNumberOfAdapters();
HBA_STATUS GetAdapterName(HBA_UINT32 index, char* name);
HBA_HANDLE OpenAdapter(char* name);
void CloseAdapter(HBA_HANDLE handle);
HBA_STATUS GetAdapterAttributes(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes);
HBA_STATUS GetAdapterPortAttributes(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTATTRIBUTES* attributes);
HBA_STATUS GetPortStatistics(HBA_HANDLE handle, HBA_UINT32 port_index, HBA_PORTSTATISTICS* statistics);

// Fills the table the way a vendor library does; entries the host state
// names under "omit_entry_points" stay null. Returns the configured status.
HBA_STATUS RegisterLibrary(HBA_ENTRYPOINTS* entry_points);

int ExtLoadLibrary();
int32_t ExtGetNumberOfAdapters();
int ExtGetAdapterName(HBA_UINT32 index, char* name);
HBA_UINT32 ExtOpenAdapter(char* name);
int ExtGetAdapterAttributes2(HBA_UINT32 handle, ExtendedAdapterAttributes* attributes);
void ExtCloseAdapter(HBA_UINT32 handle);
int ExtFreeLibrary();

}  // namespace FakeHba
