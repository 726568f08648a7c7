#pragma once
// Starts the vendor's flash command and waits for it, so that nothing from
// outside cuts it short: one flash per host at a time (an advisory lock the
// engine holds too), shutdown and sleep inhibited where systemd-inhibit
// exists, and the terminal's signals kept off the engine and the run.
#include <string>

class CLogger;

// Runs `command` through the shell; returns its exit code (bits 8-15 of the
// status word, 128 + signal for a signal death, 255 when it cannot start).
int RunShieldedFlash(CLogger& log, const std::string& command);
