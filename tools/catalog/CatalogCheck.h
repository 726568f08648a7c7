#pragma once
// The catalogue check: what a component of one vendor sees in a catalogue,
// and what in the file would surprise its author.
#include <string>
#include <vector>

#include "framework/Records.h"
#include "tools/catalog/VendorCatalogue.h"

namespace fwcatalog {

struct Finding {
  long line = 0;  // of the element concerned; 0 for the file as a whole
  bool error = false;
  std::string text;
};

struct CheckResult {
  bool loaded = false;  // the loader's own result
  RefCatalog catalog;   // what the component holds after loading
  std::vector<long> entry_lines;  // line of each entry's device element
  std::vector<Finding> findings;  // in line order

  // 0 no finding, 1 warnings only, 2 any error.
  int ExitCode() const;
};

CheckResult CheckCatalogue(const std::string& path, Vendor vendor);

// A catalogue text (one byte per character) for a message: quoted, with '"'
// and '\' escaped and control bytes as \xHH; other bytes pass unchanged.
std::string Quote(const std::wstring& text);

}  // namespace fwcatalog
