#pragma once
// Shell commands run as child processes. Ordinary commands get a process
// group of their own and are registered, so that a run ended by a signal can
// end them and everything they started; the flash engine is started shielded
// from the terminal's signals instead.
#include <sys/types.h>

#include <string>

namespace Subprocess {

struct Options {
  // The child leads a process group of its own and is registered for
  // EndRegistered(); otherwise it stays in the caller's group (and keeps the
  // terminal as foreground job).
  bool own_group = true;
  // SIGINT, SIGQUIT, SIGTSTP, SIGHUP and SIGTERM are ignored in the child
  // (and, inherited, in what it runs).
  bool shielded = false;
  // Descriptor that becomes the child's standard output (-1: inherited).
  int stdout_fd = -1;
  // Descriptor that becomes the child's standard input (-1: inherited).
  int stdin_fd = -1;
  // Descriptors the child keeps open across exec (-1: none); every other
  // descriptor opened close-on-exec stays closed in it.
  int keep_fd[2] = {-1, -1};
};

// Starts `/bin/sh -c command`. Returns the child's pid, or -1 (errno set)
// when no process could be started.
pid_t StartShell(const std::string& command, const Options& options);

// Waits for the child and returns its status word, or -1. Interruptions by
// handled signals are waited through.
int Wait(pid_t pid);

// Like Wait, but gives up after `timeout_ms`: -2 then, the child still
// running.
int WaitFor(pid_t pid, int timeout_ms);

// The exit code a status word stands for: bits 8-15 of a normal exit,
// 128 + the signal for a signal death, 255 when there is none (-1).
int ExitCode(int status);

// Ends every registered child with its whole process group (SIGTERM, then
// SIGKILL after a short grace) and reaps it. Async-signal-safe: the
// termination handler calls it.
void EndRegistered();

}  // namespace Subprocess
