#pragma once
// Console and log output. Every message goes to stdout (unless silenced) and
// is appended to the log file; the file is opened and closed per write so
// tool output appended through shell redirection interleaves in time order.
#include <cstdint>
#include <string>

class CLogger {
 public:
  CLogger();                                  // the component log
  explicit CLogger(const std::string& path);  // any log file (tests)

  CLogger& write(const std::string& text);
  CLogger& write(int32_t number);

  void SetConsoleOff(bool off) { console_off = off; }
  bool ConsoleOff() const { return console_off; }
  const std::string& LogPath() const { return log_path; }

 private:
  void Prepare();

  std::string log_path;
  bool console_off = false;
};
