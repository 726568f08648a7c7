#pragma once
// How a run ends when something was thrown that nothing handled (an
// allocation that failed, most likely): the commands it started are ended,
// one "ERROR! : " line names the failure, and the exit code is 7, never an
// abort that would lose the console text and leave the log mid-line.
#include <exception>

namespace LastResort {

// For what reaches the entry point: writes the line and ends the commands;
// the caller returns the failure code.
void Report(std::exception_ptr failure);

// For what is thrown where it cannot be caught (a destructor, a function
// that must not throw): std::terminate then reports and exits with 7.
void InstallTerminateHandler();

}  // namespace LastResort
