#pragma once
// Holds back the signals the run's own handlers act on (termination and the
// flash's deferred signals) for the lifetime of the object, so that a handler
// never sees the state it reads half changed.
#include <signal.h>

class SignalHold {
 public:
  SignalHold() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM}) sigaddset(&held, s);
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
