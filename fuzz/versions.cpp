// CompareVersions and the Emulex split comparison on two wide texts from the
// input (split at the first 0x00 byte, decoded as in WideDecode.h): results
// are -1, 0 or 1, a text equals itself, and swapping the texts flips the
// result.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "components/emulex/EmulexComponent.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/WideDecode.h"

namespace {

EmulexComp::CComponent& Component() {
  static EmulexComp::CComponent* component = new EmulexComp::CComponent("/dev/null");
  return *component;
}

bool IsOrder(int r) { return r == -1 || r == 0 || r == 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t first = split != nullptr ? static_cast<size_t>(split - data) : size / 2;
  const size_t second_at = split != nullptr ? first + 1 : first;
  const std::wstring a = DecodeWide(data, first);
  const std::wstring b = DecodeWide(data + second_at, size - second_at);

  EmulexComp::CComponent& c = Component();
  const int ab = c.CompareVersions(a, b), ba = c.CompareVersions(b, a);
  FUZZ_CHECK(IsOrder(ab) && IsOrder(ba) && ab == -ba);
  FUZZ_CHECK(c.CompareVersions(a, a) == 0 && c.CompareVersions(b, b) == 0);

  const int sab = c.SplitCompare(a, b), sba = c.SplitCompare(b, a);
  FUZZ_CHECK(IsOrder(sab) && IsOrder(sba) && sab == -sba);
  FUZZ_CHECK(c.SplitCompare(a, a) == 0);
  return 0;
}
