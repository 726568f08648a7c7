#pragma once
// What the Brocade component knows of its boot update tool bcu_bootupdate:
// the command lines, the pattern that reads the option ROM version and the
// exit-code table. The component, its tests and the benchmarks read them
// here and nowhere else.
#include "framework/ResultCodes.h"
#include "framework/ToolExitTable.h"
#include "pattern/Pattern.h"

namespace BrocadeComp {

// Command lines, run from the package directory, where the tool and the
// boot image lie. The update line is these three parts in order.
inline constexpr const char* kMakeToolExecutable = "chmod 777 ./bcu_bootupdate";
inline constexpr const char* kUpdateCommand = "./bcu_bootupdate boot --update ";
inline constexpr const char* kBootImage = "bfa_boot_fw";
inline constexpr const char* kAllAdapters = " -a";

// The four-part number in an option ROM version text (wide, whole text);
// the leading ".*" makes it the last one, group 1.
inline constexpr unsigned long kOptionRomFlags = DOT_ALL;
inline constexpr const wchar_t* kOptionRomVersionPattern = L".*(\\d+\\.\\d+\\.\\d+\\.\\d+).*";

// Exit codes: 0 is success; every other code, a signal death (128 + signal)
// and a shell that cannot start (255) included, is a failure.
inline constexpr ToolExitRow kExitCodeTable[] = {
    {0, 0, FwResult::kSuccess},
};
inline constexpr int kOtherExitResult = FwResult::kFailure;

inline int ResultForExitCode(int exit_code) {
  const ToolExitRow* row = FindExitRow(kExitCodeTable, exit_code);
  return row != nullptr ? row->result : kOtherExitResult;
}

}  // namespace BrocadeComp
