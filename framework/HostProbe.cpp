#include <sys/stat.h>

#include "framework/CBaseCmp.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "pattern/Pattern.h"

namespace {

struct Distribution {
  const char* pattern;
  const wchar_t* name;
};

const Distribution kRedHat[] = {
    {"Red Hat Enterprise Linux.*release 4.*", L"rhel4"},
    {"Red Hat Enterprise Linux.*release 5.*", L"rhel5"},
    {"Red Hat Enterprise Linux.*release 6.*", L"rhel6"},
};

const Distribution kSuse[] = {
    {"SUSE Linux Enterprise Server 10.*", L"sles10"},
    {"SUSE Linux Enterprise Server 11.*", L"sles11"},
};

enum class Release { kMissing, kFile, kOther };

Release Probe(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return Release::kMissing;
  return S_ISREG(status.st_mode) ? Release::kFile : Release::kOther;
}

// The whole release text must match: it begins with the product words and
// the trailing ".*" runs over every further line.
template <size_t N>
void Recognise(const std::string& path, Release kind, const Distribution (&table)[N],
               std::wstring& os_name) {
  // A FIFO or device in place of the release file would block cat forever;
  // it still decides the family, but names nothing.
  if (kind != Release::kFile) return;
  std::string release = RunCommand("cat " + ShellQuote(path));
  for (const Distribution& entry : table) {
    if (Pattern::matches(entry.pattern, release, DOT_ALL | LINE_ANCHORS)) {
      os_name = entry.name;
      return;
    }
  }
}

}  // namespace

int CBaseCmp::IdentifyOs() { return IdentifyOs(FwPaths::kRedHatRelease, FwPaths::kSuseRelease); }

int CBaseCmp::IdentifyOs(const std::string& redhat_release, const std::string& suse_release) {
  Release redhat = Probe(redhat_release);
  if (redhat != Release::kMissing) {
    Recognise(redhat_release, redhat, kRedHat, discovery.os_name);
    return 0;
  }
  Release suse = Probe(suse_release);
  if (suse != Release::kMissing) Recognise(suse_release, suse, kSuse, discovery.os_name);
  return 0;
}
