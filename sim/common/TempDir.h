#pragma once
// A fresh private directory, removed with everything in it when the object
// ends: the one scratch directory of the test fixtures, fuzz targets and
// fwsim-check. Plain std::filesystem, no shell.
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class TempDir {
 public:
  // BASE/PREFIX followed by six letters or digits; BASE empty means the
  // system's temporary directory. path() is empty when nothing could be made.
  explicit TempDir(const std::string& prefix = "fwtmp", const std::string& base = "") {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path parent = base.empty() ? fs::temp_directory_path(error) : fs::path(base);
    if (error) return;
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = prefix;
      for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
      const fs::path candidate = parent / name;
      // create_directory is false for a name that exists: never reuse one.
      if (fs::create_directory(candidate, error)) {
        fs::permissions(candidate, fs::perms::owner_all, error);
        path_ = candidate.string();
        return;
      }
      if (error) return;
    }
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
