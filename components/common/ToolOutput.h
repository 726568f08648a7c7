#pragma once
// Helpers the vendor components share for reading tool output and the
// fixed-size inventory texts.
#include <cstring>
#include <string>

namespace ComponentText {

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
