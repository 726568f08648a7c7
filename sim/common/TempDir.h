#pragma once
// A fresh private directory, removed with everything in it when the object
// ends: the one scratch directory of the test fixtures, fuzz targets and
// fwsim-check. No shell.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class TempDir {
 public:
  // BASE/PREFIX followed by six letters or digits, made by mkdtemp (mode
  // 0700, never a name that exists); BASE empty means the system's temporary
  // directory. path() is empty when nothing could be made.
  explicit TempDir(const std::string& prefix = "fwtmp", const std::string& base = "") {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path parent = base.empty() ? fs::temp_directory_path(error) : fs::path(base);
    if (error) return;
    std::string name = (parent / (prefix + "XXXXXX")).string();
    if (mkdtemp(name.data()) != nullptr) path_ = name;
  }
  ~TempDir() {
    if (path_.empty() || keep_) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Leaves the directory in place when the object ends.
  void Keep() { keep_ = true; }

 private:
  std::string path_;
  bool keep_ = false;
};
