#pragma once
// A vendor flash tool's exit-code table: rows of exit-code ranges, each with
// the component result it gives (and whatever else a vendor attaches). A code
// outside every row is the vendor's to decide; most pass it through.
#include <cstddef>

// The plain row: exit codes first to last give result.
struct ToolExitRow {
  int first;
  int last;
  int result;
};

// The row whose range holds exit_code, or null.
template <class Row, size_t N>
const Row* FindExitRow(const Row (&table)[N], int exit_code) {
  for (const Row& row : table)
    if (exit_code >= row.first && exit_code <= row.last) return &row;
  return nullptr;
}
