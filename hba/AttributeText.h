#pragma once
// Texts of the fixed-size fields of the HBA API records, cleaned the way the
// adapter model keeps its attribute texts.
#include <cstddef>
#include <cstring>
#include <string>

#include "hba/FieldText.h"
#include "hba/HbaRegistry.h"

// The field's text passed through TrimAttributeText.
template <size_t N>
std::string CleanFieldText(const char (&field)[N]) {
  char text[N + 1];
  std::memcpy(text, field, N);
  text[N] = '\0';
  TrimAttributeText(text);
  return text;
}
