// Child processes of the run: start through the shell, wait, and the
// registry the termination handler uses to end what is still running.
#include "framework/Subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "framework/SignalHold.h"

namespace Subprocess {

namespace {

// Children of ordinary commands run one at a time; a few slots leave room
// for a helper process beside them.
constexpr int kSlots = 8;
volatile sig_atomic_t g_children[kSlots];

void Register(pid_t pid) {
  for (volatile sig_atomic_t& slot : g_children)
    if (slot == 0) {
      slot = pid;
      return;
    }
}

void Unregister(pid_t pid) {
  for (volatile sig_atomic_t& slot : g_children)
    if (slot == pid) slot = 0;
}

void Pause(long nanoseconds) {
  struct timespec delay = {0, nanoseconds};
  while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
  }
}

// In the child between fork and exec: async-signal-safe calls only.
[[noreturn]] void Exec(const char* command, const Options& options, const sigset_t& mask,
                       bool pipe_ignored_at_start) {
  if (options.own_group) setpgid(0, 0);
  struct sigaction action = {};
  sigemptyset(&action.sa_mask);
  // Otherwise the command gets what the run got: exec makes the run's own
  // handlers default and keeps what it was started ignoring.
  action.sa_handler = SIG_IGN;
  if (options.shielded)
    for (int s : kShieldedSignals) sigaction(s, &action, nullptr);
  // The run ignores SIGPIPE after a flash (a hung-up terminal); its commands
  // get the disposition it was started with.
  action.sa_handler = pipe_ignored_at_start ? SIG_IGN : SIG_DFL;
  sigaction(SIGPIPE, &action, nullptr);
  if (options.stdin_fd >= 0 && options.stdin_fd != 0) dup2(options.stdin_fd, 0);
  if (options.stdout_fd >= 0 && options.stdout_fd != 1) dup2(options.stdout_fd, 1);
  for (int fd : options.keep_fd)
    if (fd >= 0) fcntl(fd, F_SETFD, 0);
  sigprocmask(SIG_SETMASK, &mask, nullptr);
  execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

pid_t StartShell(const std::string& command, const Options& options) {
  // Asked before the run can have changed it: the first command is started
  // while the logger is made.
  static const bool pipe_ignored_at_start = [] {
    struct sigaction current;
    return sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
  }();
  // A command in a group of its own is not the terminal's foreground job:
  // reading the terminal would stop it for good, so it reads nothing.
  int null_in = -1;
  Options effective = options;
  if (options.own_group && options.stdin_fd < 0 && isatty(0)) {
    null_in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    effective.stdin_fd = null_in;
  }
  pid_t pid;
  {
    SignalHold hold;
    pid = fork();
    if (pid == 0) Exec(command.c_str(), effective, hold.Saved(), pipe_ignored_at_start);
    if (pid > 0) {
      // Set on both sides, so the group exists whichever runs first.
      if (options.own_group) {
        setpgid(pid, pid);
        Register(pid);
      }
    }
  }
  if (null_in >= 0) {
    int saved = errno;
    close(null_in);
    errno = saved;
  }
  return pid;
}

int Wait(pid_t pid) {
  if (pid <= 0) return -1;
  // Wait without reaping first: the child leaves the registry and is
  // reaped with signals held, so the handler never signals a reused pid.
  siginfo_t info;
  while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
    if (errno != EINTR) return -1;
  }
  SignalHold hold;
  Unregister(pid);
  int status = 0;
  pid_t got;
  while ((got = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  return got == pid ? status : -1;
}

int WaitFor(pid_t pid, int timeout_ms) {
  if (pid <= 0) return -1;
  for (int waited = 0;; waited += 10) {
    siginfo_t info = {};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (info.si_pid == pid) return Wait(pid);
    if (waited >= timeout_ms) return -2;
    Pause(10 * 1000 * 1000);
  }
}

int ExitCode(int status) {
  if (status == -1) return 255;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}

void EndRegistered() {
  bool any = false;
  for (volatile sig_atomic_t& slot : g_children)
    if (slot > 0) {
      kill(-static_cast<pid_t>(slot), SIGTERM);
      any = true;
    }
  if (!any) return;
  // A short grace to end cleanly, then no choice.
  for (int tick = 0; tick < 100; ++tick) {
    bool running = false;
    for (volatile sig_atomic_t& slot : g_children) {
      if (slot <= 0) continue;
      int status;
      if (waitpid(static_cast<pid_t>(slot), &status, WNOHANG) == 0) running = true;
    }
    if (!running) break;
    Pause(20 * 1000 * 1000);
  }
  for (volatile sig_atomic_t& slot : g_children) {
    if (slot <= 0) continue;
    const pid_t pid = static_cast<pid_t>(slot);
    // The group may outlive its leader: whatever the command started.
    kill(-pid, SIGKILL);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    slot = 0;
  }
}

}  // namespace Subprocess
