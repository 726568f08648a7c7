#pragma once
// QLogic adapters: discovery through the flash tool's query output paired
// with the inventory by port WWN, and one flash run for all adapters.
#include <string>

#include "framework/CBaseCmp.h"

namespace QLogicComp {

class CComponent : public CBaseCmp {
 public:
  CComponent();
  explicit CComponent(const std::string& log_path);  // tests: another log file
  ~CComponent() override;

  std::wstring NormalizeVersion(const std::wstring& text) override;
  void DiscoverDevices() override;
  int Flash() override;
  int FindReference(const std::wstring& key) override;

  // Tool exit code to component result.
  static int MapExitCode(int exit_code);
};

}  // namespace QLogicComp
