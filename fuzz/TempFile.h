#pragma once
// A private scratch directory for targets that must hand a file path to the
// code under test, made once per process and removed at exit, and a helper
// that writes a whole file there.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/common/TempDir.h"

inline const std::string& ScratchDir() {
  // Under /tmp with plain characters only: the library path filter keeps
  // these intact.
  static const TempDir dir("fwfuzz", "/tmp");
  if (!dir.ok()) {
    std::fprintf(stderr, "cannot create a scratch directory under /tmp\n");
    std::abort();
  }
  return dir.path();
}

inline bool WriteWhole(const std::string& path, const void* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}
