// The library registry's configuration loader and enumeration, on a file
// holding the input. "@LIB@" in the input stands for a directory of the
// unit tests' vendor libraries (good ones, ones that report huge or
// negative adapter counts, long names, missing entry points ...), so lines
// can name real libraries as well as missing ones. Only libraries from that
// directory are ever opened: the input must not load the machine's own.
#include <dlfcn.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"
#include "hba/HbaRegistry.h"

#ifndef FUZZ_TEST_LIBRARY_DIR
#error "FUZZ_TEST_LIBRARY_DIR must name the directory of the test vendor libraries"
#endif

namespace {

bool g_guard = false;
std::string g_allowed;

const std::string& LibraryDir() {
  static const std::string dir = [] {
    std::string link = ScratchDir() + "/lib";
    if (symlink(FUZZ_TEST_LIBRARY_DIR, link.c_str()) != 0) {
      std::perror("symlink");
      std::abort();
    }
    return link;
  }();
  return dir;
}

}  // namespace

// Every dlopen of this program passes here; while an input is being loaded
// only the test libraries can be opened, anything else reads as missing.
extern "C" void* dlopen(const char* file, int mode) {
  using DlopenFunction = void* (*)(const char*, int);
  static DlopenFunction real = reinterpret_cast<DlopenFunction>(dlsym(RTLD_NEXT, "dlopen"));
  if (real == nullptr) return nullptr;
  if (g_guard && (file == nullptr || std::strncmp(file, g_allowed.c_str(), g_allowed.size()) != 0 ||
                  std::strstr(file, "/..") != nullptr))
    return nullptr;
  // Kept mapped after dlclose: the fuzzer's coverage counters of an
  // instrumented library live in its mapping.
  return real(file, mode | RTLD_NODELETE);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchDir() + "/hba.conf";
  const std::string& dir = LibraryDir();
  g_allowed = dir + "/";

  std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t at = text.find("@LIB@"); at != std::string::npos; at = text.find("@LIB@", at + dir.size()))
    text.replace(at, 5, dir);
  if (!WriteWhole(path, text.data(), text.size())) return 0;

  g_guard = true;
  const HBA_STATUS loaded = HbaLoadLibraries(path.c_str());
  g_guard = false;
  FUZZ_CHECK(loaded == HBA_STATUS_OK);

  for (uint32_t s = 0; s < kHbaLibrarySlots; ++s) {
    const HbaLibrarySlot* slot = HbaGetLibrarySlot(s);
    FUZZ_CHECK(slot != nullptr);
    FUZZ_CHECK(memchr(slot->library_name, 0, sizeof slot->library_name) != nullptr);
    FUZZ_CHECK(memchr(slot->library_path, 0, sizeof slot->library_path) != nullptr);
    FUZZ_CHECK(slot->slot_state >= HBA_SLOT_NEVER_LOADED && slot->slot_state <= HBA_SLOT_FAILED);
  }
  FUZZ_CHECK(HbaGetLibrarySlot(kHbaLibrarySlots) == nullptr);

  const uint32_t count = HbaEnumerateAdapters();
  FUZZ_CHECK(count <= kHbaAdapterRows && count == HbaGetAdapterCount());
  for (uint32_t row = 0; row < count; ++row) {
    char name[64];
    std::memset(name, 'x', sizeof name);
    FUZZ_CHECK(HbaGetAdapterName(row, name) == HBA_STATUS_OK);
    FUZZ_CHECK(memchr(name, 0, sizeof name) != nullptr);
    char library_path[256];
    (void)HbaGetAdapterLibrary(row, library_path);
    // The adapter's calls go to its own library and come back.
    const HBA_HANDLE handle = HbaOpenAdapterByName(name);
    if (handle != 0) {
      HBA_ADAPTERATTRIBUTES attributes;
      std::memset(&attributes, 0, sizeof attributes);
      (void)HbaGetAdapterAttributes(handle, &attributes);
      HBA_PORTATTRIBUTES port;
      std::memset(&port, 0, sizeof port);
      (void)HbaGetAdapterPortAttributes(handle, 0, &port);
      HbaCloseAdapter(handle);
    }
  }
  char name[64];
  FUZZ_CHECK(HbaGetAdapterName(count, name) == HBA_STATUS_ERROR_ILLEGAL_INDEX);
  FUZZ_CHECK(HbaReleaseLibraries() == HBA_STATUS_OK);
  return 0;
}
