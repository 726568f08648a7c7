#pragma once
// The component's parsing workloads, written once over the Engine interface
// and fed with generated inputs whose expected results are known.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "bench/Engines.h"

namespace bench {

inline constexpr int kInstances = 64;

struct ReleaseCase {
  bool redhat;         // which release file the text is read from
  std::string text;
  std::wstring expected;  // os_name it must give ("" for none)
};

struct InstanceSlot {
  std::wstring flash;
  std::string port;
  bool operator==(const InstanceSlot& o) const { return flash == o.flash && port == o.port; }
};
using InstanceTable = std::array<InstanceSlot, kInstances>;

struct Inputs {
  std::vector<std::string> qlogic_lines;  // query output of 64 instances, 5 lines each
  InstanceTable qlogic_expected;

  std::vector<std::string> emulex_lines;  // one query line per adapter
  std::vector<std::vector<std::string>> emulex_expected;  // the seven groups per line

  std::vector<std::pair<std::wstring, std::wstring>> version_pairs;
  std::vector<int> version_expected;

  std::vector<std::wstring> rom_texts;
  std::vector<std::wstring> rom_expected;

  std::vector<ReleaseCase> releases;
};

Inputs MakeInputs();

// The components' own patterns (from their headers), under short names.
extern const char* const kQLogicPatterns[3];
extern const char* const kEmulexPattern;
extern const wchar_t* const kRomPattern;
extern const wchar_t* const kDigitsPattern;

// QLogic: each line against the three patterns, the values into the
// 64-slot instance table. `trace` (optional) gets every group 1 seen.
InstanceTable QLogicParse(Engine& e, const std::vector<std::string>& lines, std::vector<std::string>* trace);

// The same with the three patterns compiled once for the whole output and a
// fresh matcher per line.
InstanceTable QLogicParseReuse(Engine& e, const std::vector<std::string>& lines, std::vector<std::string>* trace);

// The same with one matcher per pattern for the whole output, re-targeted
// at each line (setText with fwpack, reused match data with the others).
InstanceTable QLogicParseSetText(Engine& e, const std::vector<std::string>& lines, std::vector<std::string>* trace);

// Emulex: the seven groups of each line and the adapter key built from them.
// Returns the keys; `groups` (optional) gets the groups of every line
// (empty for a line that does not match).
std::vector<std::wstring> EmulexParse(Engine& e, const std::vector<std::string>& lines,
                                      std::vector<std::vector<std::string>>* groups);

// The same with the pattern compiled once and a matcher per line.
std::vector<std::wstring> EmulexParseReuse(Engine& e, const std::vector<std::string>& lines,
                                           std::vector<std::vector<std::string>>* groups);

// The same with one matcher for the whole output, re-targeted per line.
std::vector<std::wstring> EmulexParseSetText(Engine& e, const std::vector<std::string>& lines,
                                             std::vector<std::vector<std::string>>* groups);

// Version comparison with `e` doing the numeric-field test (the fwpack row
// uses the component's own CompareVersions instead).
int PeerCompareVersions(Engine& e, const std::wstring& a, const std::wstring& b);

// Brocade option ROM normalisation with `e` (the fwpack row uses the
// Brocade component itself).
std::wstring PeerNormalizeVersion(Engine& e, const std::wstring& text);

// Release file: the family's patterns in order, the first whole match names the host.
std::wstring ClassifyRelease(Engine& e, const ReleaseCase& c);

// The long-line case: "HBA Instance" + filler + ": 7", `size` bytes in all.
std::string ScalingLine(size_t size);

}  // namespace bench
