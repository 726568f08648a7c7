// The flash step shared by the vendors: the one place where a vendor's flash
// command is started and waited for, with its two log lines.
#include "framework/CBaseCmp.h"
#include "framework/ShieldedFlash.h"
#include "framework/Text.h"

int CBaseCmp::RunFlashEngine(const FlashCommand& command) {
  log.write("Executing flash engine: ").write(command.shown).write("\n");
  if (!command.make_executable.empty()) RunShell(command.make_executable);
  const int exit_code = RunShieldedFlash(log, command.shown + command.redirections);
  log.write("Flash Engine exit code: ").write(exit_code).write("\n");
  return exit_code;
}
