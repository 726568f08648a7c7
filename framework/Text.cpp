// Text conversions, shell quoting and the line splitter for captured output.
#include "framework/Text.h"

#include <cstdlib>
#include <vector>

#include "framework/ShellSafeText.h"

std::wstring Widen(const char* text) {
  if (text == nullptr) return std::wstring();
  size_t length = std::char_traits<char>::length(text);
  std::vector<wchar_t> buffer(length + 1, L'\0');
  // On an unconvertible byte the call stops; the characters before it stay
  // in the zeroed buffer and the text ends at the first zero.
  std::mbstowcs(buffer.data(), text, length);
  buffer[length] = L'\0';
  return std::wstring(buffer.data());
}

std::wstring WidenBytes(const char* begin, const char* end) {
  std::wstring wide;
  if (begin == nullptr || end == nullptr || end < begin) return wide;
  wide.reserve(static_cast<size_t>(end - begin));
  for (const char* p = begin; p != end; ++p)
    wide.push_back(static_cast<wchar_t>(static_cast<signed char>(*p)));
  return wide;
}

std::wstring WidenBytes(const std::string& bytes) {
  return WidenBytes(bytes.data(), bytes.data() + bytes.size());
}

std::string NarrowBytes(const std::wstring& text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (wchar_t c : text)
    narrow.push_back(static_cast<char>(static_cast<unsigned char>(static_cast<unsigned long>(c) & 0xFFu)));
  return narrow;
}

std::string ShellQuote(const std::string& text) {
  if (IsShellSafeWord(text)) return text;
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  quoted += "'";
  return quoted;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}
