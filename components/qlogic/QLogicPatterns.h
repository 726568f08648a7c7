#pragma once
// What the QLogic component knows of its flash tool zvqlafwupdate: the
// command lines, the query-output line patterns and the exit-code table.
// The component, its tests, the fuzz targets and the benchmarks read them
// here and nowhere else.
#include <cstddef>

#include "framework/ResultCodes.h"
#include "framework/ToolExitTable.h"
#include "pattern/Pattern.h"

namespace QLogicComp {

// Command lines, run from the package directory.
inline constexpr const char* kMakeToolExecutable = "chmod 755 ./zvqlafwupdate";
inline constexpr const char* kQueryCommand = "./zvqlafwupdate /q";
inline constexpr const char* kUpdateCommand = "./zvqlafwupdate";
inline constexpr const char* kSilentSwitch = " /s";  // appended when /s was given
inline constexpr const char* kForceSwitch = " /f";   // then this when /f was given

// Query output: each pattern must match a whole line; group 1 is the value,
// the text after the line's last ": " that has something after it.
inline constexpr unsigned long kQueryLineFlags = DOT_ALL;
inline constexpr const char* kInstanceLinePattern = "HBA Instance.*: (.+).*";
inline constexpr const char* kFlashImageLinePattern = "Flash Image.*: (.+).*";
inline constexpr const char* kPortNameLinePattern = "Port Name.*: (.+).*";

// The tool prints five lines per instance and numbers instances 0-63.
inline constexpr size_t kLinesPerInstance = 5;
inline constexpr int kInstanceSlots = 64;

// Exit codes of an update run that give a result of their own; every other
// code (11-13, 15, 18-255) is passed through as the result.
inline constexpr ToolExitRow kExitCodeTable[] = {
    {0, 0, FwResult::kSuccess},
    {1, 1, FwResult::kNothingDone},
    {2, 10, FwResult::kFailure},
    {14, 14, FwResult::kFailure},
    {16, 17, FwResult::kFailure},
};

inline int ResultForExitCode(int exit_code) {
  const ToolExitRow* row = FindExitRow(kExitCodeTable, exit_code);
  return row != nullptr ? row->result : exit_code;
}

}  // namespace QLogicComp
