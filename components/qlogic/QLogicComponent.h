#pragma once
// QLogic adapters: discovery through the flash tool's query output paired
// with the inventory by port WWN, and one flash run for all adapters. The
// tool's command lines, patterns and exit codes are in QLogicPatterns.h.
#include <string>

#include "framework/CBaseCmp.h"

namespace QLogicComp {

class CComponent : public CBaseCmp {
 public:
  // The component log, or another log file (tests).
  using CBaseCmp::CBaseCmp;

  std::wstring NormalizeVersion(const std::wstring& text) override;
  void DiscoverDevices() override;
  int Flash() override;
  int FindReference(const std::wstring& key) override;
};

}  // namespace QLogicComp
