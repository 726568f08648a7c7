// The reference catalogue loader on a file holding the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/Records.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchDir() + "/reference.xml";
  if (!WriteWhole(path, data, size)) return 0;
  RefCatalog catalog;
  const bool loaded = catalog.LoadReferences(path);
  if (!loaded) {
    // A failed load hands nothing on.
    FUZZ_CHECK(catalog.entries.empty());
    return 0;
  }
  for (const RefEntry& entry : catalog.entries) {
    FUZZ_CHECK(entry.bios_present == 0 || entry.bios_present == 2);
    // Attribute values come from the input, byte for byte: never longer.
    FUZZ_CHECK(entry.device_id.size() <= size && entry.bios.size() <= size);
  }
  // Every element yields at most one entry.
  FUZZ_CHECK(catalog.entries.size() <= size / 8 + 1);
  return 0;
}
