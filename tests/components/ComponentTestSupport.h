#pragma once
// Shared fixture for the vendor component tests: a temporary package
// directory as working directory, fake tool scripts written into it, and
// access to the protected run state of a component.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "framework/CBaseCmp.h"
#include "tests/common/TestFiles.h"

namespace ComponentTest {

inline constexpr const char* kToolLog = "/var/qmx/Component.log";

// Gives a test the component's protected run state.
template <class Component>
class Testable : public Component {
 public:
  using Component::Component;
  RefCatalog& Ref() { return this->reference; }
  AdapterInventory& Inventory() { return this->inventory; }
  DiscoveryInfo& Result() { return this->discovery; }
  void SetSilent(bool on) { this->silent = on; }
  void SetForce(bool on) { this->force = on; }
};

using fwtest::ReadFile;
using fwtest::WriteFile;

inline RefEntry Entry(const std::wstring& device_id, const std::wstring& model,
                      const std::wstring& firmware, const std::wstring& bios,
                      const std::wstring& boot, int32_t bios_present = 2) {
  RefEntry e;
  e.type = L"fc";
  e.device_id = device_id;
  e.model = model;
  e.firmware = firmware;
  e.bios = bios;
  e.boot = boot;
  e.duration = L"120";
  e.bios_present = bios_present;
  return e;
}

inline std::unique_ptr<AdapterEntry> Adapter(const char* pci_id, const char* subsystem_id,
                                             const char* port_wwn,
                                             const char* option_rom_version = "") {
  auto a = std::make_unique<AdapterEntry>();
  std::snprintf(a->pci_id, sizeof a->pci_id, "%s", pci_id);
  std::snprintf(a->subsystem_id, sizeof a->subsystem_id, "%s", subsystem_id);
  std::snprintf(a->port_wwn, sizeof a->port_wwn, "%s", port_wwn);
  std::snprintf(a->option_rom_version, sizeof a->option_rom_version, "%s", option_rom_version);
  return a;
}

// True only inside tests/run-isolated.sh: /var is a fresh, private tmpfs.
inline bool VarIsPrivateTmpfs() {
  struct statfs fs;
  if (statfs("/var", &fs) != 0) return false;
  if (fs.f_type != 0x01021994) return false;  // TMPFS_MAGIC
  struct stat st;
  return stat("/var/lib", &st) != 0;  // a host /var always has lib/
}

// Runs each test in a fresh temporary package directory.
class PackageDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(package_.ok());
    dir_ = package_.path();
    in_package_.emplace(dir_);
    ASSERT_TRUE(in_package_->ok());
  }

  // Back to the old directory before the package directory goes.
  void TearDown() override { in_package_.reset(); }

  // Flash tests write the fixed tool log; never let them reach the host's.
  void RequireIsolatedVar() {
    ASSERT_TRUE(VarIsPrivateTmpfs())
        << "flash tests must run through tests/run-isolated.sh (private /var)";
    mkdir("/var/qmx", 0755);
    unlink(kToolLog);
  }

  // Writes an executable shell script (mode 644: the component's chmod
  // must make it runnable).
  void WriteScript(const std::string& relative_path, const std::string& body) {
    WriteFile(relative_path, "#!/bin/sh\n" + body);
    chmod(relative_path.c_str(), 0644);
  }

  std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }

  fwtest::TempDir package_{"fwpack-component-"};
  std::optional<fwtest::ScopedChdir> in_package_;
  std::string dir_;
};

}  // namespace ComponentTest
