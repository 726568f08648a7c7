// Entry point: builds the executable's component, reads the command line
// into it and runs it; the result becomes the process exit code.
#include <cstdio>
#include <memory>

#include "framework/ComponentFactory.h"
#include "framework/Interrupts.h"
#include "framework/LastResort.h"
#include "framework/ResultCodes.h"

int main(int argc, char** argv) {
  Interrupts::Install();
  LastResort::InstallTerminateHandler();
  // Declared outside the try block, so that the component's logger still
  // takes the failure's line.
  std::unique_ptr<CBaseCmp> component;
  int exit_code;
  try {
    component = CreateComponent();
    if (!component) return FwResult::kFailure;
    switch (component->ParseCommandLine(argc, argv)) {
      case kCommandLineUnusable:
        std::fputs("ERROR! : Failed to parse command line\n", stdout);
        exit_code = FwResult::kFailure;
        break;
      case kCommandLineHelp:
        exit_code = FwResult::kNothingDone;
        break;
      default:
        exit_code = component->Run();
        break;
    }
  } catch (...) {
    LastResort::Report(std::current_exception());
    exit_code = FwResult::kFailure;
  }
  component.reset();
  // Only the low 8 bits reach the update manager; a result outside them
  // could read as another code (256 as 0), so it is reported as a failure.
  if (exit_code < 0 || exit_code > 255) exit_code = FwResult::kFailure;
  return exit_code;
}
