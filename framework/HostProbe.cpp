// The host probe: names the distribution from its release file.
#include <sys/stat.h>

#include "framework/CBaseCmp.h"
#include "framework/FrameworkPatterns.h"
#include "framework/Paths.h"
#include "framework/Text.h"
#include "pattern/Pattern.h"

namespace {

using FwPatterns::Distribution;

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
    if (Pattern::matches(entry.pattern, release, FwPatterns::kReleaseFlags)) {
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
    Recognise(redhat_release, redhat, FwPatterns::kRedHatReleases, discovery.os_name);
    return 0;
  }
  Release suse = Probe(suse_release);
  if (suse != Release::kMissing) Recognise(suse_release, suse, FwPatterns::kSuseReleases, discovery.os_name);
  return 0;
}
