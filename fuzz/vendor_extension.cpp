// The vendor extension loader over extension records whose bytes come from
// the input, returned by a stand-in extension library defined here: its
// QMXFC_ entry points are exported by this program, and the loader's dlopen
// of the stand-in's file name hands out this program's own handle (every
// other file reads as missing, so no library of the machine is loaded).
//
// Input: a 15-byte header, then 22 bytes per stand-in adapter (at most 16):
//   header  0  bits 0-1: which of the three library files opens (3: none),
//              bit 2: QMXFC_LoadLibrary refuses, bits 4-5: the adapter name
//              (qlogic, Emulex, other) the search starts with
//           1  adapter count, signed
//           2  node WWN searched for (8 bytes)
//          10  bit 0: no library module for the look-up, bits 1-2: the
//              adapter name, bit 3: the library path holds a stem, bits 4-5:
//              whose stem
//          11  registry handle (4 bytes, little-endian)
//   adapter 0  bit 0: its name cannot be read, bit 1: its record cannot be
//              read, bit 2: it carries the WWN searched for, bit 3: a name
//              of 1024 bytes without NUL
//           1  name length / 4
//           2  handle (2 bytes; 0: it cannot be opened)
//           4  status of the failed record read
//           5  byte that fills the standard attributes
//           6  NodeWWN (8 bytes), PCI subsystem value (4), bus, function,
//              domain, unused
// The results, messages and outputs must be what the loader's rules give,
// worked out here from the adapters; every opened adapter is closed once,
// the library is freed after it loaded and closed after it opened, and no
// library stays loaded.
#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "hba/HbaApi.h"
#include "hba/VendorExtension.h"

namespace {

constexpr const char* kStandInFile = "/fuzz-stand-in/extension.so";
constexpr size_t kHeader = 15, kChunk = 22, kMostAdapters = 16;

struct Adapter {
  bool name_fails = false, record_fails = false, long_name = false;
  std::string name;
  HBA_UINT32 handle = 0;
  int status = 0;
  uint8_t filler = 0;
  HBA_WWN wwn{};
  uint32_t subsystem = 0;
  uint8_t bus = 0, function = 0, domain = 0, reserved = 0;
};

// What the stand-in library and the interposed loader calls saw.
struct StandIn {
  std::vector<Adapter> adapters;
  bool refuse_load = false;
  bool loaded = false;
  int load_calls = 0, free_calls = 0;
  int opened_modules = 0, closed_modules = 0;
  int current = -1;  // the adapter last named
  std::map<HBA_UINT32, int> open_handles;
  bool bad_close = false, bad_name = false, free_while_open = false, closed_while_loaded = false;
  bool registry_mode = false;
  std::vector<HBA_UINT32> registry_handles;
  void* self = nullptr;
} g;

// The adapter count the stand-in reports: the input's, not the adapters'.
int32_t g_count = 0;

using DlopenFunction = void* (*)(const char*, int);
using DlcloseFunction = int (*)(void*);

DlopenFunction RealDlopen() {
  static DlopenFunction real = reinterpret_cast<DlopenFunction>(dlsym(RTLD_NEXT, "dlopen"));
  return real;
}

void FillRecord(const Adapter& a, ExtendedAdapterAttributes* record) {
  std::memset(&record->attributes, a.filler, sizeof record->attributes);
  record->attributes.NodeWWN = a.wwn;
  record->pci_subsystem = a.subsystem;
  record->pci_bus = a.bus;
  record->pci_function = a.function;
  record->pci_domain = a.domain;
  record->reserved = a.reserved;
}

}  // namespace

