#pragma once
// Text conversions between narrow (byte) and wide text, and shell command
// capture.
#include <string>
#include <vector>

// Runs `command` through the shell and returns all of its standard output,
// or "ERROR" when the pipe cannot be started.
std::string RunCommand(const std::string& command);

// Splits captured output at each newline. Every line counts, empty ones
// included; text after the last newline counts only when it is not empty.
std::vector<std::string> SplitLines(const std::string& text);

// Runs `command` through the shell and returns its exit code (bits 8-15 of
// the status word). A shell ended by a signal reads as 128 + signal, and a
// shell that cannot be started as 255, so neither is ever taken for success.
int RunShell(const std::string& command);

// Multibyte-to-wide conversion in the process locale ("C"); stops at the
// first byte that cannot be converted.
std::wstring Widen(const char* text);
inline std::wstring Widen(const std::string& text) { return Widen(text.c_str()); }

// One wide character per byte, the byte taken as signed.
std::wstring WidenBytes(const std::string& bytes);
std::wstring WidenBytes(const char* begin, const char* end);

// One byte per wide character: its low 8 bits.
std::string NarrowBytes(const std::wstring& text);

// Quotes `text` for a shell command line; text made only of letters, digits
// and "/._-+:,=@%" (and not empty) is returned unchanged.
std::string ShellQuote(const std::string& text);
