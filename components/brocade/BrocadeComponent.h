#pragma once
// Brocade adapters: the running boot code comes from the inventory's option
// ROM version; the flash step runs the boot update tool once for all. The
// tool's command lines, pattern and exit codes are in BrocadePatterns.h.
#include <string>

#include "framework/CBaseCmp.h"

namespace BrocadeComp {

class CComponent : public CBaseCmp {
 public:
  // The component log, or another log file (tests).
  using CBaseCmp::CBaseCmp;

  std::wstring NormalizeVersion(const std::wstring& text) override;
  void DiscoverDevices() override;
  int Flash() override;
};

}  // namespace BrocadeComp
