// fwsim-host: builds the simulated host of a scenario in a directory that
// the sandbox then mounts (sim/host/HostBuilder.h).
//
//   fwsim-host SCENARIO ROOT SIM_BUILD_DIR
//   fwsim-host --patch ROOT PATCH  (merges the JSON merge patch PATCH into
//                                  the host state of a built host)
//   fwsim-host --run COMMAND...   (inside the sandbox: runs COMMAND as a
//                                  child and returns its exit code, or 128 +
//                                  the signal that ended it, silently)
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/common/SimState.h"
#include "sim/host/HostBuilder.h"

using nlohmann::json;

// The namespace's init must not be the command (init ignores signals it has
// no handler for), and a shell would print job notices; so a plain waiter.
static int RunChild(char** argv) {
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("sandbox: fork");
    return 125;
  }
  if (pid == 0) {
    execvp(argv[0], argv);
    std::fprintf(stderr, "sandbox: cannot run %s: %s\n", argv[0], std::strerror(errno));
    _exit(errno == ENOENT ? 127 : 126);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return 125;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 125;
}

// Changes the host between runs, e.g. the exit code a tool will give next.
static int PatchState(const std::string& root, const std::string& patch_file) {
  const std::string path = root + "/upper/etc/fwpack-sim/host.json";
  json state, patch;
  std::string error;
  if (!SimState::ReadJsonFile(path, state, error) || !SimState::ReadJsonFile(patch_file, patch, error)) {
    std::fprintf(stderr, "fwsim-host: %s\n", error.c_str());
    return 2;
  }
  state.merge_patch(patch);
  if (!SimState::WriteJsonFile(path, state, error)) {
    std::fprintf(stderr, "fwsim-host: %s\n", error.c_str());
    return 2;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--run") == 0) return RunChild(argv + 2);
  if (argc == 4 && std::strcmp(argv[1], "--patch") == 0) return PatchState(argv[2], argv[3]);
  if (argc != 4) {
    std::fprintf(stderr, "usage: fwsim-host SCENARIO ROOT SIM_BUILD_DIR\n");
    return 2;
  }
  std::string error;
  if (!HostBuilder::BuildFromFile(argv[1], argv[2], argv[3], error)) {
    std::fprintf(stderr, "fwsim-host: %s\n", error.c_str());
    return 2;
  }
  return 0;
}
