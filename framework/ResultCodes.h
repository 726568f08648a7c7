#pragma once
// The numbers the run fixes: the component results that become the exit
// code the update manager reads, and the results of the command-line parser
// and of the action summary. The values are part of the interface.

// Component result of Run and of a vendor Flash. A vendor may also pass a
// flash tool's own exit code through; see the vendor's exit-code table.
namespace FwResult {
enum Code : int {
  kSuccess = 1,      // the flash ran and succeeded
  kNothingDone = 3,  // nothing done or nothing needed (also /h and /d)
  kFailure = 7,      // bad command line, no catalogue, no adapters, flash failed
};
}  // namespace FwResult

// Results of ParseCommandLine.
enum CommandLineResult : int {
  kCommandLineUnusable = 0,  // usage printed; the run must not go on
  kCommandLineGoOn = 1,
  kCommandLineHelp = 2,      // usage printed on request
};

// Results of ActionSummary: the most urgent action of any firmware item.
enum ActionSummaryResult : int {
  kNoAction = 0,
  kUpgradeDue = 1,  // the only result that makes Run flash without /f
  kRewriteOnly = 2,
  kDowngradeDue = 4,
};
