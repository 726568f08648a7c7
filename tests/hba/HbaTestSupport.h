#pragma once
// A private temporary directory for one test: configuration files, links to
// the test vendor libraries under names of the test's choosing, and the
// libraries' call trace. Extension searches are pointed into it, so no test
// looks at the machine's own library directories.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hba/HbaRegistry.h"
#include "hba/VendorExtension.h"

class HbaSandbox {
 public:
  HbaSandbox() {
    // Only letters and digits: the configuration's path filter keeps them.
    char pattern[] = "/tmp/fwhbaXXXXXX";
    const char* made = mkdtemp(pattern);
    if (made != nullptr) dir_ = made;
    trace_ = dir_ + "/trace";
    setenv("TV_TRACE", trace_.c_str(), 1);
    for (ExtensionVendor vendor : {ExtensionVendor::QLogic, ExtensionVendor::Emulex, ExtensionVendor::Brocade})
      SetExtensionLibraryFiles(vendor, {dir_ + "/none1.so", dir_ + "/none2.so", dir_ + "/none3.so"});
  }
  ~HbaSandbox() {
    HbaReleaseLibraries();
    ResetExtensionLibraryFiles();
    unsetenv("TV_TRACE");
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  HbaSandbox(const HbaSandbox&) = delete;
  HbaSandbox& operator=(const HbaSandbox&) = delete;

  bool Ready() const { return !dir_.empty(); }
  const std::string& Dir() const { return dir_; }

  // A link named name in the directory to a built library.
  std::string Link(const char* target, const std::string& name) const {
    const std::string path = dir_ + "/" + name;
    std::filesystem::remove(path);
    std::filesystem::create_symlink(target, path);
    return path;
  }

  std::string Write(const std::string& name, const std::string& content) const {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::string Conf(const std::string& content) const { return Write("hba.conf", content); }

  std::vector<std::string> Trace() const {
    std::vector<std::string> lines;
    std::ifstream in(trace_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void ClearTrace() const { std::filesystem::remove(trace_); }

 private:
  std::string dir_;
  std::string trace_;
};

inline int CountReadySlots() {
  int ready = 0;
  for (uint32_t slot = 0; slot < kHbaLibrarySlots; ++slot)
    if (HbaGetLibrarySlot(slot)->slot_state == HBA_SLOT_READY) ++ready;
  return ready;
}

inline std::string RowName(uint32_t row) {
  char name[64] = {};
  if (HbaGetAdapterName(row, name) != HBA_STATUS_OK) return "<none>";
  return name;
}

inline int CountLines(const std::vector<std::string>& lines, const std::string& line) {
  int count = 0;
  for (const std::string& each : lines)
    if (each == line) ++count;
  return count;
}
