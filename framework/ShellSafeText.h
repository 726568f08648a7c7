#pragma once
// Character tests for texts used unquoted: as a word of a shell command line
// or as one file name. Header-only, so that the simulated host applies the
// same tests without linking the component's libraries.
#include <string>

// Letters, digits, '.', '_' and '-': the portable file name characters.
inline bool IsPortableNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
         c == '-';
}

// Characters the shell takes literally inside a word: the portable file
// name characters and "/+:,=@%".
inline bool IsShellSafeChar(char c) {
  if (IsPortableNameChar(c)) return true;
  for (char s : {'/', '+', ':', ',', '=', '@', '%'})
    if (c == s) return true;
  return false;
}

// A text that reaches a command as itself without quoting: not empty, and
// shell-safe characters only.
inline bool IsShellSafeWord(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsShellSafeChar(c)) return false;
  return true;
}
