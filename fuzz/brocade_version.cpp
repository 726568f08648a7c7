// The Brocade option ROM version reading over any wide text (decoded as in
// WideDecode.h). The result is the text itself or the four-part number
// d.d+.d+.d+ that starts last in it: the leading ".*" leaves its first part
// one digit, the other parts take all their digits. Read again, the result
// stays as it is.
#include <cstddef>
#include <cstdint>
#include <string>

#include "components/brocade/BrocadeComponent.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/WideDecode.h"

namespace {

BrocadeComp::CComponent& Component() {
  static BrocadeComp::CComponent* component = new BrocadeComp::CComponent("/dev/null");
  return *component;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// End of the digits from `at`, or npos when there is none there.
size_t DigitsEnd(const std::wstring& text, size_t at) {
  size_t end = at;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end == at ? std::wstring::npos : end;
}

// The number d.d+.d+.d+ starting at `at`, or empty text.
std::wstring NumberAt(const std::wstring& text, size_t at) {
  if (at >= text.size() || !IsDigit(text[at])) return std::wstring();
  size_t end = at + 1;
  for (int part = 1; part < 4; ++part) {
    if (end >= text.size() || text[end] != L'.') return std::wstring();
    end = DigitsEnd(text, end + 1);
    if (end == std::wstring::npos) return std::wstring();
  }
  return text.substr(at, end - at);
}

std::wstring Expected(const std::wstring& text) {
  for (size_t at = text.size(); at-- > 0;) {
    std::wstring number = NumberAt(text, at);
    if (!number.empty()) return number;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = DecodeWide(data, size);
  BrocadeComp::CComponent& component = Component();
  const std::wstring result = component.NormalizeVersion(text);
  FUZZ_CHECK(result == text || text.find(result) != std::wstring::npos);
  FUZZ_CHECK(result == Expected(text));
  FUZZ_CHECK(component.NormalizeVersion(result) == result);
  return 0;
}
