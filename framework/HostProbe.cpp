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

bool Exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

// The whole release text must match: it begins with the product words and
// the trailing ".*" runs over every further line.
template <size_t N>
void Recognise(const std::string& path, const Distribution (&table)[N], std::wstring& os_name) {
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
  if (Exists(redhat_release))
    Recognise(redhat_release, kRedHat, discovery.os_name);
  else if (Exists(suse_release))
    Recognise(suse_release, kSuse, discovery.os_name);
  return 0;
}