extern "C" {

// The loader's dlopen and dlclose pass here: only the stand-in's file opens.
void* dlopen(const char* file, int mode) {
  if (RealDlopen() == nullptr) return nullptr;
  if (file == nullptr || std::strcmp(file, kStandInFile) != 0) return nullptr;
  ++g.opened_modules;
  return RealDlopen()(nullptr, mode);
}

int dlclose(void* module) {
  static DlcloseFunction real = reinterpret_cast<DlcloseFunction>(dlsym(RTLD_NEXT, "dlclose"));
  if (module == g.self) {
    ++g.closed_modules;
    if (g.loaded) g.closed_while_loaded = true;
  }
  return real != nullptr ? real(module) : 0;
}

__attribute__((visibility("default"))) int QMXFC_LoadLibrary() {
  ++g.load_calls;
  if (g.refuse_load) return 1;
  g.loaded = true;
  return 0;
}

__attribute__((visibility("default"))) int32_t QMXFC_GetNumberOfAdapters() {
  return g_count;
}

__attribute__((visibility("default"))) int QMXFC_GetAdapterName(HBA_UINT32 index, char* name) {
  g.current = -1;
  if (index >= g.adapters.size() || g.adapters[index].name_fails) return 1;
  const Adapter& a = g.adapters[index];
  g.current = static_cast<int>(index);
  if (a.long_name) {
    std::memset(name, 'n', kExtensionNameSize);
  } else {
    std::memcpy(name, a.name.c_str(), a.name.size() + 1);
  }
  return 0;
}

__attribute__((visibility("default"))) HBA_UINT32 QMXFC_OpenAdapter(char* name) {
  if (g.current < 0) {
    g.bad_name = true;
    return 0;
  }
  const Adapter& a = g.adapters[static_cast<size_t>(g.current)];
  // The name comes back as it was given, cut to the buffer and terminated.
  const std::string expected = a.long_name ? std::string(kExtensionNameSize - 1, 'n') : a.name;
  if (strnlen(name, kExtensionNameSize) >= kExtensionNameSize || expected != name) g.bad_name = true;
  if (a.handle != 0) ++g.open_handles[a.handle];
  return a.handle;
}

__attribute__((visibility("default"))) int QMXFC_GetAdapterAttributes2(HBA_UINT32 handle,
                                                                       ExtendedAdapterAttributes* record) {
  if (g.registry_mode) {
    g.registry_handles.push_back(handle);
    const Adapter a = g.adapters.empty() ? Adapter() : g.adapters[0];
    if (a.record_fails) return a.status;
    FillRecord(a, record);
    return 0;
  }
  if (g.current < 0 || g.open_handles[handle] == 0) {
    g.bad_close = true;
    return 1;
  }
  const Adapter& a = g.adapters[static_cast<size_t>(g.current)];
  if (a.record_fails) return a.status;
  FillRecord(a, record);
  return 0;
}

__attribute__((visibility("default"))) void QMXFC_CloseAdapter(HBA_UINT32 handle) {
  auto it = g.open_handles.find(handle);
  if (it == g.open_handles.end() || it->second == 0) {
    g.bad_close = true;
    return;
  }
  --it->second;
}

__attribute__((visibility("default"))) int QMXFC_FreeLibrary() {
  ++g.free_calls;
  for (const auto& open : g.open_handles)
    if (open.second != 0) g.free_while_open = true;
  g.loaded = false;
  return 0;
}

}  // extern "C"

