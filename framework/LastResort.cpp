// The run's last resort: the uncaught exception told in one line.
#include "framework/LastResort.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "framework/CLogger.h"
#include "framework/ResultCodes.h"
#include "framework/Subprocess.h"

namespace LastResort {

namespace {

// Composed without allocating: memory may be what ran out.
void Tell(std::exception_ptr failure) {
  static char line[256];
  std::strcpy(line, "ERROR! : Unexpected failure.\n");
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    std::strcpy(line, "ERROR! : Out of memory.\n");
  } catch (const std::exception& e) {
    std::snprintf(line, sizeof line, "ERROR! : Unexpected failure (%.200s).\n", e.what());
  } catch (...) {
  }
  Subprocess::EndRegistered();
  CLogger::WriteLastLine(line);
}

[[noreturn]] void Terminate() {
  Tell(std::current_exception());
  std::fflush(stdout);
  _exit(FwResult::kFailure);
}

}  // namespace

void Report(std::exception_ptr failure) { Tell(failure); }

void InstallTerminateHandler() { std::set_terminate(Terminate); }

}  // namespace LastResort
