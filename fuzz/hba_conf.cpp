// The library registry's configuration loader and enumeration, on a file
// holding the input. "@LIB@" in the input stands for a directory of copies
// of the simulated vendor library, set up as fuzz/hba_conf_host.json says
// (good ones, ones that report huge or negative adapter counts, long names,
// missing entry points ...), so lines can name real libraries as well as
// missing ones. Only libraries from that directory are ever opened: the
// input must not load the machine's own.
#include <dlfcn.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"
#include "hba/HbaRegistry.h"
#include "sim/common/SimState.h"

#if !defined(FUZZ_FAKE_LIBRARY_DIR) || !defined(FUZZ_HOST_STATE)
#error "FUZZ_FAKE_LIBRARY_DIR must name build/sim and FUZZ_HOST_STATE fuzz/hba_conf_host.json"
#endif

namespace {

bool g_guard = false;
std::string g_allowed;

[[noreturn]] void SetUpFailed(const std::string& what) {
  std::fprintf(stderr, "hba_conf: %s\n", what.c_str());
  std::abort();
}

// The library directory, made once: a copy of the built variant for each
// library of the host state (a file each, or the loader would share one
// object between names), and the state itself, named by FWSIM_STATE.
const std::string& LibraryDir() {
  static const std::string dir = [] {
    const std::string lib = ScratchDir() + "/lib";
    std::string text;
    if (!SimState::ReadTextFile(FUZZ_HOST_STATE, text)) SetUpFailed("cannot read " FUZZ_HOST_STATE);
    for (size_t at = text.find("@LIB@"); at != std::string::npos; at = text.find("@LIB@", at + lib.size()))
      text.replace(at, 5, lib);
    const nlohmann::json state = nlohmann::json::parse(text, nullptr, false);
    if (!state.is_object()) SetUpFailed(FUZZ_HOST_STATE " is not a JSON object");
    std::error_code error;
    std::filesystem::create_directory(lib, error);
    if (error) SetUpFailed("cannot create " + lib);
    const nlohmann::json& libraries = SimState::GetObject(state, "libraries");
    for (auto it = libraries.begin(); it != libraries.end(); ++it) {
      const std::string file = SimState::LibraryVariantFile(SimState::GetString(*it, "variant"));
      std::filesystem::copy_file(std::string(FUZZ_FAKE_LIBRARY_DIR) + "/" + file, it.key(), error);
      if (file.empty() || error) SetUpFailed("cannot install " + it.key());
    }
    const std::string state_file = ScratchDir() + "/host.json";
    if (!SimState::WriteTextFile(state_file, state.dump())) SetUpFailed("cannot write " + state_file);
    setenv("FWSIM_STATE", state_file.c_str(), 1);
    return lib;
  }();
  return dir;
}

}  // namespace

// Every dlopen of this program passes here; while an input is being loaded
// only the libraries of that directory can be opened, anything else reads as
// missing.
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
