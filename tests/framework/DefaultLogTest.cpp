// Runs only inside a private, empty /var (see tests/run-isolated.sh): it
// constructs the component log at its fixed place.
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include "framework/CBaseCmp.h"
#include "framework/Paths.h"
#include "TestSupport.h"

namespace {

bool PrivateVar() {
  struct statfs fs;
  struct stat st;
  return statfs("/var", &fs) == 0 && fs.f_type == TMPFS_MAGIC && stat(FwPaths::kLogDir, &st) != 0;
}

TEST(DefaultLog, ComponentPreparesTheFixedLogAndAppendsToIt) {
  ASSERT_TRUE(PrivateVar()) << "run through tests/run-isolated.sh";
  {
    CLogger log;
    EXPECT_EQ(log.LogPath(), "/var/qmx/Component.log");
    ASSERT_TRUE(fwtest::FileExists("/var/qmx/Component.log"));
    EXPECT_EQ(fwtest::ReadFile("/var/qmx/Component.log"), "");
    log.SetConsoleOff(true);
    log.write("first\n");
  }
  CBaseCmp component;
  EXPECT_FALSE(component.Silent());
  EXPECT_FALSE(component.Force());
  EXPECT_FALSE(component.ReportOnly());
  EXPECT_EQ(component.ReportPath(), "");
  EXPECT_TRUE(component.Reference().entries.empty());
  EXPECT_FALSE(component.HasDevices());
  CLogger again;
  again.SetConsoleOff(true);
  again.write("second\n");
  EXPECT_EQ(fwtest::ReadFile("/var/qmx/Component.log"), "first\nsecond\n");
}

}  // namespace
