// CLogger: the log file made at construction, console and file output,
// silence, appending across runs and a log that cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "framework/CLogger.h"
#include "TestSupport.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const char kError[] = "ERROR : Unable to write to log file\n";

TEST(CLogger, ConstructionCreatesDirectoryAndFile) {
  fwtest::TempDir dir;
  std::string path = dir / "qmx dir/sub/Component.log";
  CLogger log(path);
  EXPECT_EQ(log.LogPath(), path);
  EXPECT_FALSE(log.ConsoleOff());
  ASSERT_TRUE(fwtest::FileExists(path));
  EXPECT_EQ(fwtest::ReadFile(path), "");
}

TEST(CLogger, ChainedWritesGoToConsoleAndFileUnchanged) {
  fwtest::TempDir dir;
  const std::string path = dir / "Component.log";
  const std::string expected = "Loading references...done.\n0 -1\n2147483647-2147483648";
  {
    CLogger log(path);
    CaptureStdout();
    log.write("Loading references...");
    // The console shows a line as it grows; the log takes it once it is whole.
    EXPECT_EQ(fwtest::ReadFile(path), "");
    log.write("done.\n").write(0).write(" ").write(-1).write("\n");
    log.write(2147483647).write(-2147483647 - 1);
    EXPECT_EQ(GetCapturedStdout(), expected);
    EXPECT_EQ(fwtest::ReadFile(path), "Loading references...done.\n0 -1\n");
  }
  // A last line without its end is written when the logger ends.
  EXPECT_EQ(fwtest::ReadFile(path), expected);
}

TEST(CLogger, ConsoleOffStillLogsEveryLine) {
  fwtest::TempDir dir;
  {
    CLogger log(dir / "Component.log");
    log.SetConsoleOff(true);
    CaptureStdout();
    log.write("Performing discovery...\n").write(7);
    EXPECT_EQ(GetCapturedStdout(), "");
  }
  EXPECT_EQ(fwtest::ReadFile(dir / "Component.log"), "Performing discovery...\n7");
}

TEST(CLogger, AppendsAcrossRunsAndNeverTruncates) {
  fwtest::TempDir dir;
  std::string path = dir / "Component.log";
  fwtest::WriteFile(path, "earlier run\n");
  {
    CLogger first(path);
    first.write("first\n");
  }
  CLogger second(path);
  second.write("second\n");
  EXPECT_EQ(fwtest::ReadFile(path), "earlier run\nfirst\nsecond\n");
}

TEST(CLogger, UnopenableLogReportsOncePerWriteAlsoWhenSilent) {
  fwtest::TempDir dir;
  fwtest::WriteFile(dir / "plainfile", "");
  // The parent is a file, so neither mkdir nor open can succeed (even as root).
  CLogger log(dir / "plainfile/Component.log");
  CaptureStdout();
  log.write("one\n").write(3);
  log.SetConsoleOff(true);
  log.write("hidden\n");
  EXPECT_EQ(GetCapturedStdout(), std::string("one\n") + kError + "3" + kError + kError);
}

// A line reaches the log whole or not at all, whichever of its pieces met a
// log that could not be opened.
TEST(CLogger, LinesReachTheLogWholeOrNotAtAll) {
  fwtest::TempDir dir;
  const std::string sub = dir / "sub";
  const std::string path = sub + "/Component.log";
  fwtest::WriteFile(sub, "");  // a file where the log's folder belongs: no open succeeds
  CLogger log(path);
  log.SetConsoleOff(true);
  CaptureStdout();
  log.write("Loading references...");
  ASSERT_EQ(std::remove(sub.c_str()), 0);
  ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
  log.write("done.\n").write("Performing");
  ASSERT_EQ(std::remove(path.c_str()), 0);
  ASSERT_EQ(rmdir(sub.c_str()), 0);
  fwtest::WriteFile(sub, "");
  log.write(" discovery...\n");
  ASSERT_EQ(std::remove(sub.c_str()), 0);
  ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
  log.write("Generating self-discovery XML...").write("done.\n");
  EXPECT_EQ(GetCapturedStdout(), std::string(kError) + kError);
  EXPECT_EQ(fwtest::ReadFile(path), "Generating self-discovery XML...done.\n");
}

TEST(CLogger, FailingDeviceIsReportedLikeAnUnopenableFile) {
  if (!fwtest::FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CLogger log("/dev/full");
  log.SetConsoleOff(true);
  CaptureStdout();
  log.write("lost\n");
  EXPECT_EQ(GetCapturedStdout(), kError);
}

}  // namespace
