// The vendor extension loader: an adapter's PCI subsystem value and PCI
// location through the vendor library's extended attribute entry point.
#include "hba/VendorExtension.h"

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "framework/Paths.h"
#include "hba/DynamicSymbol.h"
#include "hba/FcHbaAdapter.h"
#include "hba/HbaRegistry.h"

namespace {

// Entry found by the last LocateExtension, null included.
QMXFCGetAdapterAttributes2Func g_extended_attributes_entry = nullptr;

ExtensionLibraryFiles FixedFiles(const char* const (&paths)[3]) { return {paths[0], paths[1], paths[2]}; }

// Made on first use, not before main: an allocation that fails there could
// not be reported.
std::array<ExtensionLibraryFiles, 3>& Files() {
  static std::array<ExtensionLibraryFiles, 3> files = {FixedFiles(FwPaths::kQLogicLibraries),
                                                       FixedFiles(FwPaths::kEmulexLibraries),
                                                       FixedFiles(FwPaths::kBrocadeLibraries)};
  return files;
}

size_t VendorIndex(ExtensionVendor vendor) {
  switch (vendor) {
    case ExtensionVendor::QLogic: return 0;
    case ExtensionVendor::Emulex: return 1;
    case ExtensionVendor::Brocade: return 2;
  }
  return 2;
}

bool SameWwn(const HBA_WWN& a, const HBA_WWN& b) { return std::memcmp(a.wwn, b.wwn, sizeof a.wwn) == 0; }

void CopyLocation(const ExtendedAdapterAttributes& record, uint32_t& pci_subsystem, uint8_t& pci_bus,
                  uint8_t& pci_function, uint8_t& pci_domain) {
  pci_subsystem = record.pci_subsystem;
  pci_bus = record.pci_bus;
  pci_function = record.pci_function;
  pci_domain = record.pci_domain;
}

// The extension library that SearchVendorExtension loaded by itself.
struct ExtensionSet {
  QMXFCLoadLibraryFunc load_library;
  QMXFCGetNumberOfAdaptersFunc get_number_of_adapters;
  QMXFCGetAdapterNameFunc get_adapter_name;
  QMXFCOpenAdapterFunc open_adapter;
  QMXFCGetAdapterAttributes2Func get_adapter_attributes2;
  QMXFCCloseAdapterFunc close_adapter;
  QMXFCFreeLibraryFunc free_library;
};

// Looks the set up in its fixed order; the name of the first missing entry,
// or null when all are there.
const char* LookUpExtensionSet(void* module, ExtensionSet& set) {
  if (!(set.load_library = LookUpSymbol<QMXFCLoadLibraryFunc>(module, "QMXFC_LoadLibrary")))
    return "QMXFC_LoadLibrary";
  if (!(set.get_number_of_adapters =
            LookUpSymbol<QMXFCGetNumberOfAdaptersFunc>(module, "QMXFC_GetNumberOfAdapters")))
    return "QMXFC_GetNumberOfAdapters";
  if (!(set.get_adapter_name = LookUpSymbol<QMXFCGetAdapterNameFunc>(module, "QMXFC_GetAdapterName")))
    return "QMXFC_GetAdapterName";
  if (!(set.open_adapter = LookUpSymbol<QMXFCOpenAdapterFunc>(module, "QMXFC_OpenAdapter")))
    return "QMXFC_OpenAdapter";
  if (!(set.get_adapter_attributes2 =
            LookUpSymbol<QMXFCGetAdapterAttributes2Func>(module, "QMXFC_GetAdapterAttributes2")))
    return "QMXFC_GetAdapterAttributes2";
  if (!(set.close_adapter = LookUpSymbol<QMXFCCloseAdapterFunc>(module, "QMXFC_CloseAdapter")))
    return "QMXFC_CloseAdapter";
  if (!(set.free_library = LookUpSymbol<QMXFCFreeLibraryFunc>(module, "QMXFC_FreeLibrary")))
    return "QMXFC_FreeLibrary";
  return nullptr;
}

// Walks the extension's adapters; the library is loaded and stays so.
int FindByNodeWwn(const ExtensionSet& set, const HBA_WWN& node_wwn, char* name, uint32_t& pci_subsystem,
                  uint8_t& pci_bus, uint8_t& pci_function, uint8_t& pci_domain, char* message) {
  const int32_t count = set.get_number_of_adapters();
  for (int32_t index = 0; index < count; ++index) {
    if (set.get_adapter_name(static_cast<HBA_UINT32>(index), name) != 0) {
      std::snprintf(message, kExtensionMessageSize, "fail to get adapter number");
      return kExtensionNameFailed;
    }
    name[kExtensionNameSize - 1] = '\0';
    const HBA_UINT32 handle = set.open_adapter(name);
    if (handle == 0) {
      std::snprintf(message, kExtensionMessageSize, "fail to open adapter");
      return kExtensionOpenFailed;
    }
    ExtendedAdapterAttributes record;
    std::memset(&record, 0, sizeof record);
    const int status = set.get_adapter_attributes2(handle, &record);
    if (status != 0) {
      set.close_adapter(handle);
      std::snprintf(message, kExtensionMessageSize,
                    "fail to read adapter attribs, adapterHandle 0x%x, retStatus 0x%x", handle,
                    static_cast<unsigned>(status));
      return kExtensionReadFailed;
    }
    if (SameWwn(record.attributes.NodeWWN, node_wwn)) {
      CopyLocation(record, pci_subsystem, pci_bus, pci_function, pci_domain);
      set.close_adapter(handle);
      return kExtensionFound;
    }
    set.close_adapter(handle);
  }
  std::snprintf(message, kExtensionMessageSize, "could not find WWNN match");
  return kExtensionNoMatch;
}

}  // namespace

