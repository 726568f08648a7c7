#pragma once
// Shared test fixtures: a scratch directory per test (removed with its
// contents, no shell), whole-file reads and writes, and a scoped change of
// the working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "sim/common/TempDir.h"

namespace fwtest {

using ::TempDir;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

// Changes the working directory for the lifetime of the object.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir) {
    std::error_code error;
    old_ = std::filesystem::current_path(error);
    if (error) old_.clear();
    std::filesystem::current_path(dir, error);
    ok_ = !error;
  }
  ~ScopedChdir() {
    if (!ok_ || old_.empty()) return;
    std::error_code error;
    std::filesystem::current_path(old_, error);
    if (error) ADD_FAILURE() << "cannot return to " << old_;
  }
  ScopedChdir(const ScopedChdir&) = delete;
  ScopedChdir& operator=(const ScopedChdir&) = delete;
  bool ok() const { return ok_; }

 private:
  std::filesystem::path old_;
  bool ok_ = false;
};

}  // namespace fwtest