namespace {

const char* NameFor(unsigned choice) {
  switch (choice & 3u) {
    case 0: return "qlogic-QLE2562-fuzz";
    case 1: return "Emulex-LPe12002-fuzz";
    default: return "Brocade-825-fuzz";
  }
}

const char* StemFor(unsigned choice) {
  switch (choice & 3u) {
    case 0: return "libqlsdm";
    case 1: return "libemsdm";
    default: return "bfahbaapi";
  }
}

bool SameWwn(const HBA_WWN& a, const HBA_WWN& b) { return std::memcmp(a.wwn, b.wwn, 8) == 0; }

std::string Format(const char* format, unsigned a, unsigned b = 0) {
  char text[kExtensionMessageSize];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

struct Outputs {
  uint32_t subsystem = 0x5a5a5a5a;
  uint8_t bus = 0x11, function = 0x22, domain = 0x33;
  bool operator==(const Outputs& o) const {
    return subsystem == o.subsystem && bus == o.bus && function == o.function && domain == o.domain;
  }
};

Outputs From(const Adapter& a) {
  Outputs o;
  o.subsystem = a.subsystem;
  o.bus = a.bus;
  o.function = a.function;
  o.domain = a.domain;
  return o;
}

void CheckSearch(uint8_t flags, const HBA_WWN& sought) {
  const unsigned opens = flags & 3u;
  g.refuse_load = flags & 4;
  ExtensionLibraryFiles files;
  for (unsigned k = 0; k < 3; ++k)
    files[k] = k == opens ? std::string(kStandInFile) : "/fuzz-stand-in/missing-" + std::to_string(k) + ".so";
  const char* start_name = NameFor(flags >> 4);

  std::vector<char> name(kExtensionNameSize);
  std::snprintf(name.data(), name.size(), "%s", start_name);
  char message[kExtensionMessageSize];
  std::memset(message, 'm', sizeof message);
  Outputs out;
  const int result =
      SearchVendorExtension(sought, name.data(), out.subsystem, out.bus, out.function, out.domain, message, files);

  // What the rules give.
  int expected;
  std::string text = "pass";
  Outputs expected_out;
  bool loads = false;
  if (opens == 3) {
    const unsigned vendor = (flags >> 4) & 3u;
    expected = kExtensionNoLibrary;
    text = vendor == 0 ? "unable to load qlsdm" : vendor == 1 ? "unable to load emsdm" : "unable to load bfahbaapi";
  } else if (g.refuse_load) {
    expected = kExtensionLoadRefused;
    text = "fail to load library";
  } else {
    loads = true;
    expected = kExtensionNoMatch;
    text = "could not find WWNN match";
    for (int32_t i = 0; i < g_count; ++i) {
      if (static_cast<size_t>(i) >= g.adapters.size() || g.adapters[static_cast<size_t>(i)].name_fails) {
        expected = kExtensionNameFailed;
        text = "fail to get adapter number";
        break;
      }
      const Adapter& a = g.adapters[static_cast<size_t>(i)];
      if (a.handle == 0) {
        expected = kExtensionOpenFailed;
        text = "fail to open adapter";
        break;
      }
      if (a.record_fails) {
        expected = kExtensionReadFailed;
        text = Format("fail to read adapter attribs, adapterHandle 0x%x, retStatus 0x%x", a.handle,
                      static_cast<unsigned>(a.status));
        break;
      }
      if (SameWwn(a.wwn, sought)) {
        expected = kExtensionFound;
        text = "pass";
        expected_out = From(a);
        break;
      }
    }
  }
  FUZZ_CHECK(result == expected);
  FUZZ_CHECK(std::memchr(message, 0, sizeof message) != nullptr && text == message);
  FUZZ_CHECK(out == expected_out);
  FUZZ_CHECK(name[kExtensionNameSize - 1] == '\0');

  FUZZ_CHECK(!g.bad_name && !g.bad_close && !g.free_while_open && !g.closed_while_loaded);
  for (const auto& open : g.open_handles) FUZZ_CHECK(open.second == 0);
  FUZZ_CHECK(g.opened_modules == (opens == 3 ? 0 : 1) && g.closed_modules == g.opened_modules);
  FUZZ_CHECK(g.load_calls == (opens == 3 ? 0 : 1));
  FUZZ_CHECK(g.free_calls == (loads ? 1 : 0) && !g.loaded);
}

// Whether the loader holds an extended attribute entry from an earlier
// look-up in this process (it keeps the last one found).
bool g_entry_stored = false;

void CheckRegistryPath(uint8_t flags, const HBA_WWN& sought, HBA_HANDLE registry_handle) {
  const char* adapter_name = NameFor(flags >> 1);
  const std::string path =
      (flags & 8) ? std::string("/usr/lib/") + StemFor(flags >> 4) + "-fuzz.so" : std::string("/usr/lib/libfuzz.so");
  void* module = (flags & 1) ? nullptr : g.self;
  char message[kExtensionMessageSize] = "untouched";
  int status = 77;
  const int located = LocateExtension(adapter_name, path.c_str(), module, message, status);

  const bool has_stem = path.find(StemFor(flags >> 1)) != std::string::npos;
  if (!has_stem) {
    FUZZ_CHECK(located == 0 && status == 77 && std::strcmp(message, "untouched") == 0);
  } else if (module == nullptr) {
    FUZZ_CHECK(located == 1 && status == 1 && std::strcmp(message, "libHandle is NULL; cannot dlsym") == 0);
  } else {
    FUZZ_CHECK(located == 1 && status == 0 &&
               std::strcmp(message, "dlsym for QMXFC_GetAdapterAttributes2 success!") == 0);
    g_entry_stored = true;
  }

  const std::string before(message);
  g.registry_mode = true;
  Outputs out;
  const int result = ReadExtensionThroughRegistry(sought, out.subsystem, out.bus, out.function, out.domain, message,
                                                  registry_handle);
  g.registry_mode = false;
  const HBA_UINT32 vendor_handle = registry_handle & 0xFFFFu;
  const Adapter a = g.adapters.empty() ? Adapter() : g.adapters[0];
  Outputs expected_out;
  if (!g_entry_stored) {
    FUZZ_CHECK(result == kExtensionReadFailed && g.registry_handles.empty());
    FUZZ_CHECK(message == Format("fail to read adapter attribs: handle used is 0x%x: retStatus is 0x%x",
                                 vendor_handle, static_cast<unsigned>(HBA_STATUS_ERROR_NOT_SUPPORTED)));
  } else {
    FUZZ_CHECK(g.registry_handles.size() == 1 && g.registry_handles[0] == vendor_handle);
    if (a.record_fails) {
      FUZZ_CHECK(result == kExtensionReadFailed);
      FUZZ_CHECK(message == Format("fail to read adapter attribs: handle used is 0x%x: retStatus is 0x%x",
                                   vendor_handle, static_cast<unsigned>(a.status)));
    } else if (SameWwn(a.wwn, sought)) {
      FUZZ_CHECK(result == kExtensionFound);
      FUZZ_CHECK(message == Format("read adapter attribs Success! handle used is 0x%x", vendor_handle));
      expected_out = From(a);
    } else {
      FUZZ_CHECK(result == kExtensionFound && before == message);
    }
  }
  FUZZ_CHECK(out == expected_out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeader) return 0;
  if (g.self == nullptr) {
    g.self = RealDlopen()(nullptr, RTLD_LAZY);
    FUZZ_CHECK(g.self != nullptr);
    // This program must export the stand-in's entry points.
    FUZZ_CHECK(dlsym(g.self, "QMXFC_GetAdapterAttributes2") != nullptr);
  }
  void* self = g.self;
  g = StandIn();
  g.self = self;
  g_count = static_cast<int8_t>(data[1]);
  HBA_WWN sought;
  std::memcpy(sought.wwn, data + 2, 8);
  const HBA_HANDLE registry_handle = static_cast<HBA_HANDLE>(data[11]) | static_cast<HBA_HANDLE>(data[12]) << 8 |
                                     static_cast<HBA_HANDLE>(data[13]) << 16 |
                                     static_cast<HBA_HANDLE>(data[14]) << 24;

  for (size_t at = kHeader; at + kChunk <= size && g.adapters.size() < kMostAdapters; at += kChunk) {
    const uint8_t* c = data + at;
    Adapter a;
    a.name_fails = c[0] & 1;
    a.record_fails = c[0] & 2;
    a.long_name = c[0] & 8;
    const std::string base = "adapter-" + std::to_string(g.adapters.size()) + "-";
    for (size_t n = 0; a.name.size() < static_cast<size_t>(c[1]) * 4; ++n) a.name += base[n % base.size()];
    a.handle = static_cast<HBA_UINT32>(c[2]) | static_cast<HBA_UINT32>(c[3]) << 8;
    a.status = c[4] != 0 ? c[4] : 1;
    a.filler = c[5];
    std::memcpy(a.wwn.wwn, (c[0] & 4) ? sought.wwn : c + 6, 8);
    std::memcpy(&a.subsystem, c + 14, 4);
    a.bus = c[18];
    a.function = c[19];
    a.domain = c[20];
    a.reserved = c[21];
    g.adapters.push_back(a);
  }

  CheckSearch(data[0], sought);
  CheckRegistryPath(data[10], sought, registry_handle);
  return 0;
}
