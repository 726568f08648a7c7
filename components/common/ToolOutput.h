#pragma once
// Helpers the vendor components share for reading tool output and the
// fixed-size inventory texts.
#include <cstring>
#include <string>
#include <vector>

namespace ComponentText {

// Splits captured output at each newline. Every line counts, empty ones
// included; text after the last newline counts only when it is not empty.
inline std::vector<std::string> SplitLines(const std::string& text) {
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

// A fixed-size inventory field as text, never reading past the array even
// when the field lacks its terminator.
template <size_t N>
inline std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// The tool redirections without their leading space, for command lines
// whose previous part already ends in one.
inline std::string RedirectionsNoLeadingSpace(const char* redirections) {
  std::string text(redirections);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  return text;
}

}  // namespace ComponentText
