// The flash engine's run: host lock, inhibitor holder, shielded wait.
#include "framework/ShieldedFlash.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "framework/CLogger.h"
#include "framework/Interrupts.h"
#include "framework/Paths.h"
#include "framework/Subprocess.h"

namespace {

// The lock file's descriptor is inherited by the engine, so the lock stays
// taken until the engine has ended even if this process is killed.
class HostFlashLock {
 public:
  HostFlashLock(CLogger& log, const std::string& path) {
    std::string reason;
    if (!Take(log, path, reason))
      log.write("NOTICE : Flash lock unavailable (" + reason + "); going on without it.\n");
  }
  ~HostFlashLock() {
    if (fd_ >= 0) close(fd_);
  }
  HostFlashLock(const HostFlashLock&) = delete;
  HostFlashLock& operator=(const HostFlashLock&) = delete;
  int Descriptor() const { return fd_; }

 private:
  bool Take(CLogger& log, const std::string& path, std::string& reason) {
    // Non-blocking open: a FIFO put in the lock's place must not hang the
    // run; no symbolic links followed in the shared directory.
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = open(path.c_str(), flags | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) {
      fchmod(fd, 0644);  // whatever the umask
    } else if (errno == EEXIST) {
      fd = open(path.c_str(), flags);
    }
    if (fd < 0) {
      reason = std::strerror(errno);
      return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK) {
        reason = std::strerror(errno);
        close(fd);
        return false;
      }
      log.write("Waiting for another flash on this host to finish...");
      int rc;
      while ((rc = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
      }
      if (rc != 0) {
        reason = std::strerror(errno);
        log.write("FAILED!\n");
        close(fd);
        return false;
      }
      log.write("done.\n");
    }
    fd_ = fd;
    return true;
  }

  int fd_ = -1;
};

// A blocking shutdown and sleep inhibitor, taken by a process of its own so
// that its exit status never mixes with the engine's. It holds until the
// write end of its input pipe is closed everywhere: here and in the engine,
// which inherits it.
class ShutdownInhibitor {
 public:
  ShutdownInhibitor() { Start(); }
  ~ShutdownInhibitor() { Release(); }
  ShutdownInhibitor(const ShutdownInhibitor&) = delete;
  ShutdownInhibitor& operator=(const ShutdownInhibitor&) = delete;
  int Descriptor() const { return hold_fd_; }

 private:
  static constexpr int kReadyMs = 5000;
  static constexpr int kReleaseMs = 3000;

  void Start() {
    int input[2], ready[2];
    if (pipe2(input, O_CLOEXEC) != 0) return;
    if (pipe2(ready, O_CLOEXEC) != 0) {
      close(input[0]);
      close(input[1]);
      return;
    }
    Subprocess::Options options;
    options.shielded = true;
    options.stdin_fd = input[0];
    options.stdout_fd = ready[1];
    // A missing or failing systemd-inhibit ends at once and prints nothing.
    pid_ = Subprocess::StartShell(
        "exec systemd-inhibit --what=shutdown:sleep --who=fwpack '--why=Firmware flash in progress' "
        "--mode=block /bin/sh -c 'echo held; exec cat >/dev/null' 2>/dev/null",
        options);
    close(input[0]);
    close(ready[1]);
    hold_fd_ = input[1];
    const bool held = pid_ > 0 && Ready(ready[0]);
    close(ready[0]);
    if (!held) Release();
  }

  static bool Ready(int fd) {
    struct pollfd wait = {fd, POLLIN, 0};
    int rc;
    while ((rc = poll(&wait, 1, kReadyMs)) < 0 && errno == EINTR) {
    }
    if (rc <= 0) return false;
    char word[8];
    ssize_t got;
    while ((got = read(fd, word, sizeof word)) < 0 && errno == EINTR) {
    }
    return got >= 4 && std::memcmp(word, "held", 4) == 0;
  }

  void Release() {
    if (hold_fd_ >= 0) close(hold_fd_);
    hold_fd_ = -1;
    if (pid_ <= 0) return;
    // It ends once its input closes; one that does not is ended.
    if (Subprocess::WaitFor(pid_, kReleaseMs) == -2) {
      kill(-pid_, SIGKILL);
      Subprocess::Wait(pid_);
    }
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int hold_fd_ = -1;
};

}  // namespace

int RunShieldedFlash(CLogger& log, const std::string& command) {
  HostFlashLock lock(log, FwPaths::kFlashLock);
  ShutdownInhibitor inhibitor;
  Interrupts::FlashShield shield;
  Subprocess::Options options;
  // The engine stays in the run's process group, so it keeps the terminal
  // (a vendor tool may prompt); the shield keeps the terminal's signals off it.
  options.own_group = false;
  options.shielded = true;
  options.keep_fd[0] = lock.Descriptor();
  options.keep_fd[1] = inhibitor.Descriptor();
  const pid_t pid = Subprocess::StartShell(command, options);
  if (pid < 0) {
    // Reads as 255 as always; the console says why nothing ran.
    log.write(std::string("ERROR! : Cannot start the flash engine (") + std::strerror(errno) + ").\n");
    return Subprocess::ExitCode(-1);
  }
  return Subprocess::ExitCode(shield.WaitTelling(pid, log));
}
