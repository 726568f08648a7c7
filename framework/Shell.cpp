// Shell command capture, in an object file of its own so that a program can
// supply its own RunCommand and RunShell (the fuzz targets feed tool output
// this way) and still use the text conversions.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "framework/Text.h"

std::string RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "ERROR";
  std::string output;
  char buffer[128];
  // A read error ends the loop like end of stream; what was read is kept.
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

int RunShell(const std::string& command) {
  int status = std::system(command.c_str());
  if (status == -1) return 255;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}
