// fwsim-check: runs the runs of a scenario file on one simulated host, in
// order, and compares what each run did with what the scenario expects.
//
//   fwsim-check --build BUILD_DIR [--sandbox PATH] [--real-sys] [--keep]
//               [--wrap "PROGRAM ARGS"] SCENARIO
//
// --wrap runs each "program" under PROGRAM ARGS (split at spaces), for
// example a memory checker that exits 99 when it finds an error.
//
// Each entry of "runs" names the executable ("program": fwpack,
// fwpack-emulex, fwpack-brocade or fwinvdump, found in BUILD_DIR; or
// "command": a whole argument list, where "@BUILD@" stands for BUILD_DIR) and
// "args", and may expect "exit_code",
// "stdout", "stderr", "log" (the text the run appended to the log),
// "log_in_order" (lines the appended text holds in this order), "reports"
// (file name in the package directory -> exact text, or null for "not
// written"), "host_patch" (a JSON merge patch applied to the host state
// before the run), "tool_calls" (tool -> argument lines it received during the
// run; "libraries" for the calls into the fake libraries), "calls_in_order"
// (record name -> lines received in this order), "package_files" /
// "package_files_absent". A text is a string or a
// list of lines, each ended by a newline.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/common/SimState.h"
#include "sim/common/TempDir.h"

extern char** environ;

using nlohmann::json;

namespace {

struct Options {
  std::string build, sandbox, scenario;
  std::vector<std::string> wrap;
  bool real_sys = false, keep = false;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string Quote(const std::string& line) {
  return json(line).dump(-1, ' ', false, json::error_handler_t::replace);
}

// Typed lookups that never throw on a missing key or a value of another type.
std::string StringOr(const json& object, const char* key, const std::string& fallback) {
  auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : fallback;
}
int IntOr(const json& object, const char* key, int fallback) {
  auto it = object.find(key);
  return it != object.end() && it->is_number_integer() ? it->get<int>() : fallback;
}

// Prints both texts line by line and points at the first difference.
void ShowDifference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> e = SplitLines(expected), a = SplitLines(actual);
  size_t i = 0;
  while (i < e.size() && i < a.size() && e[i] == a[i]) ++i;
  std::printf("    first difference at line %zu:\n", i + 1);
  std::printf("      expected: %s\n", i < e.size() ? Quote(e[i]).c_str() : "(end of text)");
  std::printf("      actual:   %s\n", i < a.size() ? Quote(a[i]).c_str() : "(end of text)");
  if (i >= e.size() && i >= a.size()) std::printf("      (the texts differ only in their final line end)\n");
  std::printf("    --- expected\n");
  for (const std::string& line : e) std::printf("    | %s\n", line.c_str());
  std::printf("    --- actual\n");
  for (const std::string& line : a) std::printf("    | %s\n", line.c_str());
}

class RunCheck {
 public:
  RunCheck(const std::string& scenario, size_t index, const std::string& name)
      : label_(scenario + " run " + std::to_string(index + 1) + (name.empty() ? "" : " '" + name + "'")) {}

  void Fail(const std::string& what) {
    ++failures_;
    std::printf("FAIL %s: %s\n", label_.c_str(), what.c_str());
  }
  void Text(const std::string& what, const std::string& expected, const std::string& actual) {
    if (expected == actual) return;
    Fail(what + " differs");
    ShowDifference(expected, actual);
  }
  int failures() const { return failures_; }

 private:
  std::string label_;
  int failures_ = 0;
};

// Runs argv with stdout and stderr to files; the exit code, or 128 + the
// signal; -1 when it could not be started. Killed as a group on timeout.
int Spawn(const std::vector<std::string>& argv, const std::string& out, const std::string& err, int timeout_s,
          bool& timed_out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return -1;
  timed_out = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_s);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      timed_out = true;
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--build" && i + 1 < argc) o.build = argv[++i];
    else if (a == "--sandbox" && i + 1 < argc) o.sandbox = argv[++i];
    else if (a == "--real-sys") o.real_sys = true;
    else if (a == "--keep") o.keep = true;
    else if (a == "--wrap" && i + 1 < argc) {
      std::istringstream words(argv[++i]);
      for (std::string w; words >> w;) o.wrap.push_back(w);
    }
    else if (!a.empty() && a[0] != '-' && o.scenario.empty()) o.scenario = a;
    else return false;
  }
  return !o.build.empty() && !o.scenario.empty();
}

