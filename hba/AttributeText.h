#pragma once
// Texts of the fixed-size fields of the HBA API records. A vendor may fill a
// field to its last byte without a terminator; only the field is read.
#include <cstddef>
#include <cstring>
#include <string>

#include "hba/HbaRegistry.h"

template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// The field's text passed through TrimAttributeText.
template <size_t N>
std::string CleanFieldText(const char (&field)[N]) {
  char text[N + 1];
  std::memcpy(text, field, N);
  text[N] = '\0';
  TrimAttributeText(text);
  return text;
}
