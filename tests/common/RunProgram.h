#pragma once
// Runs a program of the build as a test sees it from outside: its arguments
// as given (no shell), an optional working directory, standard input from
// /dev/null, and back its exit code, standard output and error, peak memory
// and wall time.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/common/TestFiles.h"

namespace fwtest {

struct ProgramRun {
  int rc = -1;  // 128 + signal for a signal death; -1 when it did not start
  std::string out, err;
  long max_rss_kb = 0;
  double seconds = 0;
};

inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& cwd = std::string()) {
  TempDir scratch;
  const std::string out_file = scratch / "stdout", err_file = scratch / "stderr";
  ProgramRun run;
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || (!cwd.empty() && chdir(cwd.c_str()) != 0)) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    run.rc = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.max_rss_kb = usage.ru_maxrss;
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.out = ReadFile(out_file);
  run.err = ReadFile(err_file);
  return run;
}

}  // namespace fwtest
