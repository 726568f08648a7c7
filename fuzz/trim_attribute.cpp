// TrimAttributeText on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "hba/HbaRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly the text and its terminator, so any read or write past it is
  // caught.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  const size_t before = std::strlen(text.data());
  const char first = text[0];
  TrimAttributeText(text.data());
  const size_t after = std::strlen(text.data());

  FUZZ_CHECK(after <= before);
  if (before == 0) return 0;
  FUZZ_CHECK(after >= 1 && text[0] == first);
  if (after >= 2) {
    const unsigned char last = static_cast<unsigned char>(text[after - 1]);
    FUZZ_CHECK(last >= '!' && last <= '}');
  }
  FUZZ_CHECK(std::strstr(text.data(), "  ") == nullptr);
  // A second pass finds nothing more to do.
  std::string once(text.data());
  TrimAttributeText(text.data());
  FUZZ_CHECK(once == text.data());
  return 0;
}
