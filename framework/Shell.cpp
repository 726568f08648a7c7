// Shell command capture, in an object file of its own so that a program can
// supply its own RunCommand and RunShell (the fuzz targets feed tool output
// this way) and still use the text conversions.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "framework/HostFailure.h"
#include "framework/Subprocess.h"
#include "framework/Text.h"

std::string RunCommand(const std::string& command) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    HostFailure::Note("cannot run \"" + command + "\"", errno);
    return "ERROR";
  }
  Subprocess::Options options;
  options.stdout_fd = ends[1];
  const pid_t pid = Subprocess::StartShell(command, options);
  const int start_error = errno;
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    HostFailure::Note("cannot run \"" + command + "\"", start_error);
    return "ERROR";
  }
  std::string output;
  char buffer[4096];
  // Every byte as the command wrote it: a NUL byte must not cut the rest of
  // its line, line end included, and so merge it with the next line. A read
  // error ends the loop like end of stream; what was read is kept, and the
  // run learns that it is not all.
  for (;;) {
    const ssize_t got = read(ends[0], buffer, sizeof buffer);
    if (got > 0) {
      output.append(buffer, static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      if (got < 0) HostFailure::Note("cannot read the output of \"" + command + "\"", errno);
      break;
    }
  }
  close(ends[0]);
  Subprocess::Wait(pid);
  return output;
}

int RunShell(const std::string& command) {
  return Subprocess::ExitCode(Subprocess::Wait(Subprocess::StartShell(command, {})));
}
