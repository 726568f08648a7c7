// The command line, the usage text and the run sequence.
#include <cstdio>
#include <cstring>

#include "framework/CBaseCmp.h"
#include "framework/HostFailure.h"
#include "framework/Paths.h"
#include "framework/ResultCodes.h"

void PrintUsage() {
  std::fputs(
      "KZXXXXXX.fwpack [options]\n"
      "    options\n"
      "    --------------------------\n"
      "    /f = Force the installation\n"
      "    /s = Execute silently\n"
      "    /d [path] = Perform self-discovery and output to [path]\n",
      stdout);
}

namespace {

bool Is(const char* arg, const char* a, const char* b) {
  return std::strcmp(arg, a) == 0 || std::strcmp(arg, b) == 0;
}

}  // namespace

int CBaseCmp::ParseCommandLine(int argc, char** argv) {
  if (argv == nullptr) return kCommandLineGoOn;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg == nullptr) break;
    if (Is(arg, "/s", "-s")) {
      silent = true;
      log.SetConsoleOff(true);
    } else if (Is(arg, "/f", "-f") || Is(arg, "/e", "-e") || Is(arg, "/g", "-g")) {
      force = true;
    } else if (Is(arg, "/h", "-h")) {
      PrintUsage();
      return kCommandLineHelp;
    } else if (Is(arg, "/d", "-d")) {
      report_only = true;
      if (i + 1 >= argc || argv[i + 1] == nullptr) {
        PrintUsage();
        return kCommandLineUnusable;
      }
      // The path is not consumed: it is examined as an argument of its own.
      report_path = argv[i + 1];
    }
  }
  return kCommandLineGoOn;
}

int CBaseCmp::Run() {
  log.write("---------------------------------------------------\n");
  log.write("Loading references...");
  if (!reference.LoadReferences(FwPaths::kReferenceXml)) {
    log.write("FAILED!\n");
    return FwResult::kFailure;
  }
  log.write("done.\n");

  log.write("Performing discovery...\n");
  IdentifyOs();
  // A command or file discovery could not read leaves the host only partly
  // seen: neither a report nor a flash may rest on that.
  HostFailure::Clear();
  const bool discovered = Discover();
  if (HostFailure::Any()) {
    log.write("ERROR! : Discovery failed: " + HostFailure::Describe() + ".\n");
    return FwResult::kFailure;
  }
  if (!discovered) return FwResult::kFailure;

  if (report_only) {
    log.write("Generating self-discovery XML...");
    if (!WriteDiscoveryXml()) log.write("FAILED!\n");
    log.write("done.\n");
    return FwResult::kNothingDone;
  }

  if (ActionSummary() != kUpgradeDue && !force) {
    log.write("NOTICE : No operation was done.\n");
    return FwResult::kNothingDone;
  }
  if (!HasDevices()) {
    log.write("ERROR! : No supported hardware was found.\n");
    return FwResult::kNothingDone;
  }

  log.write("Performing flash -- DO NOT INTERRUPT!\n");
  int result = Flash();
  log.write("Flash complete [").write(result).write("]\n");
  return result;
}
