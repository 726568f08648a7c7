// Benchmarks of the component's parsing work, fwpack's engine beside the
// engines an engineer would otherwise use. Every engine is first checked to
// give the expected results on every input; one that does not is reported
// and not timed, and the program then exits with 1.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/Engines.h"
#include "bench/Workloads.h"
#include "components/brocade/BrocadeComponent.h"
#include "framework/CBaseCmp.h"
#include "framework/Text.h"
#include "pattern/Pattern.h"

namespace {

using namespace bench;

// CompareVersions is a member of the base class; this is the smallest host
// for it, logging to a file of our own.
class VersionHost : public CBaseCmp {
 public:
  explicit VersionHost(const std::string& log_path) : CBaseCmp(log_path) {}
};

std::vector<std::string> g_mismatches;
std::string g_only, g_engine;

bool Want(const std::string& workload) { return g_only.empty() || g_only == workload; }
bool WantEngine(const Engine& e) { return g_engine.empty() || g_engine == e.Name(); }

void Mismatch(const std::string& what) {
  g_mismatches.push_back(what);
  std::fprintf(stderr, "MISMATCH %s\n", what.c_str());
}

std::string Show(const std::wstring& w) { return "\"" + NarrowBytes(w) + "\""; }
std::string Show(const std::string& s) { return "\"" + s + "\""; }

template <class T, class Printer>
bool SameItems(const std::string& where, const std::vector<T>& got, const std::vector<T>& want, Printer show) {
  if (got.size() != want.size()) {
    Mismatch(where + ": " + std::to_string(got.size()) + " results, expected " + std::to_string(want.size()));
    return false;
  }
  for (size_t i = 0; i < got.size(); ++i) {
    if (!(got[i] == want[i])) {
      Mismatch(where + ": item " + std::to_string(i) + " gives " + show(got[i]) + ", expected " + show(want[i]));
      return false;
    }
  }
  return true;
}

std::string ShowGroups(const std::vector<std::string>& g) {
  if (g.empty()) return "no match";
  std::string out;
  for (const std::string& s : g) out += (out.empty() ? "" : ",") + Show(s);
  return out;
}

std::string ShowSlot(const InstanceSlot& s) { return Show(s.flash) + "/" + Show(s.port); }

// Every timed iteration goes through here, so a profiler can collect this
// function alone (callgrind --toggle-collect) and leave the set-up out.
__attribute__((noinline)) void TimedBody(const std::function<void()>& body) { body(); }

void Register(const std::string& workload, const std::string& engine, int items, std::function<void()> body) {
  std::string name = workload + "/" + engine;
  benchmark::RegisterBenchmark(name.c_str(), [body, items](benchmark::State& st) {
    for (auto _ : st) TimedBody(body);
    st.counters["items"] = items;
    st.SetItemsProcessed(st.iterations() * items);
  });
}

}  // namespace