ExtensionVendor PickExtensionVendor(const char* adapter_name) {
  if (adapter_name == nullptr) return ExtensionVendor::Brocade;
  if (std::strstr(adapter_name, "qlogic") != nullptr) return ExtensionVendor::QLogic;
  if (std::strstr(adapter_name, "Emulex") != nullptr) return ExtensionVendor::Emulex;
  return ExtensionVendor::Brocade;
}

const char* ExtensionLibraryStem(ExtensionVendor vendor) {
  switch (vendor) {
    case ExtensionVendor::QLogic: return "libqlsdm";
    case ExtensionVendor::Emulex: return "libemsdm";
    case ExtensionVendor::Brocade: return "bfahbaapi";
  }
  return "bfahbaapi";
}

void SetExtensionLibraryFiles(ExtensionVendor vendor, const ExtensionLibraryFiles& files) {
  Files()[VendorIndex(vendor)] = files;
}

void ResetExtensionLibraryFiles() {
  Files() = {FixedFiles(FwPaths::kQLogicLibraries), FixedFiles(FwPaths::kEmulexLibraries),
             FixedFiles(FwPaths::kBrocadeLibraries)};
}

ExtensionLibraryFiles GetExtensionLibraryFiles(ExtensionVendor vendor) { return Files()[VendorIndex(vendor)]; }

int LocateExtension(const char* adapter_name, const char* library_path, void* library_module, char* message,
                    int& status) {
  const char* stem = ExtensionLibraryStem(PickExtensionVendor(adapter_name));
  if (library_path == nullptr || std::strstr(library_path, stem) == nullptr) return 0;
  char scratch[kExtensionMessageSize];
  if (message == nullptr) message = scratch;
  if (library_module == nullptr) {
    status = 1;
    std::snprintf(message, kExtensionMessageSize, "libHandle is NULL; cannot dlsym");
    return 1;
  }
  g_extended_attributes_entry =
      LookUpSymbol<QMXFCGetAdapterAttributes2Func>(library_module, "QMXFC_GetAdapterAttributes2");
  if (g_extended_attributes_entry == nullptr) {
    status = 1;
    std::snprintf(message, kExtensionMessageSize, "unable to dlsym for QMXFC_GetAdapterAttributes2");
  } else {
    status = 0;
    std::snprintf(message, kExtensionMessageSize, "dlsym for QMXFC_GetAdapterAttributes2 success!");
  }
  return 1;
}

