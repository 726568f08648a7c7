#pragma once
// Turns fuzz bytes into wide characters, reaching every wchar_t value: a
// well-formed UTF-8 sequence gives its code point, 0xff takes the next four
// bytes as a raw 32-bit value (negative values and values above the Unicode
// range included), and any other byte stands for its own value.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "pattern/Utf8.h"

inline std::wstring DecodeWide(const uint8_t* data, size_t size) {
  std::wstring out;
  size_t i = 0;
  while (i < size) {
    if (data[i] == 0xff) {
      ++i;
      uint8_t raw[4] = {0, 0, 0, 0};
      for (size_t k = 0; k < 4 && i < size; ++k) raw[k] = data[i++];
      int32_t value;
      std::memcpy(&value, raw, sizeof value);
      out.push_back(static_cast<wchar_t>(value));
      continue;
    }
    uint32_t cp = 0;
    size_t n = utf8Sequence(data + i, size - i, &cp);
    if (n == 0) {
      cp = data[i];
      n = 1;
    }
    out.push_back(static_cast<wchar_t>(cp));
    i += n;
  }
  return out;
}
