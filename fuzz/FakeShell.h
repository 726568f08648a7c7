#pragma once
// Command capture for the fuzz targets: no shell is ever started. The query
// command of a vendor tool gets the fuzz input as its output, a command set
// with SetCommandOutput gets its own; every other command prints nothing and
// succeeds.
#include <string>

namespace FuzzShell {

// Output handed back for the QLogic and Emulex query command lines.
void SetQueryOutput(std::string output);
// Output handed back for exactly `command` (until Reset).
void SetCommandOutput(const std::string& command, std::string output);
// Forgets every output set and the commands seen.
void Reset();
// Number of commands seen since the last SetQueryOutput or Reset.
int CommandCount();

}  // namespace FuzzShell
