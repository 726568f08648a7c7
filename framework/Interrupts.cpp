// Signal handlers of the run: termination outside the flash, recording
// during it.
#include "framework/Interrupts.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "framework/CLogger.h"
#include "framework/SignalHold.h"
#include "framework/Subprocess.h"

namespace Interrupts {

namespace {

struct Named {
  int sig;
  const char* name;
};
// The order is the order of the notices when several kinds arrive at once.
const Named kShielded[] = {
    {SIGINT, "SIGINT"}, {SIGQUIT, "SIGQUIT"}, {SIGTSTP, "SIGTSTP"}, {SIGHUP, "SIGHUP"}, {SIGTERM, "SIGTERM"}};
const int kTerminating[] = {SIGINT, SIGHUP, SIGTERM};

volatile sig_atomic_t g_flashing = 0;
volatile sig_atomic_t g_received = 0;  // one bit per entry of kShielded

unsigned BitOf(int sig) {
  for (unsigned i = 0; i < sizeof kShielded / sizeof kShielded[0]; ++i)
    if (kShielded[i].sig == sig) return 1u << i;
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
  sigemptyset(&action.sa_mask);
  for (const Named& s : kShielded) sigaddset(&action.sa_mask, s.sig);
  action.sa_flags = SA_RESTART;
  sigaction(sig, &action, previous);
}

bool Ignored(int sig) {
  struct sigaction current;
  return sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

const char* SignalName(int sig) {
  for (const Named& s : kShielded)
    if (s.sig == sig) return s.name;
  return "signal";
}

void Install() {
  for (int sig : kTerminating)
    if (!Ignored(sig)) Handle(sig, Terminate, nullptr);
}

namespace {
struct sigaction g_saved[sizeof kShielded / sizeof kShielded[0]];
struct sigaction g_saved_child;
bool g_kept[sizeof kShielded / sizeof kShielded[0]];
}  // namespace

FlashShield::FlashShield() {
  SignalHold hold;
  g_received = 0;
  g_flashing = 1;
  for (unsigned i = 0; i < sizeof kShielded / sizeof kShielded[0]; ++i) {
    g_kept[i] = Ignored(kShielded[i].sig);
    if (!g_kept[i]) Handle(kShielded[i].sig, Terminate, &g_saved[i]);
  }
  Handle(SIGCHLD, NoteChild, &g_saved_child);
  // A hung-up terminal must not end the run once the engine has its
  // result: console writes then fail quietly.
  signal(SIGPIPE, SIG_IGN);
}

FlashShield::~FlashShield() {
  SignalHold hold;
  for (unsigned i = 0; i < sizeof kShielded / sizeof kShielded[0]; ++i)
    if (!g_kept[i]) sigaction(kShielded[i].sig, &g_saved[i], nullptr);
  sigaction(SIGCHLD, &g_saved_child, nullptr);
  g_flashing = 0;
  g_received = 0;
}

void FlashShield::TellNew(CLogger& log) {
  for (unsigned i = 0; i < sizeof kShielded / sizeof kShielded[0]; ++i) {
    const unsigned bit = 1u << i;
    if ((g_received & bit) == 0 || (told_ & bit) != 0) continue;
    told_ |= bit;
    // Nothing may end the wait for the engine: a notice that cannot even be
    // composed is dropped.
    try {
      log.write(std::string("NOTICE : Signal ") + kShielded[i].name +
                " received during the flash; waiting for the flash engine to finish.\n");
    } catch (const std::bad_alloc&) {
    }
  }
}

int FlashShield::WaitTelling(pid_t pid, CLogger& log) {
  if (pid <= 0) return -1;
  // Signals and the child's end are taken only inside sigsuspend, so none
  // slips in between the check and the wait.
  sigset_t held, original, waiting;
  sigemptyset(&held);
  for (const Named& s : kShielded) sigaddset(&held, s.sig);
  sigaddset(&held, SIGCHLD);
  sigprocmask(SIG_BLOCK, &held, &original);
  waiting = original;
  for (const Named& s : kShielded) sigdelset(&waiting, s.sig);
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
