#pragma once
// A private scratch directory for targets that must hand a file path to the
// code under test; made once per process, removed at exit.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    char name[] = "/tmp/fwfuzzXXXXXX";  // plain characters only: the library
                                        // path filter keeps these intact
    const char* made = mkdtemp(name);
    if (made == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    std::string path = made;
    static std::string removal = "rm -rf -- '" + path + "'";
    std::atexit([] { (void)std::system(removal.c_str()); });
    return path;
  }();
  return dir;
}

inline bool WriteWhole(const std::string& path, const void* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}