bool IsExecutable(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

int CheckScenario(const Options& o) {
  std::string text;
  if (!SimState::ReadTextFile(o.scenario, text)) {
    std::printf("ERROR cannot read %s\n", o.scenario.c_str());
    return 2;
  }
  const json scenario = json::parse(text, nullptr, false);
  if (!scenario.is_object() || !scenario.contains("runs") || !scenario["runs"].is_array() ||
      scenario["runs"].empty()) {
    std::printf("ERROR %s: not a scenario with a non-empty \"runs\" list\n", o.scenario.c_str());
    return 2;
  }
  TempDir work_dir("fwsim-check.");
  if (!work_dir.ok()) {
    std::printf("ERROR cannot create a work directory\n");
    return 2;
  }
  const std::string work = work_dir.path();
  const std::string short_name = o.scenario.substr(o.scenario.rfind('/') + 1);

  std::string previous_log;
  if (scenario.contains("log_seed")) SimState::TextOf(scenario["log_seed"], previous_log);
  std::map<std::string, size_t> seen_calls;
  int failures = 0;

  const json& runs = scenario["runs"];
  for (size_t i = 0; i < runs.size(); ++i) {
    const json& run = runs[i];
    const std::string run_name = run.is_object() ? StringOr(run, "name", "") : "";
    RunCheck check(short_name, i, run_name);
    if (!run.is_object()) {
      check.Fail("run is not an object");
      failures += check.failures();
      continue;
    }
    std::vector<std::string> command;
    if (run.contains("command")) {
      for (const json& a : run["command"].is_array() ? run["command"] : json::array())
        if (a.is_string()) {
          std::string arg = a.get<std::string>();
          for (size_t at = arg.find("@BUILD@"); at != std::string::npos; at = arg.find("@BUILD@", at + o.build.size()))
            arg.replace(at, 7, o.build);
          command.push_back(arg);
        }
    } else {
      const std::string program = StringOr(run, "program", "fwpack");
      const std::string path = o.build + "/" + program;
      if (!IsExecutable(path)) {
        check.Fail(path + " is not built");
        failures += check.failures();
        continue;
      }
      command = o.wrap;
      command.push_back(path);
    }
    if (run.contains("args") && run["args"].is_array())
      for (const json& a : run["args"])
        if (a.is_string()) command.push_back(a.get<std::string>());
    if (command.empty()) {
      check.Fail("no command");
      failures += check.failures();
      continue;
    }

    const std::string out_dir = work + "/out-" + std::to_string(i + 1);
    std::vector<std::string> argv = {o.sandbox, o.scenario, "--state", work + "/host", "--out", out_dir,
                                     "--build", o.build};
    if (o.real_sys) argv.push_back("--real-sys");
    if (run.contains("host_patch")) {
      const std::string patch = work + "/patch-" + std::to_string(i + 1) + ".json";
      std::ofstream(patch) << run["host_patch"].dump(-1, ' ', false, json::error_handler_t::replace);
      argv.push_back("--patch");
      argv.push_back(patch);
    }
    argv.push_back("--");
    argv.insert(argv.end(), command.begin(), command.end());
    const std::string out_file = work + "/run-" + std::to_string(i + 1) + ".stdout";
    const std::string err_file = work + "/run-" + std::to_string(i + 1) + ".stderr";
    bool timed_out = false;
    const int code = Spawn(argv, out_file, err_file, IntOr(run, "timeout_seconds", 120), timed_out);
    std::string out, err;
    SimState::ReadTextFile(out_file, out);
    SimState::ReadTextFile(err_file, err);

    if (code == -1) check.Fail("cannot start " + o.sandbox);
    if (timed_out) check.Fail("did not finish in time (killed)");
    if (code == 125) check.Fail("the sandbox failed");
    if (run.contains("exit_code") && run["exit_code"].is_number_integer() && run["exit_code"].get<int>() != code)
      check.Fail("exit code " + std::to_string(code) + ", expected " + std::to_string(run["exit_code"].get<int>()));
    std::string expected;
    if (run.contains("stdout") && SimState::TextOf(run["stdout"], expected)) check.Text("stdout", expected, out);
    if (run.contains("stderr") && SimState::TextOf(run["stderr"], expected)) check.Text("stderr", expected, err);

    std::string log;
    SimState::ReadTextFile(out_dir + "/Component.log", log);
    std::string appended = log;
    if (log.compare(0, previous_log.size(), previous_log) == 0) {
      appended = log.substr(previous_log.size());
    } else {
      check.Fail("the log lost what earlier runs had written");
    }
    previous_log = log;
    if (run.contains("log") && SimState::TextOf(run["log"], expected)) check.Text("log (appended by this run)", expected, appended);
    if (run.contains("log_in_order") && run["log_in_order"].is_array()) {
      const std::vector<std::string> lines = SplitLines(appended);
      size_t at = 0;
      for (const json& want : run["log_in_order"]) {
        if (!want.is_string()) continue;
        while (at < lines.size() && lines[at] != want.get<std::string>()) ++at;
        if (at == lines.size()) {
          check.Fail("log lacks, in order, the line " + Quote(want.get<std::string>()));
          ShowDifference("", appended);
          break;
        }
        ++at;
      }
    }

    // Tool records grow across runs; each run is checked on what it added.
    std::map<std::string, std::vector<std::string>> calls;
    for (const char* tool : {"zvqlafwupdate", "elxflash", "bcu_bootupdate", "libraries"}) {
      std::string record;
      SimState::ReadTextFile(out_dir + "/records/" + tool + ".txt", record);
      const std::vector<std::string> lines = SplitLines(record);
      const size_t before = seen_calls[tool] <= lines.size() ? seen_calls[tool] : lines.size();
      calls[tool].assign(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end());
      seen_calls[tool] = lines.size();
    }
    if (run.contains("tool_calls") && run["tool_calls"].is_object()) {
      for (auto it = run["tool_calls"].begin(); it != run["tool_calls"].end(); ++it) {
        std::string want, got;
        if (!SimState::TextOf(*it, want)) continue;
        for (const std::string& line : calls[it.key()]) got += line + "\n";
        check.Text("arguments received by " + it.key(), want, got);
      }
    }
    if (run.contains("calls_in_order") && run["calls_in_order"].is_object()) {
      for (auto it = run["calls_in_order"].begin(); it != run["calls_in_order"].end(); ++it) {
        if (!it->is_array()) continue;
        const std::vector<std::string>& got = calls[it.key()];
        size_t at = 0;
        for (const json& want : *it) {
          if (!want.is_string()) continue;
          while (at < got.size() && got[at] != want.get<std::string>()) ++at;
          if (at == got.size()) {
            check.Fail("calls of " + it.key() + " lack, in order, " + Quote(want.get<std::string>()));
            std::string all;
            for (const std::string& line : got) all += line + "\n";
            ShowDifference("", all);
            break;
          }
          ++at;
        }
      }
    }
    if (run.contains("reports") && run["reports"].is_object()) {
      for (auto it = run["reports"].begin(); it != run["reports"].end(); ++it) {
        std::string report;
        const bool present = SimState::ReadTextFile(out_dir + "/package/" + it.key(), report);
        if (it->is_null()) {
          if (present) check.Fail("report " + it.key() + " was written but should not be");
          continue;
        }
        if (!present) {
          check.Fail("report " + it.key() + " was not written");
          continue;
        }
        if (SimState::TextOf(*it, expected)) check.Text("report " + it.key(), expected, report);
      }
    }
    std::string listing;
    SimState::ReadTextFile(out_dir + "/package.list", listing);
    const std::vector<std::string> files = SplitLines(listing);
    auto listed = [&](const std::string& f) {
      for (const std::string& l : files)
        if (l == f) return true;
      return false;
    };
    for (const char* key : {"package_files", "package_files_absent"}) {
      if (!run.contains(key) || !run[key].is_array()) continue;
      const bool want_present = std::string(key) == "package_files";
      for (const json& f : run[key])
        if (f.is_string() && listed(f.get<std::string>()) != want_present)
          check.Fail("package file " + f.get<std::string>() + (want_present ? " is missing" : " should not exist"));
    }

    if (check.failures() > 0 && !err.empty()) {
      std::printf("    --- stderr of the run\n");
      for (const std::string& line : SplitLines(err)) std::printf("    | %s\n", line.c_str());
    }
    if (check.failures() == 0)
      std::printf("ok   %s run %zu%s\n", short_name.c_str(), i + 1, run_name.empty() ? "" : (" '" + run_name + "'").c_str());
    failures += check.failures();
  }

  if (o.keep) {
    work_dir.Keep();
    std::printf("work directory kept: %s\n", work.c_str());
  }
  std::printf("%s %s\n", failures == 0 ? "PASS" : "FAIL", short_name.c_str());
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArgs(argc, argv, o)) {
    std::fprintf(stderr, "usage: fwsim-check --build BUILD_DIR [--sandbox PATH] [--real-sys] [--keep] [--wrap \"PROGRAM ARGS\"] "
                 "SCENARIO\n");
    return 2;
  }
  // The runs start in the package directory: every path must be absolute.
  for (std::string* path : {&o.build, &o.scenario}) {
    char* resolved = realpath(path->c_str(), nullptr);
    if (resolved == nullptr) {
      std::fprintf(stderr, "fwsim-check: no such file or directory: %s\n", path->c_str());
      return 2;
    }
    *path = resolved;
    std::free(resolved);
  }
  if (o.sandbox.empty()) o.sandbox = o.build + "/sim/sandbox";
  return CheckScenario(o);
}
