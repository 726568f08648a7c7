#pragma once
// The text of a fixed-size character field (HBA API records, inventory
// entries). A writer may fill a field to its last byte without a
// terminator; only the field itself is ever read.
#include <cstddef>
#include <cstring>
#include <string>

template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}
