// The component's parsing workloads over the Engine interface, and the
// generated inputs with their expected results.
#include "bench/Workloads.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "components/brocade/BrocadePatterns.h"
#include "components/emulex/EmulexPatterns.h"
#include "components/qlogic/QLogicPatterns.h"
#include "framework/CBaseCmp.h"
#include "framework/FrameworkPatterns.h"
#include "framework/Text.h"
#include "pattern/Pattern.h"

namespace bench {

const char* const kQLogicPatterns[3] = {QLogicComp::kInstanceLinePattern, QLogicComp::kFlashImageLinePattern,
                                        QLogicComp::kPortNameLinePattern};
const char* const kEmulexPattern = EmulexComp::kQueryLinePattern;
const wchar_t* const kRomPattern = BrocadeComp::kOptionRomVersionPattern;
const wchar_t* const kDigitsPattern = FwPatterns::kNumericFieldPattern;

namespace {

// Small fixed-seed generator so every run sees the same inputs.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint32_t Next() {
    s_ = s_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(s_ >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint64_t s_;
};

std::string Fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* f, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, f);
  int n = std::vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  if (n < 0) return std::string();
  return std::string(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

std::string Wwn(Rng& r, const char* sep, bool upper) {
  std::string out = "21";
  for (int i = 1; i < 8; ++i) out += Fmt(upper ? "%s%02X" : "%s%02x", sep, r.Below(256));
  return out;
}

void MakeQLogic(Inputs& in, Rng& r) {
  static const char* const kModels[] = {"QLE2562", "QLE2462", "QLE8152", "QLE2672", "QMH2572"};
  for (int i = 0; i < kInstances; ++i) {
    std::string version = Fmt("%d.%02d.%02d", 1 + r.Below(3), r.Below(100), r.Below(100));
    std::string port = Wwn(r, "-", true);
    const char* model = kModels[r.Below(5)];
    // The simulated tool's layout, with a few variants a tool may print:
    // extra text after the number, a value that itself holds ": ".
    if (i % 7 == 3)
      in.qlogic_lines.push_back(Fmt("HBA Instance    : %d (%s Port 1)", i, model));
    else
      in.qlogic_lines.push_back(Fmt("HBA Instance    : %d", i));
    in.qlogic_lines.push_back(Fmt("HBA Model       : %s", model));
    if (i % 5 == 2)
      in.qlogic_lines.push_back("Flash Image     : Multiboot: " + version);
    else
      in.qlogic_lines.push_back("Flash Image     : " + version);
    in.qlogic_lines.push_back("Port Name       : " + port);
    in.qlogic_lines.push_back(i % 9 == 5 ? "Port Status     : Link Down" : "Port Status     : Online");
    InstanceSlot& slot = in.qlogic_expected[static_cast<size_t>(i)];
    slot.flash = Widen(version);
    for (char& c : port)
      if (c == '-') c = ':';
    slot.port = port;
  }
}

void MakeEmulex(Inputs& in, Rng& r) {
  static const char* const kModels[] = {"LPe12002-M8", "LPe11002-E", "LPe16002B-M6", "OCe11102-FM",
                                        "LPe32002-M2", "LP21002-M8", "LPe35002-M2", "LPe1250-F8"};
  static const char* const kDevices[] = {"F100", "FE00", "E200", "710", "e300", "F0D5"};
  for (int i = 0; i < 64; ++i) {
    std::vector<std::string> g(7);
    g[0] = kModels[r.Below(8)];
    g[1] = kDevices[r.Below(6)];
    g[2] = (i % 9 == 4) ? "DF" : "10DF";
    g[3] = (i % 11 == 6) ? "E20" : g[1];
    g[4] = g[2];
    g[5] = Fmt("%d.%d%c%d", 1 + r.Below(12), r.Below(10), "AaX"[r.Below(3)], r.Below(10));
    g[6] = Fmt("%d.%d%c%d", 1 + r.Below(12), r.Below(20), "abx"[r.Below(3)], r.Below(20));
    std::string wwn = Wwn(r, ":", false);
    in.emulex_lines.push_back(Fmt("HBA=%s, PCI ID=%s, Port WWN=%s, Node WWN=%s, VID=%s, SSID=%s, SVID=%s, "
                                  "Serial Number=VM%08d, Firmware=%s, Boot Code=%s, Boot Code Status=Enabled",
                                  g[0].c_str(), g[1].c_str(), wwn.c_str(), wwn.c_str(), g[2].c_str(),
                                  g[3].c_str(), g[4].c_str(), r.Below(100000000), g[5].c_str(), g[6].c_str()));
    in.emulex_expected.push_back(g);
  }
}

std::wstring VersionField(Rng& r) {
  switch (r.Below(10)) {
    case 0: return Widen(Fmt("0%d", r.Below(10)));
    case 1: return Widen(Fmt("%d%c%d", r.Below(20), "aAbz"[r.Below(4)], r.Below(10)));
    case 2: return r.Below(4) == 0 ? std::wstring() : Widen(Fmt("%d", r.Below(1000)));
    default: return Widen(Fmt("%d", r.Below(r.Below(2) ? 20 : 1000)));
  }
}

std::wstring Version(Rng& r) {
  int fields = 1 + r.Below(4);
  std::wstring v;
  for (int i = 0; i < fields; ++i) {
    if (i) v += L'.';
    v += VersionField(r);
  }
  if (r.Below(40) == 0) v += L'.';
  return v;
}

// Reference rule for the expected results, without any pattern engine.
bool AllDigits(const std::wstring& f) {
  if (f.empty()) return false;
  for (wchar_t c : f)
    if (c < L'0' || c > L'9') return false;
  return true;
}

int CompareByValue(const std::wstring& a, const std::wstring& b) {
  size_t i = a.find_first_not_of(L'0'), j = b.find_first_not_of(L'0');
  std::wstring x = i == std::wstring::npos ? L"" : a.substr(i);
  std::wstring y = j == std::wstring::npos ? L"" : b.substr(j);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  int c = x.compare(y);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

template <class IsNumeric>
int CompareWith(const std::wstring& a, const std::wstring& b, IsNumeric numeric) {
  std::vector<std::wstring> A = SplitVersion(a, L'.'), B = SplitVersion(b, L'.');
  for (size_t i = 0;; ++i) {
    if (i >= A.size()) return A.size() < B.size() ? -1 : 0;
    if (i >= B.size()) return 1;
    int c;
    if (numeric(A[i]) && numeric(B[i])) {
      c = CompareByValue(A[i], B[i]);
    } else {
      int w = std::wcscmp(A[i].c_str(), B[i].c_str());
      c = w < 0 ? -1 : w > 0 ? 1 : 0;
    }
    if (c != 0) return c;
  }
}

void MakeVersions(Inputs& in, Rng& r) {
  for (int i = 0; i < 10000; ++i) {
    std::wstring a = Version(r), b;
    switch (r.Below(4)) {
      case 0: b = a; break;
      case 1: {  // same but one field changed: the comparison runs deep
        std::vector<std::wstring> f = SplitVersion(a, L'.');
        if (!f.empty()) f[static_cast<size_t>(r.Below(static_cast<int>(f.size())))] = VersionField(r);
        for (size_t k = 0; k < f.size(); ++k) b += (k ? L"." : L"") + f[k];
        break;
      }
      default: b = Version(r); break;
    }
    in.version_pairs.emplace_back(a, b);
    in.version_expected.push_back(CompareWith(a, b, AllDigits));
  }
}

// The greedy leading ".*" makes the match start as late as possible.
std::wstring ExpectedRom(const std::wstring& t) {
  auto digits = [&](size_t& p) {
    size_t s = p;
    while (p < t.size() && t[p] >= L'0' && t[p] <= L'9') ++p;
    return p > s;
  };
  for (size_t s = t.size(); s-- > 0;) {
    size_t p = s;
    bool ok = true;
    for (int part = 0; part < 4 && ok; ++part) {
      ok = digits(p);
      if (ok && part < 3) ok = p < t.size() && t[p++] == L'.';
    }
    if (ok) return t.substr(s, p - s);
  }
  return t;
}

void MakeRoms(Inputs& in, Rng& r) {
  for (int i = 0; i < 1000; ++i) {
    int a = r.Below(4), b = r.Below(10), c = r.Below(10), d = r.Below(100);
    std::string t;
    switch (r.Below(7)) {
      case 0: t = Fmt("B%d.%d.%d.%d BIOS", a, b, c, d); break;
      case 1: t = Fmt("v%d.%d.%d.%d (build %d)", 10 + a, b, c, d, r.Below(1000)); break;
      case 2: t = Fmt("%d.%d.%d.%d", a, b, c, d); break;
      case 3: t = Fmt("Boot %d.%d.%d.%d and %d.%d.%d.%d", a, b, c, d, 12 + a, c, b, d); break;
      case 4: t = Fmt("Option ROM %d.%d", a, b); break;
      case 5: t = Fmt("Brocade BIOS %d.%d.%d.%d x86_64 EFI %d.%d", a, b, c, d, b, c); break;
      default: t = Fmt("%d.%d.%d.%d.%d", a, b, c, d, r.Below(10)); break;
    }
    in.rom_texts.push_back(Widen(t));
    in.rom_expected.push_back(ExpectedRom(in.rom_texts.back()));
  }
}

void MakeReleases(Inputs& in) {
  in.releases = {
      {true, "Red Hat Enterprise Linux Server release 5.4 (Tikanga)\n", L"rhel5"},
      {true, "Red Hat Enterprise Linux AS release 4 (Nahant Update 8)\n", L"rhel4"},
      {true, "Red Hat Enterprise Linux Server release 6.2 (Santiago)\nKernel \\r on an \\m\n", L"rhel6"},
      {true, "Red Hat Enterprise Linux Server release 7.0 (Maipo)\n", L""},
      {true, "CentOS release 5.4 (Final)\nRed Hat Enterprise Linux compatible\n", L""},
      {false, "SUSE Linux Enterprise Server 11 (x86_64)\nVERSION = 11\nPATCHLEVEL = 1\n", L"sles11"},
      {false, "SUSE Linux Enterprise Server 10 (x86_64)\nVERSION = 10\nPATCHLEVEL = 4\n", L"sles10"},
      {false, "openSUSE 11.4 (x86_64)\nVERSION = 11.4\nCODENAME = Celadon\n", L""},
  };
}

}  // namespace

Inputs MakeInputs() {
  Inputs in;
  Rng r(20261211);
  MakeQLogic(in, r);
  MakeEmulex(in, r);
  MakeVersions(in, r);
  MakeRoms(in, r);
  MakeReleases(in);
  return in;
}

namespace {

// `match(k, line, groups)`: whole-line match of line pattern k.
template <class Match>
InstanceTable QLogicParseWith(Match match, const std::vector<std::string>& lines, std::vector<std::string>* trace) {
  InstanceTable table;
  int current = -1;  // values before the first "HBA Instance" line are dropped
  std::vector<std::string> groups;
  for (const std::string& line : lines) {
    for (int k = 0; k < 3; ++k) {
      if (!match(k, line, groups) || groups.empty()) continue;
      const std::string& value = groups[0];
      if (trace != nullptr) trace->push_back(std::to_string(k) + ":" + value);
      if (k == 0) {
        long n = std::strtol(value.c_str(), nullptr, 10);
        current = (n >= 0 && n < kInstances) ? static_cast<int>(n) : -1;
      } else if (current >= 0) {
        InstanceSlot& slot = table[static_cast<size_t>(current)];
        if (k == 1) {
          slot.flash = Widen(value);
        } else {
          slot.port = value;
          for (char& c : slot.port)
            if (c == '-') c = ':';
        }
      }
    }
  }
  return table;
}

template <class Match>
std::vector<std::wstring> EmulexParseWith(Match match, const std::vector<std::string>& lines,
                                          std::vector<std::vector<std::string>>* all) {
  std::vector<std::wstring> keys;
  std::vector<std::string> g;
  auto pad = [](const std::string& id) { return id.size() < 4 ? std::string(4 - id.size(), '0') + id : id; };
  for (const std::string& line : lines) {
    bool ok = match(line, g) && g.size() == 7;
    if (all != nullptr) all->push_back(ok ? g : std::vector<std::string>());
    if (!ok) continue;
    keys.push_back(Widen(pad(g[2]) + "." + pad(g[1]) + "." + pad(g[4]) + "." + pad(g[3])));
  }
  return keys;
}

}  // namespace

InstanceTable QLogicParse(Engine& e, const std::vector<std::string>& lines, std::vector<std::string>* trace) {
  return QLogicParseWith(
      [&e](int k, const std::string& line, std::vector<std::string>& g) {
        return e.WholeGroups(kQLogicPatterns[k], DOT_ALL, line, g);
      },
      lines, trace);
}

InstanceTable QLogicParseReuse(Engine& e, const std::vector<std::string>& lines, std::vector<std::string>* trace) {
  std::unique_ptr<CompiledPattern> compiled[3];
  for (int k = 0; k < 3; ++k) compiled[k] = e.Compile(kQLogicPatterns[k], DOT_ALL);
  return QLogicParseWith(
      [&compiled](int k, const std::string& line, std::vector<std::string>& g) {
        return compiled[k] != nullptr && compiled[k]->WholeGroups(line, g);
      },
      lines, trace);
}

InstanceTable QLogicParseSetText(Engine& e, const std::vector<std::string>& lines, std::vector<std::string>* trace) {
  std::unique_ptr<CompiledPattern> compiled[3];
  std::unique_ptr<LineMatcher> matchers[3];
  for (int k = 0; k < 3; ++k) {
    compiled[k] = e.Compile(kQLogicPatterns[k], DOT_ALL);
    if (compiled[k] != nullptr) matchers[k] = compiled[k]->MakeLineMatcher();
  }
  return QLogicParseWith(
      [&matchers](int k, const std::string& line, std::vector<std::string>& g) {
        return matchers[k] != nullptr && matchers[k]->WholeGroups(line, g);
      },
      lines, trace);
}

std::vector<std::wstring> EmulexParse(Engine& e, const std::vector<std::string>& lines,
                                      std::vector<std::vector<std::string>>* all) {
  return EmulexParseWith(
      [&e](const std::string& line, std::vector<std::string>& g) {
        return e.WholeGroups(kEmulexPattern, DOT_ALL, line, g);
      },
      lines, all);
}

std::vector<std::wstring> EmulexParseReuse(Engine& e, const std::vector<std::string>& lines,
                                           std::vector<std::vector<std::string>>* all) {
  std::unique_ptr<CompiledPattern> compiled = e.Compile(kEmulexPattern, DOT_ALL);
  return EmulexParseWith(
      [&compiled](const std::string& line, std::vector<std::string>& g) {
        return compiled != nullptr && compiled->WholeGroups(line, g);
      },
      lines, all);
}

std::vector<std::wstring> EmulexParseSetText(Engine& e, const std::vector<std::string>& lines,
                                             std::vector<std::vector<std::string>>* all) {
  std::unique_ptr<CompiledPattern> compiled = e.Compile(kEmulexPattern, DOT_ALL);
  std::unique_ptr<LineMatcher> matcher = compiled != nullptr ? compiled->MakeLineMatcher() : nullptr;
  return EmulexParseWith(
      [&matcher](const std::string& line, std::vector<std::string>& g) {
        return matcher != nullptr && matcher->WholeGroups(line, g);
      },
      lines, all);
}

int PeerCompareVersions(Engine& e, const std::wstring& a, const std::wstring& b) {
  return CompareWith(a, b, [&e](const std::wstring& f) { return e.Matches(kDigitsPattern, f, 0); });
}

std::wstring PeerNormalizeVersion(Engine& e, const std::wstring& text) {
  std::vector<std::wstring> g;
  if (e.WholeGroups(kRomPattern, DOT_ALL, text, g) && !g.empty()) return g[0];
  return text;
}

std::wstring ClassifyRelease(Engine& e, const ReleaseCase& c) {
  const unsigned long flags = FwPatterns::kReleaseFlags;
  if (c.redhat) {
    for (const FwPatterns::Distribution& d : FwPatterns::kRedHatReleases)
      if (e.Matches(d.pattern, c.text, flags)) return d.name;
  } else {
    for (const FwPatterns::Distribution& d : FwPatterns::kSuseReleases)
      if (e.Matches(d.pattern, c.text, flags)) return d.name;
  }
  return L"";
}

std::string ScalingLine(size_t size) {
  static const char kHead[] = "HBA Instance";
  static const char kTail[] = ": 7";
  static const char kFill[] = "0123456789 abcdef-ghij.";
  std::string s = kHead;
  size_t body = size > sizeof kHead + sizeof kTail ? size - (sizeof kHead - 1) - (sizeof kTail - 1) : 0;
  s.reserve(size);
  for (size_t i = 0; i < body; ++i) s += kFill[i % (sizeof kFill - 1)];
  s += kTail;
  return s;
}

}  // namespace bench
