// Writes the pattern targets' seeds for the components' own patterns, read
// from the components' headers, each with a line it reads, so the fuzzers
// start from the patterns exactly as the components hold them. The layout is
// the targets' own: flags byte, pattern length byte, pattern, subject.
//
//   fuzz_component_seeds DIR
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "components/brocade/BrocadePatterns.h"
#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "framework/FrameworkPatterns.h"

namespace {

struct Seed {
  const char* name;
  std::string pattern;
  unsigned long flags;
  const char* subject;
};

std::string Narrow(const wchar_t* ascii) {
  std::string out;
  for (; *ascii != L'\0'; ++ascii) out += static_cast<char>(*ascii);
  return out;
}

bool Write(const std::string& dir, const Seed& seed) {
  if (seed.pattern.size() > 255) {
    std::fprintf(stderr, "fuzz_component_seeds: pattern of %s longer than 255 bytes\n", seed.name);
    return false;
  }
  std::string bytes;
  bytes += static_cast<char>(seed.flags & 31u);
  bytes += static_cast<char>(seed.pattern.size());
  bytes += seed.pattern;
  bytes += seed.subject;
  const std::string path = dir + "/" + seed.name;
  FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "fuzz_component_seeds: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_component_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "fuzz_component_seeds: cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
    return 1;
  }
  const Seed seeds[] = {
      {"qlogic-instance", QLogicComp::kInstanceLinePattern, QLogicComp::kQueryLineFlags, "HBA Instance    : 0"},
      {"qlogic-image", QLogicComp::kFlashImageLinePattern, QLogicComp::kQueryLineFlags,
       "Flash Image     : 2.10 x: y"},
      {"qlogic-port", QLogicComp::kPortNameLinePattern, QLogicComp::kQueryLineFlags,
       "Port Name       : 21-00-00-1B-32-0A-0B-01"},
      {"emulex-query", EmulexComp::kQueryLinePattern, EmulexComp::kQueryLineFlags,
       "HBA=LPe12002-M8, Port WWN=10:00, PCI ID=f100, VID=10df, SSID=f100, SVID=10df, Firmware=US2.02A1, "
       "Boot Code=UU5.03A0, Status=Online"},
      {"brocade-rom", Narrow(BrocadeComp::kOptionRomVersionPattern), BrocadeComp::kOptionRomFlags,
       "v3.1.0.0 Brocade BIOS 2.1.0.3"},
      {"redhat-release", FwPatterns::kRedHatReleases[1].pattern, FwPatterns::kReleaseFlags,
       "Red Hat Enterprise Linux Server release 5.4 (Tikanga)\n"},
      {"suse-release", FwPatterns::kSuseReleases[1].pattern, FwPatterns::kReleaseFlags,
       "SUSE Linux Enterprise Server 11 (x86_64)\nVERSION = 11\n"},
  };
  bool ok = true;
  for (const Seed& seed : seeds) ok = Write(dir, seed) && ok;
  return ok ? 0 : 1;
}