int ReadExtensionThroughRegistry(const HBA_WWN& node_wwn, uint32_t& pci_subsystem, uint8_t& pci_bus,
                                 uint8_t& pci_function, uint8_t& pci_domain, char* message,
                                 HBA_HANDLE registry_handle) {
  char scratch[kExtensionMessageSize];
  if (message == nullptr) message = scratch;
  const HBA_UINT32 vendor_handle = registry_handle & 0xFFFFu;
  // Without a located entry there is nothing to call: a failed read.
  if (g_extended_attributes_entry == nullptr) {
    std::snprintf(message, kExtensionMessageSize,
                  "fail to read adapter attribs: handle used is 0x%x: retStatus is 0x%x", vendor_handle,
                  static_cast<unsigned>(HBA_STATUS_ERROR_NOT_SUPPORTED));
    return kExtensionReadFailed;
  }
  ExtendedAdapterAttributes record;
  std::memset(&record, 0, sizeof record);
  const int status = g_extended_attributes_entry(vendor_handle, &record);
  if (status != 0) {
    std::snprintf(message, kExtensionMessageSize,
                  "fail to read adapter attribs: handle used is 0x%x: retStatus is 0x%x", vendor_handle,
                  static_cast<unsigned>(status));
    return kExtensionReadFailed;
  }
  if (SameWwn(record.attributes.NodeWWN, node_wwn)) {
    CopyLocation(record, pci_subsystem, pci_bus, pci_function, pci_domain);
    std::snprintf(message, kExtensionMessageSize, "read adapter attribs Success! handle used is 0x%x",
                  vendor_handle);
  }
  return kExtensionFound;
}

int SearchVendorExtension(const HBA_WWN& node_wwn, char* name, uint32_t& pci_subsystem, uint8_t& pci_bus,
                          uint8_t& pci_function, uint8_t& pci_domain, char* message) {
  return SearchVendorExtension(node_wwn, name, pci_subsystem, pci_bus, pci_function, pci_domain, message,
                               GetExtensionLibraryFiles(PickExtensionVendor(name)));
}

int SearchVendorExtension(const HBA_WWN& node_wwn, char* name, uint32_t& pci_subsystem, uint8_t& pci_bus,
                          uint8_t& pci_function, uint8_t& pci_domain, char* message,
                          const ExtensionLibraryFiles& files) {
  char scratch[kExtensionMessageSize];
  if (message == nullptr) message = scratch;
  std::snprintf(message, kExtensionMessageSize, "pass");
  if (name == nullptr) {
    std::snprintf(message, kExtensionMessageSize, "fail to get adapter number");
    return kExtensionNameFailed;
  }
  name[kExtensionNameSize - 1] = '\0';

  const ExtensionVendor vendor = PickExtensionVendor(name);
  void* module = nullptr;
  for (const std::string& file : files) {
    if (file.empty()) continue;
    module = dlopen(file.c_str(), RTLD_LAZY);
    if (module != nullptr) break;
  }
  if (module == nullptr) {
    const char* text = vendor == ExtensionVendor::QLogic   ? "unable to load qlsdm"
                       : vendor == ExtensionVendor::Emulex ? "unable to load emsdm"
                                                           : "unable to load bfahbaapi";
    std::snprintf(message, kExtensionMessageSize, "%s", text);
    return kExtensionNoLibrary;
  }

  ExtensionSet set{};
  if (const char* missing = LookUpExtensionSet(module, set)) {
    std::snprintf(message, kExtensionMessageSize, "unable to dlsym for %s", missing);
    dlclose(module);
    return kExtensionEntryMissing;
  }
  if (set.load_library() != 0) {
    std::snprintf(message, kExtensionMessageSize, "fail to load library");
    dlclose(module);
    return kExtensionLoadRefused;
  }
  const int result =
      FindByNodeWwn(set, node_wwn, name, pci_subsystem, pci_bus, pci_function, pci_domain, message);
  set.free_library();
  dlclose(module);
  return result;
}

void FcHbaAdapter::ReadExtendedAttributes() {
  char name[kExtensionNameSize] = {};
  std::snprintf(name, sizeof name, "%s", adapter_name.c_str());
  char path[256] = {};
  void* module = HbaGetAdapterLibrary(name_row, path);
  path[sizeof path - 1] = '\0';
  // Filled for diagnostics only; nobody shows it.
  char message[kExtensionMessageSize] = {};
  int status = 0;

  if (LocateExtension(name, path, module, message, status) == 1) {
    if (status != 0) return;
    const HBA_HANDLE handle = HbaOpenAdapterByName(adapter_name.c_str());
    if (handle == 0) return;
    ReadExtensionThroughRegistry(node_wwn, pci_subsystem, pci_bus, pci_function, pci_domain, message, handle);
    HbaCloseAdapter(handle);
    return;
  }

  // The vendor library must not be loaded twice over: the registry lets go
  // of every library while the extension is searched by itself, then loads
  // them again (the adapter name table stays as it is).
  HbaReleaseLibraries();
  SearchVendorExtension(node_wwn, name, pci_subsystem, pci_bus, pci_function, pci_domain, message);
  HbaLoadLibraries(HbaConfigurationPath());
}
