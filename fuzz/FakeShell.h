#pragma once
// Command capture for the fuzz targets: no shell is ever started. The query
// command of a vendor tool gets the fuzz input as its output; every other
// command prints nothing and succeeds.
#include <string>

namespace FuzzShell {

// Output handed back for the QLogic and Emulex query command lines.
void SetQueryOutput(std::string output);
// Number of commands seen since the last SetQueryOutput.
int CommandCount();

}  // namespace FuzzShell
