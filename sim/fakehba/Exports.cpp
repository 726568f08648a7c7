// Exported C entry points of the simulated vendor library. Built several
// times: variants leave out HBA_RegisterLibrary, the whole extension set or
// one extension entry, so loaders can be tried against incomplete libraries.
#include "sim/fakehba/FakeHbaCore.h"

#define FAKEHBA_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef FAKEHBA_OMIT_HBA_RegisterLibrary
FAKEHBA_EXPORT HBA_STATUS HBA_RegisterLibrary(HBA_ENTRYPOINTS* entry_points) {
  return FakeHba::RegisterLibrary(entry_points);
}
#endif

#if !defined(FAKEHBA_OMIT_extension) && !defined(FAKEHBA_OMIT_QMXFC_LoadLibrary)
FAKEHBA_EXPORT int QMXFC_LoadLibrary() { return FakeHba::ExtLoadLibrary(); }
#endif
#if !defined(FAKEHBA_OMIT_extension) && !defined(FAKEHBA_OMIT_QMXFC_GetNumberOfAdapters)
FAKEHBA_EXPORT int32_t QMXFC_GetNumberOfAdapters() { return FakeHba::ExtGetNumberOfAdapters(); }
#endif
#if !defined(FAKEHBA_OMIT_extension) && !defined(FAKEHBA_OMIT_QMXFC_GetAdapterName)
FAKEHBA_EXPORT int QMXFC_GetAdapterName(HBA_UINT32 index, char* name) {
  return FakeHba::ExtGetAdapterName(index, name);
}
#endif
#if !defined(FAKEHBA_OMIT_extension) && !defined(FAKEHBA_OMIT_QMXFC_OpenAdapter)
FAKEHBA_EXPORT HBA_UINT32 QMXFC_OpenAdapter(char* name) { return FakeHba::ExtOpenAdapter(name); }
#endif
#if !defined(FAKEHBA_OMIT_extension) && !defined(FAKEHBA_OMIT_QMXFC_GetAdapterAttributes2)
FAKEHBA_EXPORT int QMXFC_GetAdapterAttributes2(HBA_UINT32 handle, ExtendedAdapterAttributes* attributes) {
  return FakeHba::ExtGetAdapterAttributes2(handle, attributes);
}
#endif
#if !defined(FAKEHBA_OMIT_extension) && !defined(FAKEHBA_OMIT_QMXFC_CloseAdapter)
FAKEHBA_EXPORT void QMXFC_CloseAdapter(HBA_UINT32 handle) { FakeHba::ExtCloseAdapter(handle); }
#endif
#if !defined(FAKEHBA_OMIT_extension) && !defined(FAKEHBA_OMIT_QMXFC_FreeLibrary)
FAKEHBA_EXPORT int QMXFC_FreeLibrary() { return FakeHba::ExtFreeLibrary(); }
#endif
