#pragma once
// Console and log output. Every message goes to stdout (unless silenced) and
// is appended to the log file; the file is opened and closed per write so
// tool output appended through shell redirection interleaves in time order.
// Several runs may share the log: every line reaches it whole, in one write.
#include <cstdint>
#include <string>

class CLogger {
 public:
  CLogger();                                  // the component log
  explicit CLogger(const std::string& path);  // any log file (tests)
  ~CLogger();
  CLogger(const CLogger&) = delete;
  CLogger& operator=(const CLogger&) = delete;

  CLogger& write(const std::string& text);
  CLogger& write(int32_t number);

  void SetConsoleOff(bool off) { console_off = off; }
  bool ConsoleOff() const { return console_off; }
  const std::string& LogPath() const { return log_path; }

  // For a run that ends at once (the termination handler, an exception no
  // one caught): writes `line` to the console (unless silenced; after a line
  // end if a line is open there) and to the log of the logger made last, or
  // to the console alone before there is one. The log's open line is
  // dropped, as it never got its end. Async-signal-safe and allocates
  // nothing.
  static void WriteLastLine(const char* line);

 private:
  void Prepare();
  bool Append(const std::string& text);

  std::string log_path;
  bool console_off = false;
  // Log text after the last line end: it is written with the line it starts.
  std::string open_line;
  // Set once a last line has been written: the open line is dropped.
  bool open_line_ended = false;
  bool console_line_open = false;
};
