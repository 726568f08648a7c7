#pragma once
// Vendor extension loader: finds an adapter's PCI subsystem value and PCI
// location through the vendor libraries' extended attribute entry point,
// matching the extension's adapter by node WWN. Every operation writes a
// status message into the caller's 256-byte buffer.
#include <array>
#include <cstdint>
#include <string>

#include "hba/HbaApi.h"

inline constexpr size_t kExtensionMessageSize = 256;
inline constexpr size_t kExtensionNameSize = 1024;

enum class ExtensionVendor { QLogic, Emulex, Brocade };

// Results of SearchVendorExtension; ReadExtensionThroughRegistry returns the
// first or kExtensionReadFailed.
enum ExtensionResult : int {
  kExtensionFound = 0,
  kExtensionNoLibrary = -1,     // none of the vendor's library files opens
  kExtensionEntryMissing = -2,  // an entry point of the set is missing
  kExtensionReadFailed = -3,    // the extended attribute read failed
  kExtensionOpenFailed = -4,    // opening an adapter failed
  kExtensionNameFailed = -5,    // reading an adapter name failed
  kExtensionNoMatch = -6,       // no adapter has the node WWN
  kExtensionLoadRefused = -7,   // the library refused to load
};

// First match wins: "qlogic", then "Emulex" (case-sensitive); any other
// name is Brocade.
ExtensionVendor PickExtensionVendor(const char* adapter_name);
// "libqlsdm", "libemsdm" or "bfahbaapi".
const char* ExtensionLibraryStem(ExtensionVendor vendor);

// The library files tried, in order, when a vendor's extension is searched
// by itself. The fixed vendor paths unless replaced (tests point them at
// libraries of their own); Reset restores the fixed paths.
using ExtensionLibraryFiles = std::array<std::string, 3>;
void SetExtensionLibraryFiles(ExtensionVendor vendor, const ExtensionLibraryFiles& files);
void ResetExtensionLibraryFiles();
ExtensionLibraryFiles GetExtensionLibraryFiles(ExtensionVendor vendor);

// 1 when library_path holds the vendor's stem: status is then 0 when the
// extended attribute entry was found in library_module (and stored for
// ReadExtensionThroughRegistry), else 1. 0 when the path does not hold the
// stem; status and message are then untouched.
int LocateExtension(const char* adapter_name, const char* library_path, void* library_module, char* message,
                    int& status);

// Reads the extended attributes through the entry that LocateExtension
// stored, with the vendor part of registry_handle. kExtensionFound (also
// when the node WWN differs: then nothing changes), or kExtensionReadFailed.
int ReadExtensionThroughRegistry(const HBA_WWN& node_wwn, uint32_t& pci_subsystem, uint8_t& pci_bus,
                                 uint8_t& pci_function, uint8_t& pci_domain, char* message,
                                 HBA_HANDLE registry_handle);

// Loads the vendor's extension library by itself (the first of its files
// that opens), walks its adapters for the node WWN and copies the PCI values
// of the match. name holds the adapter name in kExtensionNameSize bytes and
// is overwritten with the extension's adapter names. Returns an
// ExtensionResult. The outputs change only on a match; no library stays
// loaded.
int SearchVendorExtension(const HBA_WWN& node_wwn, char* name, uint32_t& pci_subsystem, uint8_t& pci_bus,
                          uint8_t& pci_function, uint8_t& pci_domain, char* message);
// The same with the library files given.
int SearchVendorExtension(const HBA_WWN& node_wwn, char* name, uint32_t& pci_subsystem, uint8_t& pci_bus,
                          uint8_t& pci_function, uint8_t& pci_domain, char* message,
                          const ExtensionLibraryFiles& files);
