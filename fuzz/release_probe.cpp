// The host probe over any release-file texts. Input: a control byte (bit 0:
// /etc/redhat-release exists, bit 1: /etc/SuSE-release exists, bits 2 and 3:
// the one or the other is a directory instead of a file, bit 4: os_name
// holds a name before the probe), two bytes of little-endian length of the
// Red Hat text, that text, and the SUSE text as the rest. The files lie in
// a scratch directory; cat of them answers with the texts.
//
// The name must be the one that a plain reading of the distribution table
// gives: its patterns are literal words joined by ".*", so a whole match is
// "starts with the first words, then holds the others in order". The SUSE
// file counts only without the Red Hat one, and nothing else is run.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/CBaseCmp.h"
#include "framework/FrameworkPatterns.h"
#include "framework/Text.h"
#include "fuzz/FakeShell.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"

namespace {

class Harness : public CBaseCmp {
 public:
  Harness() : CBaseCmp("/dev/null") { log.SetConsoleOff(true); }
  void PresetName(const std::wstring& name) { discovery.os_name = name; }
};

// The literal pieces of a pattern made of words and ".*" only; a pattern of
// any other shape stops the target, as this reading would no longer hold.
std::vector<std::string> Pieces(const char* pattern) {
  std::vector<std::string> pieces(1);
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '.' && p[1] == '*') {
      pieces.emplace_back();
      ++p;
    } else if (std::string("\\^$.|?*+()[]{}").find(*p) != std::string::npos) {
      std::fprintf(stderr, "release_probe: pattern \"%s\" is not words joined by .*\n", pattern);
      std::abort();
    } else {
      pieces.back() += *p;
    }
  }
  return pieces;
}

// Whole match of words joined by ".*" where "." takes any byte.
bool WholeMatch(const char* pattern, const std::string& text) {
  const std::vector<std::string> pieces = Pieces(pattern);
  if (text.compare(0, pieces[0].size(), pieces[0]) != 0) return false;
  if (pieces.size() == 1) return text.size() == pieces[0].size();
  size_t at = pieces[0].size();
  for (size_t i = 1; i + 1 < pieces.size(); ++i) {
    const size_t found = text.find(pieces[i], at);
    if (found == std::string::npos) return false;
    at = found + pieces[i].size();
  }
  const std::string& last = pieces.back();
  return text.size() >= at + last.size() && text.compare(text.size() - last.size(), last.size(), last) == 0;
}

template <size_t N>
std::wstring Expected(const FwPatterns::Distribution (&table)[N], const std::string& text, const std::wstring& before) {
  for (const FwPatterns::Distribution& entry : table)
    if (WholeMatch(entry.pattern, text)) return entry.name;
  return before;
}

enum Kind { kMissing, kFile, kDirectory };

void Place(const std::string& path, Kind kind, const std::string& text) {
  unlink(path.c_str());
  rmdir(path.c_str());
  if (kind == kFile) FUZZ_CHECK(WriteWhole(path, text.data(), text.size()));
  if (kind == kDirectory) FUZZ_CHECK(mkdir(path.c_str(), 0700) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string redhat_path = ScratchDir() + "/redhat-release";
  static const std::string suse_path = ScratchDir() + "/SuSE-release";
  if (size < 3) return 0;
  const uint8_t control = data[0];
  size_t redhat_size = static_cast<size_t>(data[1]) | static_cast<size_t>(data[2]) << 8;
  if (redhat_size > size - 3) redhat_size = size - 3;
  const std::string redhat(reinterpret_cast<const char*>(data + 3), redhat_size);
  const std::string suse(reinterpret_cast<const char*>(data + 3 + redhat_size), size - 3 - redhat_size);

  const Kind redhat_kind = !(control & 1) ? kMissing : (control & 4) ? kDirectory : kFile;
  const Kind suse_kind = !(control & 2) ? kMissing : (control & 8) ? kDirectory : kFile;
  Place(redhat_path, redhat_kind, redhat);
  Place(suse_path, suse_kind, suse);

  FuzzShell::Reset();
  FuzzShell::SetCommandOutput("cat " + ShellQuote(redhat_path), redhat);
  FuzzShell::SetCommandOutput("cat " + ShellQuote(suse_path), suse);

  Harness component;
  const std::wstring before = (control & 16) ? L"before" : L"";
  component.PresetName(before);
  const int commands_before = FuzzShell::CommandCount();
  FUZZ_CHECK(component.IdentifyOs(redhat_path, suse_path) == 0);
  const int commands = FuzzShell::CommandCount() - commands_before;

  std::wstring expected = before;
  int expected_commands = 0;
  if (redhat_kind == kFile) {
    expected = Expected(FwPatterns::kRedHatReleases, redhat, before);
    expected_commands = 1;
  } else if (redhat_kind == kMissing && suse_kind == kFile) {
    expected = Expected(FwPatterns::kSuseReleases, suse, before);
    expected_commands = 1;
  }
  const std::wstring& name = component.Discovery().os_name;
  FUZZ_CHECK(name == expected);
  FUZZ_CHECK(name == before || name == L"rhel4" || name == L"rhel5" || name == L"rhel6" || name == L"sles10" ||
             name == L"sles11");
  FUZZ_CHECK(commands == expected_commands);
  return 0;
}
