// Builds the simulated host of a scenario in a directory that the sandbox
// then mounts: overlay upper layers for /etc, /usr/lib, /usr/lib64 and /var,
// a sysfs tree, the log directory and the package directory with
// reference.xml and the fake tools. Every file it makes lies under the
// host's directory; the machine's own files are only looked at.
#include "sim/host/HostBuilder.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/Paths.h"
#include "framework/ShellSafeText.h"
#include "sim/common/SimState.h"

using nlohmann::json;

namespace {

std::string g_error;
// Packs the Emulex kit; set by Build for its duration.
const HostBuilder::Runner* g_run = nullptr;

bool Fail(const std::string& message) {
  if (g_error.empty()) g_error = message;
  return false;
}

bool MakeDirs(const std::string& path) {
  std::string partial;
  size_t at = 0;
  while (at != std::string::npos) {
    at = path.find('/', at + 1);
    partial = path.substr(0, at);
    if (partial.empty()) continue;
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return Fail("cannot create " + partial);
  }
  return true;
}

std::string Parent(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

// The host directory of the build running and the files it wrote, with
// their contents.
std::string g_host_root;
std::map<std::string, std::string> g_written;

// A file of the host as the scenario names it.
std::string Shown(const std::string& path) {
  if (path.compare(0, g_host_root.size() + 1, g_host_root + "/") != 0) return path;
  const std::string inner = path.substr(g_host_root.size() + 1);
  const std::pair<const char*, const char*> layers[] = {{"upper/etc/", "/etc/"},
                                                        {"upper/usrlib/", "/usr/lib/"},
                                                        {"upper/usrlib64/", "/usr/lib64/"},
                                                        {"pkg/", "package file "}};
  for (const auto& layer : layers) {
    const size_t n = std::strlen(layer.first);
    if (inner.compare(0, n, layer.first) == 0) return layer.second + inner.substr(n);
  }
  return inner;
}

bool WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644) {
  // Two entries that land on one file would leave only the later one: a
  // scenario that contradicts itself is refused rather than built wrong.
  const auto written = g_written.emplace(path, text);
  if (!written.second && written.first->second != text)
    return Fail("the scenario gives " + Shown(path) + " two different contents");
  if (!MakeDirs(Parent(path))) return false;
  if (!SimState::WriteTextFile(path, text)) return Fail("cannot write " + path);
  if (chmod(path.c_str(), mode) != 0) return Fail("cannot chmod " + path);
  return true;
}

bool CopyFile(const std::string& from, const std::string& to, mode_t mode) {
  std::string bytes;
  if (!SimState::ReadTextFile(from, bytes)) return Fail("cannot read " + from + " (is the simulator built?)");
  return WriteFile(to, bytes, mode);
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// An overlay whiteout hides a file of the machine's own tree in the sandbox.
bool Whiteout(const std::string& upper_path) {
  if (!MakeDirs(Parent(upper_path))) return false;
  if (mknod(upper_path.c_str(), S_IFCHR | 0000, makedev(0, 0)) != 0 && errno != EEXIST)
    return Fail("cannot create whiteout " + upper_path + ": " + std::strerror(errno));
  return true;
}

bool SafeName(const std::string& text) {
  if (text.empty() || text == "." || text == "..") return false;
  for (char c : text)
    if (!IsPortableNameChar(c)) return false;
  return true;
}

bool SafeRelative(const std::string& path) {
  if (path.empty() || path[0] == '/') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (!SafeName(path.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

struct Layout {
  std::string root, sim;
  std::string etc() const { return root + "/upper/etc"; }
  std::string usrlib() const { return root + "/upper/usrlib"; }
  std::string usrlib64() const { return root + "/upper/usrlib64"; }
  std::string sys() const { return root + "/sys"; }
  std::string pkg() const { return root + "/pkg"; }
};

// The simulator's own files in the sandbox (host state, tool records): no
// file of the scenario may land there.
bool InSimulatorDir(const Layout& l, const std::string& upper) {
  const std::string dir = l.etc() + (SimState::kStateDir + 4);
  return upper == dir || upper.compare(0, dir.size() + 1, dir + "/") == 0;
}

// Maps a machine path to the overlay layer that holds it in the sandbox.
bool UpperFor(const Layout& l, const std::string& path, std::string& out) {
  struct Prefix { const char* machine; std::string upper; };
  const Prefix prefixes[] = {{"/usr/lib64/", l.usrlib64()}, {"/lib64/", l.usrlib64()},
                             {"/usr/lib/", l.usrlib()},     {"/lib/", l.usrlib()},
                             {"/etc/", l.etc()}};
  for (const Prefix& p : prefixes) {
    const size_t n = std::strlen(p.machine);
    if (path.compare(0, n, p.machine) == 0 && SafeRelative(path.substr(n))) {
      out = p.upper + "/" + path.substr(n);
      return true;
    }
  }
  return false;
}

// Library files elsewhere (say /opt/vendor/lib.so) get an overlay of their
// own on the top directory (/opt, or /usr/local for /usr/local/...), which
// must exist on the machine as a mount point. The sandbox reads the list.
bool ExtraUpperFor(const Layout& l, const std::string& path, std::string& out, std::set<std::string>& extra) {
  if (path.size() < 2 || path[0] != '/' || !SafeRelative(path.substr(1))) return false;
  size_t end = path.find('/', 1);
  if (end == std::string::npos) return false;
  if (path.compare(0, 5, "/usr/") == 0) end = path.find('/', 5);
  if (end == std::string::npos) return false;
  const std::string target = path.substr(0, end);
  for (const char* reserved : {"/proc", "/sys", "/dev", "/run", "/tmp", "/var", "/boot", "/etc", "/usr/lib",
                               "/usr/lib64", "/lib", "/lib64"})
    if (target == reserved) return false;
  struct stat st;
  if (stat(target.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  std::string key = "x" + target;
  for (char& c : key)
    if (c == '/') c = '_';
  if (!MakeDirs(l.root + "/upper/" + key) || !MakeDirs(l.root + "/work/" + key)) return false;
  extra.insert(key + " " + target);
  out = l.root + "/upper/" + key + path.substr(end);
  return true;
}

bool BuildEtc(const Layout& l, const json& scenario) {
  if (!MakeDirs(l.etc() + "/fwpack-sim/records")) return false;
  json state = scenario;
  state.erase("runs");
  std::string error;
  if (!SimState::WriteJsonFile(l.etc() + "/fwpack-sim/host.json", state, error)) return Fail(error);

  if (scenario.contains("hba_conf")) {
    std::string text;
    if (!SimState::TextOf(scenario["hba_conf"], text)) return Fail("hba_conf must be a text or a list of lines");
    if (!WriteFile(l.etc() + "/hba.conf", text)) return false;
  } else if (Exists(FwPaths::kHbaConf) && !Whiteout(l.etc() + "/hba.conf")) {
    return false;
  }

  const json& releases = SimState::GetObject(scenario, "release_files");
  for (auto it = releases.begin(); it != releases.end(); ++it) {
    std::string upper, text;
    if (!UpperFor(l, it.key(), upper) || upper.compare(0, l.etc().size(), l.etc()) != 0)
      return Fail("release file " + it.key() + " must lie under /etc");
    if (InSimulatorDir(l, upper))
      return Fail("release file " + it.key() + " lies in the simulator's own " + SimState::kStateDir);
    if (!SimState::TextOf(*it, text)) return Fail("release file " + it.key() + " must be a text or a list of lines");
    if (!WriteFile(upper, text)) return false;
  }
  for (const char* known : {FwPaths::kRedHatRelease, FwPaths::kSuseRelease})
    if (!releases.contains(known) && Exists(known) && !Whiteout(l.etc() + (known + 4))) return false;
  return true;
}

bool BuildLibraries(const Layout& l, const json& scenario) {
  std::set<std::string> paths;
  for (const json& adapter : SimState::GetArray(scenario, "adapters")) {
    const std::string library = SimState::GetString(adapter, "library");
    if (!library.empty()) paths.insert(library);
    for (const json& ext : SimState::GetArray(adapter, "extension_libraries"))
      if (ext.is_string()) paths.insert(ext.get<std::string>());
  }
  const json& libraries = SimState::GetObject(scenario, "libraries");
  for (auto it = libraries.begin(); it != libraries.end(); ++it) paths.insert(it.key());

  std::set<std::string> extra;
  for (const std::string& path : paths) {
    std::string upper;
    if (!UpperFor(l, path, upper) && !ExtraUpperFor(l, path, upper, extra))
      return Fail("library path " + path + " lies in no directory the sandbox can overlay");
    if (InSimulatorDir(l, upper))
      return Fail("library path " + path + " lies in the simulator's own " + SimState::kStateDir);
    const json& knobs = SimState::GetObject(libraries, path.c_str());
    const std::string variant = SimState::GetString(knobs, "variant");
    if (variant == "not_shared_object") {
      if (!WriteFile(upper, "this is not a shared object\n", 0755)) return false;
      continue;
    }
    const std::string file = SimState::LibraryVariantFile(variant);
    if (file.empty()) return Fail("unknown library variant " + variant);
    if (!CopyFile(l.sim + "/" + file, upper, 0755)) return false;
  }
  std::string overlays;
  for (const std::string& line : extra) overlays += line + "\n";
  if (!WriteFile(l.root + "/overlays", overlays)) return false;
  // The machine's own vendor libraries, if any, must not show through.
  for (const auto* group : {&FwPaths::kQLogicLibraries, &FwPaths::kEmulexLibraries, &FwPaths::kBrocadeLibraries})
    for (const char* known : *group) {
      std::string upper;
      if (paths.count(known) == 0 && Exists(known) && UpperFor(l, known, upper) && !Whiteout(upper)) return false;
    }
  return true;
}

bool IdFile(const json& device, const char* key, std::string& out) {
  uint16_t value = 0;
  const std::string text = SimState::GetString(device, key);
  if (!SimState::ParseHex16(text, value)) return Fail("PCI id " + std::string(key) + " '" + text + "' is not a 16-bit hex number");
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%04x\n", value);
  out = buffer;
  return true;
}

// One PCI device directory in the kernel's layout, with the symbolic link
// under bus/pci/devices.
bool BuildDevice(const Layout& l, const json& device, std::set<std::string>& seen) {
  const int64_t domain = SimState::GetInt(device, "domain", 0), bus = SimState::GetInt(device, "bus", 0);
  const int64_t slot = SimState::GetInt(device, "slot", 0), function = SimState::GetInt(device, "function", 0);
  if (domain < 0 || domain > 0xFFFF || bus < 0 || bus > 0xFF || slot < 0 || slot > 0x1F || function < 0 || function > 7)
    return Fail("PCI location out of range");
  char address[32], bridge[32];
  std::snprintf(address, sizeof(address), "%04x:%02x:%02x.%x", static_cast<unsigned>(domain),
                static_cast<unsigned>(bus), static_cast<unsigned>(slot), static_cast<unsigned>(function));
  std::snprintf(bridge, sizeof(bridge), "pci%04x:%02x", static_cast<unsigned>(domain), static_cast<unsigned>(bus));
  std::string relative = std::string("devices/") + bridge + "/" + address;
  if (device.contains("path")) {
    relative = SimState::GetString(device, "path");
    if (!SafeRelative(relative)) return Fail("sysfs path '" + relative + "' must be relative and plain");
  }
  if (!seen.insert(relative).second) return Fail("two sysfs devices at " + relative);
  const std::string dir = l.sys() + "/" + relative;
  if (!MakeDirs(dir)) return false;

  std::set<std::string> omit;
  for (const json& name : SimState::GetArray(device, "omit_files"))
    if (name.is_string()) omit.insert(name.get<std::string>());
  const std::pair<const char*, const char*> files[] = {{"vendor", "vendor_id"},
                                                      {"device", "device_id"},
                                                      {"subsystem_vendor", "subsystem_vendor_id"},
                                                      {"subsystem_device", "subsystem_device_id"}};
  const json& raw = SimState::GetObject(device, "files");
  for (const auto& f : files) {
    if (omit.count(f.first) || raw.contains(f.first)) continue;
    std::string text;
    if (!IdFile(device, f.second, text) || !WriteFile(dir + "/" + f.first, text)) return false;
  }
  for (auto it = raw.begin(); it != raw.end(); ++it) {
    std::string text;
    if (!SafeName(it.key()) || !SimState::TextOf(*it, text)) return Fail("bad raw sysfs file " + it.key());
    if (!WriteFile(dir + "/" + it.key(), text)) return false;
  }
  if (!device.contains("path")) {
    const std::string link = l.sys() + "/bus/pci/devices/" + address;
    if (!MakeDirs(Parent(link))) return false;
    if (symlink(("../../../" + relative).c_str(), link.c_str()) != 0) return Fail("cannot link " + link);
  }
  return true;
}

bool BuildSys(const Layout& l, const json& scenario) {
  if (!MakeDirs(l.sys() + "/bus/pci/devices") || !MakeDirs(l.sys() + "/devices")) return false;
  std::set<std::string> seen;
  for (const json& adapter : SimState::GetArray(scenario, "adapters")) {
    const json& pci = SimState::GetObject(adapter, "pci");
    if (!adapter.contains("pci") || !SimState::GetBool(pci, "sysfs", true)) continue;
    if (!BuildDevice(l, pci, seen)) return false;
  }
  for (const json& device : SimState::GetArray(scenario, "sysfs_devices"))
    if (!BuildDevice(l, device, seen)) return false;
  return true;
}

bool InstallTool(const Layout& l, const json& tool, const std::string& name) {
  const std::string install = SimState::GetString(tool, "install", "binary");
  const std::string target = l.pkg() + "/" + name;
  if (install == "missing") return true;
  if (install == "binary") return CopyFile(l.sim + "/fwsim-tool", target, 0755);
  if (install == "not_executable") return CopyFile(l.sim + "/fwsim-tool", target, 0644);
  if (install == "garbage") return WriteFile(target, std::string("\x7f" "ELF\0\0\0garbage", 14), 0755);
  if (install == "directory") return MakeDirs(target);
  return Fail("unknown install mode " + install + " for " + name);
}

bool BuildKit(const Layout& l, const json& tool) {
  const std::string install = SimState::GetString(tool, "install", "binary");
  if (install == "missing") return true;
  const std::string version = SimState::GetString(tool, "kit_version", "12.6.240.27");
  if (!SafeName(version)) return Fail("kit_version '" + version + "' is not a plain name");
  const std::string top = "elxflashStandalone-" + version;
  const std::string zip = l.pkg() + "/" + top + ".zip";
  if (install == "bad_zip") return WriteFile(zip, "this is not a zip archive\n");
  const std::string stage = l.root + "/kit";
  const std::string lx = stage + "/" + top + "/lx";
  if (!CopyFile(l.sim + "/fwsim-tool", lx + "/elxflash-sim", 0755)) return false;
  if (install != "no_script") {
    // The component chmods the script itself; store it without the x bit
    // when asked, so that step is exercised.
    const mode_t mode = SimState::GetBool(tool, "script_not_executable") ? 0644 : 0755;
    if (!WriteFile(lx + "/elxflash.sh", "#!/bin/sh\nexec \"$(dirname \"$0\")/elxflash-sim\" \"$@\"\n", mode)) return false;
  }
  if ((*g_run)(stage, {"zip", "-q", "-r", zip, top}) != 0) return Fail("zip failed for " + zip);
  return true;
}

bool BuildPackage(const Layout& l, const json& scenario) {
  if (!MakeDirs(l.pkg())) return false;
  if (scenario.contains("reference_xml")) {
    std::string text;
    if (!SimState::TextOf(scenario["reference_xml"], text)) return Fail("reference_xml must be a text or a list of lines");
    if (!WriteFile(l.pkg() + "/" + FwPaths::kReferenceXml, text)) return false;
  }
  const json& files = SimState::GetObject(scenario, "package_files");
  for (auto it = files.begin(); it != files.end(); ++it) {
    std::string text;
    if (!SafeRelative(it.key()) || !SimState::TextOf(*it, text)) return Fail("bad package file " + it.key());
    if (!WriteFile(l.pkg() + "/" + it.key(), text)) return false;
  }
  const json& tools = SimState::GetObject(scenario, "tools");
  if (tools.contains("zvqlafwupdate") && !InstallTool(l, tools["zvqlafwupdate"], "zvqlafwupdate")) return false;
  if (tools.contains("bcu_bootupdate")) {
    const json& bcu = tools["bcu_bootupdate"];
    if (!InstallTool(l, bcu, "bcu_bootupdate")) return false;
    if (SimState::GetBool(bcu, "boot_image", true) &&
        !WriteFile(l.pkg() + "/bfa_boot_fw", "simulated boot image\n"))
      return false;
  }
  if (tools.contains("elxflash") && !BuildKit(l, tools["elxflash"])) return false;
  return true;
}

bool BuildLog(const Layout& l, const json& scenario) {
  if (!MakeDirs(l.root + "/qmx")) return false;
  if (!scenario.contains("log_seed")) return true;
  std::string text;
  if (!SimState::TextOf(scenario["log_seed"], text)) return Fail("log_seed must be a text or a list of lines");
  return WriteFile(l.root + "/qmx/Component.log", text);
}

}  // namespace


namespace HostBuilder {

bool Build(const json& scenario, const std::string& root, const std::string& sim_dir, std::string& error,
           const Runner& run) {
  g_error.clear();
  g_written.clear();
  g_host_root = root;
  g_run = &run;
  Layout l{root, sim_dir};
  for (const char* d : {"/upper/etc", "/upper/usrlib", "/upper/usrlib64", "/upper/var", "/work/etc", "/work/usrlib",
                        "/work/usrlib64", "/work/var"})
    MakeDirs(l.root + d);
  const bool ok = g_error.empty() && scenario.is_object() && BuildEtc(l, scenario) && BuildLibraries(l, scenario) &&
                  BuildSys(l, scenario) && BuildPackage(l, scenario) && BuildLog(l, scenario);
  if (!scenario.is_object()) Fail("scenario must be a JSON object");
  g_run = nullptr;
  error = g_error;
  return ok;
}

bool BuildFromFile(const std::string& scenario_file, const std::string& root, const std::string& sim_dir,
                   std::string& error, const Runner& run) {
  json scenario;
  error.clear();
  if (!SimState::ReadJsonFile(scenario_file, scenario, error) || !scenario.is_object()) {
    if (error.empty()) error = "scenario must be a JSON object";
    return false;
  }
  return Build(scenario, root, sim_dir, error, run);
}

}  // namespace HostBuilder
