#pragma once
// What the Emulex component knows of its flash kit (elxflashStandalone*.zip
// with lx/elxflash.sh): the command lines, the query-line pattern and the
// exit-code table with its messages. The component, its tests, the fuzz
// targets and the benchmarks read them here and nowhere else.
#include <cstddef>

#include "framework/ResultCodes.h"
#include "framework/ToolExitTable.h"
#include "pattern/Pattern.h"

namespace EmulexComp {

// Command lines, run from the package directory, where the archive lies.
inline constexpr const char* kUnpackCommand = "unzip -o elxflashStandalone*.zip";
inline constexpr const char* kMakeScriptExecutable = "chmod 777 ./elxflashStandalone*/lx/elxflash.sh";
inline constexpr const char* kQueryCommand = "./elxflashStandalone*/lx/elxflash.sh /q /sysfs";
// The update line: this, then one of the switches, then the log
// redirections without their leading space.
inline constexpr const char* kUpdateCommand = "./elxflashStandalone*/lx/elxflash.sh /sysfs ";
inline constexpr const char* kForceSwitch = " /f ";
inline constexpr const char* kUpdateSwitch = " /update ";

// One query-output line per adapter, matched as a whole line.
inline constexpr unsigned long kQueryLineFlags = DOT_ALL;
inline constexpr const char* kQueryLinePattern =
    "HBA=(.+),.*PCI ID=(\\w{1,4}),.*VID=(\\w{1,4}),.*SSID=(\\w{1,4}),.*SVID=(\\w{1,4}),"
    ".*Firmware=(.+),.*Boot Code=([\\w\\.]+).*";

// The pattern's capture groups, as indexes into groupTexts(false).
enum QueryLineField : size_t {
  kModelField,     // the text after "HBA=" up to the last comma before "PCI ID="
  kPciIdField,     // device id
  kVidField,       // vendor id
  kSsidField,      // subsystem id
  kSvidField,      // subsystem vendor id
  kFirmwareField,  // running firmware
  kBootCodeField,  // running boot code
  kQueryLineFields
};

// An exit-code row of the update run: the message written after the exit
// code line (null for none) and whether the support note follows it.
struct ExitRow {
  int first;
  int last;
  int result;
  const char* message;
  bool support_note;
};

// Codes outside the table (7-10, 17-255) write nothing and are passed
// through as the result. 11-16 fail even where the kit reports success.
inline constexpr ExitRow kExitCodeTable[] = {
    {0, 0, FwResult::kSuccess, "All updates were successful.  Reboot needed.\n", false},
    {1, 1, FwResult::kNothingDone,
     "No operation performed.  No updates needed or discovery command executed.\n", false},
    {2, 6, FwResult::kFailure, "All updates failed.\n", false},
    {11, 11, FwResult::kFailure, "All updates were successful.  Skipped any QB410SX or TW880A CNAs.\n", true},
    {12, 12, FwResult::kFailure, "No updates needed.  Skipped any QB410SX or TW880A CNAs.\n", true},
    {13, 13, FwResult::kFailure, "All updates failed.  Skipped any QB410SX or TW880A CNAs.\n", true},
    {14, 14, FwResult::kFailure, "Some updates failed.  Skipped any QB410SX or TW880A CNAs.\n", true},
    {15, 15, FwResult::kFailure, "No supported hardware found.  Skipped any QB410SX or TW880A CNAs.\n", true},
    {16, 16, FwResult::kFailure, "No updates available.  Skipped any QB410SX or TW880A CNAs.\n", true},
};

// The support note: this, the support site's host name and a line end.
inline constexpr const char* kSupportNote =
    "For QB410SX or TW880A CNAs, please use the \"Firmware image for offline update\" "
    "(OneConnect ISO) tool available on ";
inline constexpr const char* kSupportHost = "support.fwpack.example";

}  // namespace EmulexComp
