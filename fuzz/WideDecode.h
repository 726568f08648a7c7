#pragma once
// Turns fuzz bytes into wide characters, reaching every wchar_t value:
// 0x00-0x7f stand for themselves, 0x80-0xfe take the next byte for a value
// up to 0x7eff, 0xff takes the next four bytes as a raw 32-bit value
// (negative values and values above the Unicode range included).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

inline std::wstring DecodeWide(const uint8_t* data, size_t size) {
  std::wstring out;
  size_t i = 0;
  while (i < size) {
    const uint8_t b = data[i++];
    if (b < 0x80) {
      out.push_back(static_cast<wchar_t>(b));
    } else if (b < 0xff) {
      const uint32_t low = i < size ? data[i++] : 0;
      out.push_back(static_cast<wchar_t>(((b - 0x80u) << 8) | low));
    } else {
      uint8_t raw[4] = {0, 0, 0, 0};
      for (size_t k = 0; k < 4 && i < size; ++k) raw[k] = data[i++];
      int32_t value;
      std::memcpy(&value, raw, sizeof value);
      out.push_back(static_cast<wchar_t>(value));
    }
  }
  return out;
}
