#pragma once
// The framework's own patterns: the distribution names read from the release
// files, and the test for a numeric version field. The host probe, the
// version comparison, their tests and the benchmarks all read them here.
#include "pattern/Pattern.h"

namespace FwPatterns {

struct Distribution {
  const char* pattern;  // matched against the whole release text
  const wchar_t* name;  // the os_name it gives
};

// Both families run over every further line of the file.
inline constexpr unsigned long kReleaseFlags = DOT_ALL | LINE_ANCHORS;

// Tried in order; the first whole match names the distribution.
inline constexpr Distribution kRedHatReleases[] = {
    {"Red Hat Enterprise Linux.*release 4.*", L"rhel4"},
    {"Red Hat Enterprise Linux.*release 5.*", L"rhel5"},
    {"Red Hat Enterprise Linux.*release 6.*", L"rhel6"},
};
inline constexpr Distribution kSuseReleases[] = {
    {"SUSE Linux Enterprise Server 10.*", L"sles10"},
    {"SUSE Linux Enterprise Server 11.*", L"sles11"},
};

// A version field compares as a number when it is digits only (flags 0).
inline constexpr const wchar_t* kNumericFieldPattern = L"\\d+";

}  // namespace FwPatterns