int main(int argc, char** argv) {
  // Own options: --verify_only (check, do not time), --fwbench_only=W (only
  // workload W, e.g. for a profile), --fwbench_engine=E (only engine E).
  bool verify_only = false;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verify_only") == 0)
      verify_only = true;
    else if (std::strncmp(argv[i], "--fwbench_only=", 15) == 0)
      g_only = argv[i] + 15;
    else if (std::strncmp(argv[i], "--fwbench_engine=", 17) == 0)
      g_engine = argv[i] + 17;
    else
      args.push_back(argv[i]);
  }
  int bargc = static_cast<int>(args.size());

  // The components log to a file of our own, never to the host's log.
  static char dir[] = "/tmp/fwbenchXXXXXX";
  if (mkdtemp(dir) == nullptr) {
    std::fprintf(stderr, "fwbench: cannot create a log directory: %s\n", std::strerror(errno));
    return 2;
  }

  static const Inputs in = MakeInputs();
  static std::vector<std::unique_ptr<Engine>> engines = AllEngines();
  static VersionHost host(std::string(dir) + "/Component.log");
  static BrocadeComp::CComponent brocade(std::string(dir) + "/Component.log");
  std::atexit([] {
    std::remove((std::string(dir) + "/Component.log").c_str());
    rmdir(dir);
  });
  Engine& fw = *engines[0];
  const int qlines = static_cast<int>(in.qlogic_lines.size());
  const int elines = static_cast<int>(in.emulex_lines.size());
  const int npairs = static_cast<int>(in.version_pairs.size());
  const int nroms = static_cast<int>(in.rom_texts.size());
  const int nrel = static_cast<int>(in.releases.size());

  // ---- QLogic query output and Emulex query lines ------------------------
  // "qlogic"/"emulex": a fresh compile per line; "-reuse": compiled once per
  // output with a fresh matcher per line; "-settext": compiled once with one
  // matcher per pattern for the whole output, re-targeted at each line.
  using QLogicFn = InstanceTable (*)(Engine&, const std::vector<std::string>&, std::vector<std::string>*);
  using EmulexFn = std::vector<std::wstring> (*)(Engine&, const std::vector<std::string>&,
                                                 std::vector<std::vector<std::string>>*);
  const std::pair<const char*, QLogicFn> qlogic_forms[] = {
      {"qlogic", QLogicParse}, {"qlogic-reuse", QLogicParseReuse}, {"qlogic-settext", QLogicParseSetText}};
  const std::pair<const char*, EmulexFn> emulex_forms[] = {
      {"emulex", EmulexParse}, {"emulex-reuse", EmulexParseReuse}, {"emulex-settext", EmulexParseSetText}};
  for (const auto& form : qlogic_forms) {
    if (!Want(form.first)) continue;
    QLogicFn parse = form.second;
    std::vector<std::string> fw_trace;
    parse(fw, in.qlogic_lines, &fw_trace);
    for (auto& e : engines) {
      if (!WantEngine(*e)) continue;
      std::string where = std::string(form.first) + "/" + e->Name();
      std::vector<std::string> trace;
      InstanceTable t = parse(*e, in.qlogic_lines, &trace);
      bool ok = SameItems(where + " instance table", std::vector<InstanceSlot>(t.begin(), t.end()),
                          std::vector<InstanceSlot>(in.qlogic_expected.begin(), in.qlogic_expected.end()), ShowSlot);
      if (ok && e.get() != &fw)
        ok = SameItems(where + " groups", trace, fw_trace, [](const std::string& v) { return Show(v); });
      if (ok) {
        Engine* ep = e.get();
        Register(form.first, e->Name(), qlines,
                 [ep, parse] { benchmark::DoNotOptimize(parse(*ep, in.qlogic_lines, nullptr)); });
      }
    }
  }
  for (const auto& form : emulex_forms) {
    if (!Want(form.first)) continue;
    EmulexFn parse = form.second;
    for (auto& e : engines) {
      if (!WantEngine(*e)) continue;
      std::vector<std::vector<std::string>> groups;
      parse(*e, in.emulex_lines, &groups);
      if (SameItems(std::string(form.first) + "/" + e->Name(), groups, in.emulex_expected, ShowGroups)) {
        Engine* ep = e.get();
        Register(form.first, e->Name(), elines,
                 [ep, parse] { benchmark::DoNotOptimize(parse(*ep, in.emulex_lines, nullptr)); });
      }
    }
  }

  // ---- CompareVersions ----------------------------------------------------
  auto show_int = [](int v) { return std::to_string(v); };
  if (Want("versions") && WantEngine(fw)) {
    std::vector<int> got;
    for (const auto& p : in.version_pairs) got.push_back(host.CompareVersions(p.first, p.second));
    if (SameItems("versions/fwpack", got, in.version_expected, show_int)) {
      Register("versions", "fwpack", npairs, [] {
        for (const auto& p : in.version_pairs) benchmark::DoNotOptimize(host.CompareVersions(p.first, p.second));
      });
    }
  }
  for (size_t k = 1; k < engines.size() && Want("versions"); ++k) {
    Engine* ep = engines[k].get();
    if (!WantEngine(*ep)) continue;
    std::vector<int> got;
    for (const auto& p : in.version_pairs) got.push_back(PeerCompareVersions(*ep, p.first, p.second));
    if (SameItems(std::string("versions/") + ep->Name(), got, in.version_expected, show_int)) {
      Register("versions", ep->Name(), npairs, [ep] {
        for (const auto& p : in.version_pairs) benchmark::DoNotOptimize(PeerCompareVersions(*ep, p.first, p.second));
      });
    }
  }

  // ---- Brocade NormalizeVersion -------------------------------------------
  auto show_w = [](const std::wstring& w) { return Show(w); };
  if (Want("normalize") && WantEngine(fw)) {
    CBaseCmp& component = brocade;
    std::vector<std::wstring> got;
    for (const auto& t : in.rom_texts) got.push_back(component.NormalizeVersion(t));
    if (SameItems("normalize/fwpack", got, in.rom_expected, show_w)) {
      Register("normalize", "fwpack", nroms, [] {
        CBaseCmp& c = brocade;
        for (const auto& t : in.rom_texts) benchmark::DoNotOptimize(c.NormalizeVersion(t));
      });
    }
  }
  for (size_t k = 1; k < engines.size() && Want("normalize"); ++k) {
    Engine* ep = engines[k].get();
    if (!WantEngine(*ep)) continue;
    std::vector<std::wstring> got;
    for (const auto& t : in.rom_texts) got.push_back(PeerNormalizeVersion(*ep, t));
    if (SameItems(std::string("normalize/") + ep->Name(), got, in.rom_expected, show_w)) {
      Register("normalize", ep->Name(), nroms, [ep] {
        for (const auto& t : in.rom_texts) benchmark::DoNotOptimize(PeerNormalizeVersion(*ep, t));
      });
    }
  }

  // ---- Release files ------------------------------------------------------
  for (auto& e : engines) {
    Engine* ep = e.get();
    if (!Want("release") || !WantEngine(*ep)) continue;
    std::vector<std::wstring> got, want;
    for (const auto& c : in.releases) {
      got.push_back(ClassifyRelease(*ep, c));
      want.push_back(c.expected);
    }
    if (SameItems(std::string("release/") + ep->Name(), got, want, show_w)) {
      Register("release", ep->Name(), nrel, [ep] {
        for (const auto& c : in.releases) benchmark::DoNotOptimize(ClassifyRelease(*ep, c));
      });
    }
  }

  // ---- Scaling: one long line, fwpack beside a memchr scan ----------------
  static std::vector<std::string> lines;
  if (Want("scaling"))
    for (size_t size : {size_t(100), size_t(10000), size_t(1000000), size_t(10000000)})
      lines.push_back(ScalingLine(size));
  for (const std::string& line : lines) {
    const std::string* lp = &line;
    std::string tag = "scaling/" + std::to_string(line.size());
    std::vector<std::string> g;
    bool ok = fw.WholeGroups(kQLogicPatterns[0], DOT_ALL, line, g) && g.size() == 1 && g[0] == "7";
    if (!ok) {
      Pattern* p = Pattern::compile(kQLogicPatterns[0], DOT_ALL);
      TextMatcher* m = p != nullptr ? p->makeMatcher(line) : nullptr;
      bool whole = m != nullptr && m->matchesWhole();
      bool limit = m != nullptr && m->limitHit();
      Mismatch(tag + "/fwpack: " + (whole ? "group 1 " + ShowGroups(m->groupTexts(false)) : std::string("no match")) +
               (limit ? " (limit hit)" : "") + ", expected \"7\"");
      delete m;
      delete p;
    } else {
      benchmark::RegisterBenchmark((tag + "/fwpack").c_str(), [lp](benchmark::State& st) {
        std::vector<std::string> groups;
        Engine& e = *engines[0];
        for (auto _ : st) TimedBody([&] { benchmark::DoNotOptimize(e.WholeGroups(kQLogicPatterns[0], DOT_ALL, *lp, groups)); });
        st.counters["bytes"] = static_cast<double>(lp->size());
        st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(lp->size()));
      });
    }
    benchmark::RegisterBenchmark((tag + "/memchr").c_str(), [lp](benchmark::State& st) {
      for (auto _ : st) benchmark::DoNotOptimize(std::memchr(lp->data(), '\n', lp->size()));
      st.counters["bytes"] = static_cast<double>(lp->size());
      st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(lp->size()));
    });
  }

  if (!verify_only) {
    benchmark::Initialize(&bargc, args.data());
    if (benchmark::ReportUnrecognizedArguments(bargc, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  if (!g_mismatches.empty()) {
    std::fprintf(stderr, "fwbench: %zu engine result(s) differ from the expected; those were not timed\n",
                 g_mismatches.size());
    return 1;
  }
  std::fprintf(stderr, "fwbench: every engine gave the expected results on every input\n");
  return 0;
}
