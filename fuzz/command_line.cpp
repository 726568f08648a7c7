// The command-line parser over any argument vector: the input's NUL bytes
// separate the arguments (index 0, the command's own name, included). The
// result, the switches, the report path and what reaches stdout must be what
// the rules give, walked here argument by argument: /s and -s silence the
// console, /f -f /e -e /g -g force, /h or -h prints the usage and stops at
// once (2), /d or -d asks for the report and takes the next argument as its
// path without consuming it, or prints the usage and stops (0) when none
// follows; anything else is ignored (1 at the end).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/CBaseCmp.h"
#include "framework/ResultCodes.h"
#include "fuzz/FuzzCheck.h"

namespace {

class Harness : public CBaseCmp {
 public:
  Harness() : CBaseCmp("/dev/null") {}
  bool ConsoleOff() const { return log.ConsoleOff(); }
};

struct Expected {
  int result = kCommandLineGoOn;
  bool silent = false, force = false, report_only = false;
  std::string report_path;
};

bool Is(const std::string& arg, const char* a, const char* b) { return arg == a || arg == b; }

Expected Walk(const std::vector<std::string>& args) {
  Expected e;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (Is(arg, "/s", "-s")) e.silent = true;
    if (Is(arg, "/f", "-f") || Is(arg, "/e", "-e") || Is(arg, "/g", "-g")) e.force = true;
    if (Is(arg, "/h", "-h")) {
      e.result = kCommandLineHelp;
      return e;
    }
    if (Is(arg, "/d", "-d")) {
      e.report_only = true;
      if (i + 1 == args.size()) {
        e.result = kCommandLineUnusable;
        return e;
      }
      e.report_path = args[i + 1];
    }
  }
  return e;
}

// Runs `call` with stdout going to a memory file; what it printed.
template <typename Call>
std::string CapturingStdout(Call call) {
  static const int capture = memfd_create("command_line_stdout", 0);
  FUZZ_CHECK(capture >= 0);
  FUZZ_CHECK(ftruncate(capture, 0) == 0 && lseek(capture, 0, SEEK_SET) == 0);
  std::fflush(stdout);
  const int saved = dup(1);
  FUZZ_CHECK(saved >= 0 && dup2(capture, 1) == 1);
  call();
  std::fflush(stdout);
  FUZZ_CHECK(dup2(saved, 1) == 1);
  close(saved);

  std::string printed;
  char buffer[512];
  ssize_t got;
  FUZZ_CHECK(lseek(capture, 0, SEEK_SET) == 0);
  while ((got = read(capture, buffer, sizeof buffer)) > 0) printed.append(buffer, static_cast<size_t>(got));
  return printed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  if (size > 0) {
    args.emplace_back();
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == 0) args.emplace_back();
      else args.back() += static_cast<char>(data[i]);
    }
  }
  // Each argument in a block of its own, so a read past its end is caught.
  std::vector<std::vector<char>> storage;
  std::vector<char*> argv;
  for (const std::string& arg : args) storage.emplace_back(arg.c_str(), arg.c_str() + arg.size() + 1);
  for (std::vector<char>& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);

  // The text itself is the run sequence tests' business; here it must come
  // once when the parser stops early and not at all otherwise.
  static const std::string usage = CapturingStdout([] { PrintUsage(); });
  Harness component;
  int result = -1;
  const std::string printed =
      CapturingStdout([&] { result = component.ParseCommandLine(static_cast<int>(argv.size()) - 1, argv.data()); });
  const Expected e = Walk(args);

  FUZZ_CHECK(result == e.result);
  FUZZ_CHECK(component.Silent() == e.silent && component.ConsoleOff() == e.silent);
  FUZZ_CHECK(component.Force() == e.force);
  FUZZ_CHECK(component.ReportOnly() == e.report_only);
  FUZZ_CHECK(component.ReportPath() == e.report_path);
  FUZZ_CHECK(!usage.empty());
  FUZZ_CHECK(printed == (e.result == kCommandLineGoOn ? std::string() : usage));
  return 0;
}
