// Command capture for the fuzz targets: the vendors' query commands answer
// with the fuzz input, every other command prints nothing.
#include "fuzz/FakeShell.h"

#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "framework/Text.h"

namespace {

std::string g_query_output;
int g_commands = 0;

}  // namespace

namespace FuzzShell {

void SetQueryOutput(std::string output) {
  g_query_output = std::move(output);
  g_commands = 0;
}

int CommandCount() { return g_commands; }

}  // namespace FuzzShell

// These replace the definitions in framework/Shell.cpp, so the linker never
// pulls that object in.
std::string RunCommand(const std::string& command) {
  ++g_commands;
  const bool query = command == QLogicComp::kQueryCommand || command == EmulexComp::kQueryCommand;
  return query ? g_query_output : std::string();
}

int RunShell(const std::string&) {
  ++g_commands;
  return 0;
}
