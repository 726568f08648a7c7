#pragma once
// Holds back the signals the run's own handlers act on (termination and the
// flash's deferred signals) for the lifetime of the object, so that a handler
// never sees the state it reads half changed.
#include <signal.h>

// The signals the run's handlers act on: SIGINT, SIGHUP and SIGTERM end a run
// outside the flash; during it all five are only recorded, and kept off the
// engine. The order is the order of the flash notices.
inline constexpr int kShieldedSignals[] = {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM};

inline sigset_t ShieldedSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kShieldedSignals) sigaddset(&set, s);
  return set;
}

class SignalHold {
 public:
  SignalHold() {
    const sigset_t held = ShieldedSignalSet();
    sigprocmask(SIG_BLOCK, &held, &saved_);
  }
  ~SignalHold() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
  SignalHold(const SignalHold&) = delete;
  SignalHold& operator=(const SignalHold&) = delete;
  // The mask in force before the hold.
  const sigset_t& Saved() const { return saved_; }

 private:
  sigset_t saved_;
};
