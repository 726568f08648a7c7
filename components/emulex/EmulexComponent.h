#pragma once
// Emulex adapters: everything comes from the flash kit's query output; the
// inventory plays no part. The kit is unpacked into the working directory
// and stays there for the flash step. The kit's command lines, query-line
// pattern and exit codes are in EmulexPatterns.h.
#include <string>

#include "framework/CBaseCmp.h"

namespace EmulexComp {

class CComponent : public CBaseCmp {
 public:
  // The component log, or another log file (tests).
  using CBaseCmp::CBaseCmp;

  bool Discover() override;
  std::wstring NormalizeVersion(const std::wstring& text) override;
  int PrepareKit() override;
  int Flash() override;

  // vvvv.dddd.ssss.iiii from the tool's VID, PCI ID, SVID and SSID, each
  // padded with leading zeros to four characters, letter case kept.
  static std::string KeyFromIds(const std::string& vid, const std::string& pci_id,
                                const std::string& svid, const std::string& ssid);

  // Orders reference text `version` against `active`: the digits before the
  // first non-digit first, then what follows that character.
  int SplitCompare(const std::wstring& version, const std::wstring& active);
};

}  // namespace EmulexComp
