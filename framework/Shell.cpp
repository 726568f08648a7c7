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
  char buffer[4096];
  // Every byte as the command wrote it: a NUL byte must not cut the rest of
  // its line, line end included, and so merge it with the next line. A read
  // error ends the loop like end of stream; what was read is kept.
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
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
