// Signal handlers of the run: termination outside the flash, recording
// during it.
#include "framework/Interrupts.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <new>
#include <string>

#include "framework/CLogger.h"
#include "framework/SignalHold.h"
#include "framework/Subprocess.h"

namespace Interrupts {

namespace {

constexpr size_t kShieldedCount = std::size(kShieldedSignals);
const int kTerminating[] = {SIGINT, SIGHUP, SIGTERM};

volatile sig_atomic_t g_flashing = 0;
volatile sig_atomic_t g_received = 0;  // one bit per entry of kShieldedSignals

unsigned BitOf(int sig) {
  for (size_t i = 0; i < kShieldedCount; ++i)
    if (kShieldedSignals[i] == sig) return 1u << i;
  return 0;
}

void Record(int sig) { g_received = static_cast<sig_atomic_t>(g_received | BitOf(sig)); }

void Terminate(int sig) {
  if (g_flashing) {
    Record(sig);
    return;
  }
  Subprocess::EndRegistered();
  // Composed here: no allocation in a handler.
  char line[64] = "ERROR! : Interrupted by ";
  std::strncat(line, SignalName(sig), sizeof line - std::strlen(line) - 3);
  std::strcat(line, ".\n");
  CLogger::WriteLastLine(line);
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(sig, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(sig);
}

void NoteChild(int) {}

void Handle(int sig, void (*handler)(int), struct sigaction* previous) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_mask = ShieldedSignalSet();
  action.sa_flags = SA_RESTART;
  sigaction(sig, &action, previous);
}

bool Ignored(int sig) {
  struct sigaction current;
  return sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

const char* SignalName(int sig) {
  switch (sig) {
    case SIGINT: return "SIGINT";
    case SIGQUIT: return "SIGQUIT";
    case SIGTSTP: return "SIGTSTP";
    case SIGHUP: return "SIGHUP";
    case SIGTERM: return "SIGTERM";
    default: return "signal";
  }
}

void Install() {
  for (int sig : kTerminating)
    if (!Ignored(sig)) Handle(sig, Terminate, nullptr);
}

namespace {
struct sigaction g_saved[kShieldedCount];
struct sigaction g_saved_child;
bool g_kept[kShieldedCount];
}  // namespace

FlashShield::FlashShield() {
  SignalHold hold;
  g_received = 0;
  g_flashing = 1;
  for (size_t i = 0; i < kShieldedCount; ++i) {
    g_kept[i] = Ignored(kShieldedSignals[i]);
    if (!g_kept[i]) Handle(kShieldedSignals[i], Terminate, &g_saved[i]);
  }
  Handle(SIGCHLD, NoteChild, &g_saved_child);
  // A hung-up terminal must not end the run once the engine has its
  // result: console writes then fail quietly.
  signal(SIGPIPE, SIG_IGN);
}

FlashShield::~FlashShield() {
  SignalHold hold;
  for (size_t i = 0; i < kShieldedCount; ++i)
    if (!g_kept[i]) sigaction(kShieldedSignals[i], &g_saved[i], nullptr);
  sigaction(SIGCHLD, &g_saved_child, nullptr);
  g_flashing = 0;
  g_received = 0;
}

void FlashShield::TellNew(CLogger& log) {
  for (size_t i = 0; i < kShieldedCount; ++i) {
    const unsigned bit = 1u << i;
    if ((g_received & bit) == 0 || (told_ & bit) != 0) continue;
    told_ |= bit;
    // Nothing may end the wait for the engine: a notice that cannot even be
    // composed is dropped.
    try {
      log.write(std::string("NOTICE : Signal ") + SignalName(kShieldedSignals[i]) +
                " received during the flash; waiting for the flash engine to finish.\n");
    } catch (const std::bad_alloc&) {
    }
  }
}

int FlashShield::WaitTelling(pid_t pid, CLogger& log) {
  if (pid <= 0) return -1;
  // Signals and the child's end are taken only inside sigsuspend, so none
  // slips in between the check and the wait.
  sigset_t held = ShieldedSignalSet(), original, waiting;
  sigaddset(&held, SIGCHLD);
  sigprocmask(SIG_BLOCK, &held, &original);
  waiting = original;
  for (int s : kShieldedSignals) sigdelset(&waiting, s);
  sigdelset(&waiting, SIGCHLD);
  int status = -1;
  for (;;) {
    TellNew(log);
    int got_status = 0;
    const pid_t got = waitpid(pid, &got_status, WNOHANG);
    if (got == pid) {
      status = got_status;
      break;
    }
    if (got < 0 && errno != EINTR) break;
    if (got == 0) sigsuspend(&waiting);
  }
  TellNew(log);
  sigprocmask(SIG_SETMASK, &original, nullptr);
  return status;
}

}  // namespace Interrupts
