// The console and log writer: each message to stdout unless silenced and
// appended to the log file, opened and closed per write.
#include "framework/CLogger.h"

#include <cstdio>
#include <fstream>

#include "framework/Paths.h"
#include "framework/Text.h"

namespace {

const char kLogError[] = "ERROR : Unable to write to log file\n";

void ToConsole(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace

CLogger::CLogger() : log_path(FwPaths::kLogFile) { Prepare(); }

CLogger::CLogger(const std::string& path) : log_path(path) { Prepare(); }

// Makes sure the directory and the file exist; failures show up on the first
// write instead.
void CLogger::Prepare() {
  std::string::size_type slash = log_path.rfind('/');
  if (slash != std::string::npos && slash > 0)
    RunShell("mkdir -p " + ShellQuote(log_path.substr(0, slash)));
  if (!log_path.empty()) RunShell("touch " + ShellQuote(log_path));
}

CLogger& CLogger::write(const std::string& text) {
  if (!console_off) ToConsole(text);
  std::ofstream file(log_path, std::ios::out | std::ios::app | std::ios::binary);
  if (!file.is_open()) {
    ToConsole(kLogError);
    return *this;
  }
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  // A file that opened but could not take the text (full or failing device)
  // loses the message just the same, so it is reported the same way.
  if (file.fail()) ToConsole(kLogError);
  return *this;
}

CLogger& CLogger::write(int32_t number) { return write(std::to_string(number)); }
