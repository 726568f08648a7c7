// CLogger: console copy, whole-line appends to the log, and the path the
// termination handler writes its last line through.
#include "framework/CLogger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/Paths.h"
#include "framework/SignalHold.h"
#include "framework/Text.h"

namespace {

const char kLogError[] = "ERROR : Unable to write to log file\n";

// The logger the termination handler writes through; changed with signals
// held.
CLogger* g_active = nullptr;

// Flushed at once: a run ended by a signal or a failure must not lose what
// the console was already given, and direct prints keep their order.
void ToConsole(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int OpenLog(const char* path) { return open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666); }

}  // namespace

CLogger::CLogger() : log_path(FwPaths::kLogFile) { Prepare(); }

CLogger::CLogger(const std::string& path) : log_path(path) { Prepare(); }

CLogger::~CLogger() {
  SignalHold hold;
  if (g_active == this) g_active = nullptr;
  // A last line without its end still belongs in the log.
  if (!open_line.empty() && !open_line_ended) {
    int fd = OpenLog(log_path.c_str());
    if (fd >= 0) {
      WriteAll(fd, open_line.data(), open_line.size());
      close(fd);
    }
  }
}

// Makes sure the directory and the file exist; failures show up on the first
// write instead.
void CLogger::Prepare() {
  std::string::size_type slash = log_path.rfind('/');
  if (slash != std::string::npos && slash > 0)
    RunShell("mkdir -p " + ShellQuote(log_path.substr(0, slash)));
  if (!log_path.empty()) RunShell("touch " + ShellQuote(log_path));
  SignalHold hold;
  g_active = this;
}

// Appends the complete lines of `text` (with the open line they finish) in
// one write; false when the log cannot take them. A piece of a line is kept
// even when the log cannot be opened for it, so a line reaches the log whole
// or not at all.
bool CLogger::Append(const std::string& text) {
  SignalHold hold;
  if (open_line_ended) {
    open_line.clear();
    open_line_ended = false;
  }
  const std::string::size_type end = text.rfind('\n');
  std::string lines;
  if (end == std::string::npos) {
    open_line += text;
  } else {
    lines.reserve(open_line.size() + end + 1);
    lines.append(open_line).append(text, 0, end + 1);
    open_line.assign(text, end + 1, std::string::npos);
  }
  int fd = OpenLog(log_path.c_str());
  if (fd < 0) return false;
  bool ok = lines.empty() || WriteAll(fd, lines.data(), lines.size());
  // A file that opened but could not take the text (full or failing device)
  // loses the message just the same.
  if (close(fd) != 0) ok = false;
  return ok;
}

CLogger& CLogger::write(const std::string& text) {
  if (!console_off) {
    ToConsole(text);
    if (!text.empty()) console_line_open = text.back() != '\n';
  }
  if (!Append(text)) ToConsole(kLogError);
  return *this;
}

CLogger& CLogger::write(int32_t number) { return write(std::to_string(number)); }

void CLogger::WriteLastLine(const char* line) {
  static const char kLineEnd[] = "\n";
  const size_t length = std::strlen(line);
  CLogger* logger = g_active;
  if (logger == nullptr) {
    WriteAll(1, line, length);
    return;
  }
  if (!logger->console_off) {
    if (logger->console_line_open) WriteAll(1, kLineEnd, 1);
    WriteAll(1, line, length);
    logger->console_line_open = false;
  }
  // The open line never got its end: like any line that cannot be written
  // whole, it stays out of the log.
  logger->open_line_ended = true;
  int fd = OpenLog(logger->log_path.c_str());
  if (fd < 0) return;
  WriteAll(fd, line, length);
  close(fd);
}
