// The fuzz targets' stand-ins for RunCommand and RunShell (see FakeShell.h).
#include "fuzz/FakeShell.h"

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
  return command.find(" /q") != std::string::npos ? g_query_output : std::string();
}

int RunShell(const std::string&) {
  ++g_commands;
  return 0;
}
