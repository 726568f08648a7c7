// The simulated vendor flash tools. One program, installed under the name of
// each tool it stands for: "zvqlafwupdate", "bcu_bootupdate", and
// "elxflash-sim" (run by the Emulex kit's lx/elxflash.sh). Query mode prints
// the host's adapters; update mode records its arguments, writes to
// descriptors 1, 2 and 3, exits with the configured code and, on success,
// stores the new versions so that the next run sees the flashed firmware.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "sim/common/SimState.h"

using nlohmann::json;

namespace {

std::string StatePath() {
  const char* over = std::getenv("FWSIM_STATE");
  return over != nullptr && *over != '\0' ? over : SimState::kStateFile;
}

std::string RecordPath(const std::string& tool) {
  const std::string state = StatePath();
  const size_t slash = state.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : state.substr(0, slash);
  return dir + "/records/" + tool + ".txt";
}

std::string JoinArgs(const std::vector<std::string>& args) {
  std::string line;
  for (size_t i = 0; i < args.size(); ++i) line += (i ? " " : "") + args[i];
  return line;
}

bool HasArg(const std::vector<std::string>& args, const char* wanted) {
  for (const std::string& a : args)
    if (a == wanted) return true;
  return false;
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string Lines(const json& list) {
  std::string text;
  for (const json& line : list)
    if (line.is_string()) text += line.get<std::string>() + "\n";
  return text;
}

void SleepMs(int64_t ms) {
  if (ms <= 0) return;
  struct timespec left = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

// Ends the process the way the scenario says: a signal, a delay, an exit code.
// `delay_key` names a further delay of this mode in milliseconds.
int Finish(const json& tool, const char* exit_key, const char* signal_key, const char* delay_key) {
  const int64_t delay = SimState::GetInt(tool, "sleep_seconds", 0);
  if (delay > 0) sleep(static_cast<unsigned>(delay));
  SleepMs(SimState::GetInt(tool, delay_key, 0));
  const int64_t sig = SimState::GetInt(tool, signal_key, 0);
  if (sig > 0 && sig < 65) {
    signal(static_cast<int>(sig), SIG_DFL);
    raise(static_cast<int>(sig));
  }
  return static_cast<int>(SimState::GetInt(tool, exit_key, 0) & 0xFF);
}

int Query(const json& tool) { return Finish(tool, "query_exit_code", "query_signal", "query_sleep_ms"); }

// One line per event of an update run in records/<tool>-runs.txt: "start",
// then "end" once the run has done all its work (state saved), each with the
// time in nanoseconds (CLOCK_REALTIME) and the pid, so that tests can order
// runs and tell a run cut short from a finished one.
void RunEvent(const std::string& tool, const char* event, int code = -1) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  std::string line = std::string(event) + " " +
                     std::to_string(static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec) +
                     " pid " + std::to_string(getpid());
  if (code >= 0) line += " code " + std::to_string(code);
  const std::string path = RecordPath(tool);
  SimState::AppendTextFile(path.substr(0, path.size() - 4) + "-runs.txt", line + "\n");
}

// Update-mode output on the three descriptors the component redirects.
void UpdateOutput(const json& tool, const std::string& name, size_t count) {
  WriteAll(1, SimState::GetString(tool, "stdout_text",
                                  name + ": updating " + std::to_string(count) + " adapter(s)\n"));
  WriteAll(2, SimState::GetString(tool, "stderr_text", name + ": report on standard error\n"));
  // Descriptor 3 only when someone opened it for us.
  if (fcntl(3, F_GETFD) != -1) WriteAll(3, SimState::GetString(tool, "fd3_text", name + ": report on descriptor 3\n"));
}

bool Save(const json& state) {
  std::string error;
  if (SimState::WriteJsonFile(StatePath(), state, error)) return true;
  std::fprintf(stderr, "simulated tool: %s\n", error.c_str());
  return false;
}

// Update mode, alike for every tool: counts the adapters it sees (those with
// a KEY object), prints, ends as the scenario says and, on success, lets
// STORE write each one's new versions into the host state.
template <class Store>
int Update(json& state, const json& tool, const std::string& name, const char* key, Store store) {
  RunEvent(name, "start");
  json& adapters = state["adapters"];
  size_t count = 0;
  for (const json& adapter : adapters)
    if (adapter.is_object() && adapter.contains(key)) ++count;
  UpdateOutput(tool, name, count);
  int code = Finish(tool, "exit_code", "signal", "update_sleep_ms");
  if (code == 0) {
    for (json& adapter : adapters)
      if (adapter.is_object() && adapter.contains(key) && adapter[key].is_object()) store(adapter);
    if (!Save(state)) code = 70;
  }
  RunEvent(name, "end", code);
  return code;
}

std::string PortName(const json& adapter, const json& ql) {
  if (ql.contains("port_name")) return SimState::GetString(ql, "port_name");
  const json& ports = SimState::GetArray(adapter, "ports");
  std::string wwn = ports.empty() ? "" : SimState::GetString(ports[0], "wwn");
  for (char& c : wwn) {
    if (c == ':') c = '-';
    if (SimState::GetBool(ql, "lower_case_port_name") && c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return wwn;
}

int QLogic(json& state, const std::vector<std::string>& args) {
  const json& tool = SimState::GetObject(SimState::GetObject(state, "tools"), "zvqlafwupdate");
  json& adapters = state["adapters"];
  if (HasArg(args, "/q")) {
    std::string out = Lines(SimState::GetArray(tool, "query_prefix_lines"));
    int64_t next = 0;
    for (const json& adapter : adapters) {
      const json& ql = SimState::GetObject(adapter, "qlogic");
      if (!adapter.is_object() || !adapter.contains("qlogic")) continue;
      const int64_t instance = SimState::GetInt(ql, "instance", next);
      next = instance + 1;
      out += "HBA Instance    : " + std::to_string(instance) + "\n";
      out += "HBA Model       : " +
             SimState::GetString(ql, "model", SimState::GetString(SimState::GetObject(adapter, "attributes"), "model")) +
             "\n";
      out += "Flash Image     : " + SimState::GetString(ql, "flash_image") + "\n";
      out += "Port Name       : " + PortName(adapter, ql) + "\n";
      out += "Port Status     : " + SimState::GetString(ql, "status", "Online") + "\n";
    }
    out += Lines(SimState::GetArray(tool, "query_extra_lines"));
    WriteAll(1, out);
    return Query(tool);
  }
  const std::string all = SimState::GetString(tool, "flash_version");
  return Update(state, tool, "zvqlafwupdate", "qlogic", [&all](json& adapter) {
    const std::string after = SimState::GetString(adapter["qlogic"], "flash_image_after", all);
    if (!after.empty()) adapter["qlogic"]["flash_image"] = after;
  });
}

std::string EmulexLine(const json& adapter) {
  const json& ex = SimState::GetObject(adapter, "emulex");
  if (ex.contains("line")) return SimState::GetString(ex, "line");
  const json& pci = SimState::GetObject(adapter, "pci");
  const json& attr = SimState::GetObject(adapter, "attributes");
  const json& ports = SimState::GetArray(adapter, "ports");
  return "HBA=" + SimState::GetString(ex, "model", SimState::GetString(attr, "model")) +
         ", PCI ID=" + SimState::GetString(ex, "pci_id", SimState::GetString(pci, "device_id")) +
         ", VID=" + SimState::GetString(ex, "vid", SimState::GetString(pci, "vendor_id")) +
         ", SSID=" + SimState::GetString(ex, "ssid", SimState::GetString(pci, "subsystem_device_id")) +
         ", SVID=" + SimState::GetString(ex, "svid", SimState::GetString(pci, "subsystem_vendor_id")) +
         ", Firmware=" + SimState::GetString(ex, "firmware", SimState::GetString(attr, "firmware_version")) +
         ", Boot Code=" + SimState::GetString(ex, "boot_code", SimState::GetString(attr, "option_rom_version")) +
         ", Port WWN=" + (ports.empty() ? std::string() : SimState::GetString(ports[0], "wwn")) +
         ", Node WWN=" + SimState::GetString(adapter, "node_wwn") +
         ", Status=Online";
}

int Emulex(json& state, const std::vector<std::string>& args) {
  const json& tool = SimState::GetObject(SimState::GetObject(state, "tools"), "elxflash");
  json& adapters = state["adapters"];
  if (HasArg(args, "/q")) {
    std::string out = Lines(SimState::GetArray(tool, "query_prefix_lines"));
    for (const json& adapter : adapters)
      if (adapter.is_object() && adapter.contains("emulex")) out += EmulexLine(adapter) + "\n";
    out += Lines(SimState::GetArray(tool, "query_extra_lines"));
    WriteAll(1, out);
    return Query(tool);
  }
  const std::string firmware = SimState::GetString(tool, "firmware_version");
  const std::string boot = SimState::GetString(tool, "boot_code_version");
  return Update(state, tool, "elxflash", "emulex", [&firmware, &boot](json& adapter) {
    json& ex = adapter["emulex"];
    const std::string fw_after = SimState::GetString(ex, "firmware_after", firmware);
    const std::string boot_after = SimState::GetString(ex, "boot_code_after", boot);
    if (!fw_after.empty()) ex["firmware"] = fw_after;
    if (!boot_after.empty()) ex["boot_code"] = boot_after;
  });
}

int Brocade(json& state, const std::vector<std::string>& args) {
  const json& tool = SimState::GetObject(SimState::GetObject(state, "tools"), "bcu_bootupdate");
  // "boot --update IMAGE -a": the image must lie in the working directory.
  if (args.size() < 3 || args[0] != "boot" || args[1] != "--update") {
    WriteAll(2, "bcu_bootupdate: usage: bcu_bootupdate boot --update IMAGE -a\n");
    return 2;
  }
  if (access(args[2].c_str(), R_OK) != 0) {
    WriteAll(2, "bcu_bootupdate: cannot read boot image " + args[2] + "\n");
    return static_cast<int>(SimState::GetInt(tool, "missing_image_exit_code", 3) & 0xFF);
  }
  const std::string all = SimState::GetString(tool, "option_rom_version");
  return Update(state, tool, "bcu_bootupdate", "brocade", [&all](json& adapter) {
    const std::string after = SimState::GetString(adapter["brocade"], "option_rom_after", all);
    if (!after.empty()) adapter["attributes"]["option_rom_version"] = after;
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::string name = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

  std::string tool;
  if (name == "zvqlafwupdate") tool = "zvqlafwupdate";
  else if (name == "bcu_bootupdate") tool = "bcu_bootupdate";
  else if (name == "elxflash-sim" || name == "elxflash.sh") tool = "elxflash";
  else {
    std::fprintf(stderr, "simulated tool: unknown tool name '%s'\n", name.c_str());
    return 64;
  }
  SimState::AppendTextFile(RecordPath(tool), JoinArgs(args) + "\n");

  json state;
  std::string error;
  if (!SimState::ReadJsonFile(StatePath(), state, error) || !state.is_object()) {
    std::fprintf(stderr, "%s: no simulated host: %s\n", name.c_str(), error.c_str());
    return 69;
  }
  if (!state.contains("adapters") || !state["adapters"].is_array()) state["adapters"] = json::array();
  if (tool == "zvqlafwupdate") return QLogic(state, args);
  if (tool == "elxflash") return Emulex(state, args);
  return Brocade(state, args);
}
