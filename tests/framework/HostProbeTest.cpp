// IdentifyOs: release file texts to distribution names, and release files
// that are not plain files.
#include <sys/stat.h>

#include "TestSupport.h"

namespace {

struct OsCase {
  const char* redhat;  // nullptr: no such file
  const char* suse;
  std::wstring os_name;
};

TEST(IdentifyOs, ReleaseTextsToNames) {
  const OsCase cases[] = {
      {"Red Hat Enterprise Linux Server release 5.4 (Tikanga)\n", nullptr, L"rhel5"},
      {"Red Hat Enterprise Linux Server release 4 (Nahant Update 8)\n", nullptr, L"rhel4"},
      {"Red Hat Enterprise Linux Server release 6.2 (Santiago)\nsecond line\n", nullptr, L"rhel6"},
      {"Red Hat Enterprise Linux Server release 7.0 (Maipo)\n", nullptr, L""},
      {"CentOS release 5.4 (Final) like Red Hat Enterprise Linux release 5\n", nullptr, L""},
      {"", nullptr, L""},
      {nullptr, "SUSE Linux Enterprise Server 11 (x86_64)\nVERSION = 11\nPATCHLEVEL = 1\n", L"sles11"},
      {nullptr, "SUSE Linux Enterprise Server 10 (x86_64)\nVERSION = 10\n", L"sles10"},
      {nullptr, "openSUSE 11.1 (x86_64)\nVERSION = 11.1\n", L""},
      // Only the Red Hat file is looked at when both exist.
      {"Fedora release 14\n", "SUSE Linux Enterprise Server 11 (x86_64)\n", L""},
      {nullptr, nullptr, L""},
  };
  for (const OsCase& c : cases) {
    SCOPED_TRACE(std::string(c.redhat ? c.redhat : "-") + " / " + (c.suse ? c.suse : "-"));
    fwtest::TempDir dir;
    // Names with a blank show that the paths reach the shell intact.
    std::string redhat = dir / "redhat release";
    std::string suse = dir / "SuSE-release";
    if (c.redhat) fwtest::WriteFile(redhat, c.redhat);
    if (c.suse) fwtest::WriteFile(suse, c.suse);
    fwtest::ScriptedComponent component(dir / "Component.log");
    EXPECT_EQ(component.IdentifyOs(redhat, suse), 0);
    EXPECT_EQ(component.Discovery().os_name, c.os_name);
    EXPECT_EQ(fwtest::ReadFile(dir / "Component.log"), "");
  }
}

TEST(IdentifyOs, UnrecognisedTextLeavesAnEarlierNameAlone) {
  fwtest::TempDir dir;
  fwtest::ScriptedComponent component(dir / "Component.log");
  component.MutableDiscovery().os_name = L"sles10";
  fwtest::WriteFile(dir / "redhat-release", "Red Hat Enterprise Linux release 8.1\n");
  component.IdentifyOs(dir / "redhat-release", dir / "none");
  EXPECT_EQ(component.Discovery().os_name, L"sles10");
}

TEST(IdentifyOs, ReleaseFifoNeitherBlocksNorFallsThrough) {
  fwtest::TempDir dir;
  ASSERT_EQ(mkfifo((dir / "redhat-release").c_str(), 0644), 0);
  fwtest::WriteFile(dir / "SuSE-release", "SUSE Linux Enterprise Server 11 (x86_64)\n");
  fwtest::ScriptedComponent component(dir / "Component.log");
  EXPECT_EQ(component.IdentifyOs(dir / "redhat-release", dir / "SuSE-release"), 0);
  EXPECT_EQ(component.Discovery().os_name, L"");
}

}  // namespace
