#pragma once
// A system call that failed while the run looked at the host (a command that
// could not be started or read, a sysfs file that could not be examined).
// What the run then saw is not the host's state, so discovery must not be
// taken for complete: the run sequence asks here after discovery.
#include <string>

namespace HostFailure {

// Keeps the first failure of the run: what could not be done and errno.
void Note(const std::string& what, int error);
bool Any();
// "WHAT (REASON)" of the first failure.
std::string Describe();
void Clear();

}  // namespace HostFailure
