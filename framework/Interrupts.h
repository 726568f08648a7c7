#pragma once
// What signals do to a run. Outside the flash SIGINT, SIGHUP and SIGTERM end
// it: the running command and its children are ended, the interruption is
// logged and the process ends by the same signal, as its parent expects.
// During the flash the engine must finish: those signals and SIGQUIT and
// SIGTSTP are only recorded, told once per kind, and the run goes on.
#include <sys/types.h>

class CLogger;

namespace Interrupts {

// Installs the termination handlers; a signal ignored when the process
// started (nohup) stays ignored.
void Install();

// The signal's name as the messages give it ("SIGTERM"), or "signal".
const char* SignalName(int sig);

// While it exists, the shielded signals are recorded instead of acted on.
class FlashShield {
 public:
  FlashShield();
  ~FlashShield();
  FlashShield(const FlashShield&) = delete;
  FlashShield& operator=(const FlashShield&) = delete;

  // Waits for the engine `pid`, telling each signal kind received meanwhile
  // once through `log`. Returns the engine's status word, or -1.
  int WaitTelling(pid_t pid, CLogger& log);

 private:
  void TellNew(CLogger& log);
  unsigned told_ = 0;
};

}  // namespace Interrupts
