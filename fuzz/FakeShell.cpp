// Command capture for the fuzz targets: the vendors' query commands answer
// with the fuzz input, commands given an output answer with it, every other
// command prints nothing.
#include "fuzz/FakeShell.h"

#include <map>

#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "framework/Text.h"

namespace {

std::string g_query_output;
std::map<std::string, std::string> g_outputs;
int g_commands = 0;

}  // namespace

namespace FuzzShell {

void SetQueryOutput(std::string output) {
  g_query_output = std::move(output);
  g_commands = 0;
}

void SetCommandOutput(const std::string& command, std::string output) { g_outputs[command] = std::move(output); }

void Reset() {
  g_query_output.clear();
  g_outputs.clear();
  g_commands = 0;
}

int CommandCount() { return g_commands; }

}  // namespace FuzzShell

// These replace the definitions in framework/Shell.cpp, so the linker never
// pulls that object in.
std::string RunCommand(const std::string& command) {
  ++g_commands;
  const auto set = g_outputs.find(command);
  if (set != g_outputs.end()) return set->second;
  const bool query = command == QLogicComp::kQueryCommand || command == EmulexComp::kQueryCommand;
  return query ? g_query_output : std::string();
}

int RunShell(const std::string&) {
  ++g_commands;
  return 0;
}
