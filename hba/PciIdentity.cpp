// PCI vendor and device IDs of an adapter, found in sysfs through find,
// grep and cat.
#include "hba/PciIdentity.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/HostFailure.h"
#include "framework/ShellSafeText.h"
#include "framework/Text.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    text.assign(buffer.data(), static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

// Output lines of a command (line ends removed). A command that cannot be
// started yields "ERROR", which names no directory, count or ID, so every
// step below reads it as nothing found.
std::vector<std::string> ReadCommandLines(const std::string& command) {
  return SplitLines(RunCommand(command));
}

// A file that is there but cannot be examined is a failure, not an absence.
bool Exists(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return true;
  if (errno != ENOENT && errno != ENOTDIR) HostFailure::Note("cannot examine " + path, errno);
  return false;
}

// One hexadecimal number, with or without "0x", and nothing else but
// trailing white space.
bool ParseHex(const std::string& text, unsigned long& value) {
  const char* start = text.c_str();
  while (*start == ' ' || *start == '\t') ++start;
  if (std::strchr("0123456789abcdefABCDEF", *start) == nullptr || *start == '\0') return false;
  char* end = nullptr;
  value = std::strtoul(start, &end, 16);
  while (*end == ' ' || *end == '\t' || *end == '\r') ++end;
  return *end == '\0' && value <= 0xFFFFFFFFul;
}

}  // namespace

std::string PciAddressPattern(uint8_t domain, uint8_t bus, uint8_t function) {
  return Format("%.4x:%.2x:\\(\\w\\)*\\.%x", domain, bus, function);
}

std::string LookupPciIdentity(uint8_t domain, uint8_t bus, uint8_t function, uint16_t subsystem_low,
                              uint16_t subsystem_high, const char* sys_root) {
  const std::string not_found = "N/A";
  if (sys_root == nullptr) return not_found;

  const std::string find_command = Format("find %s -name subsystem_vendor | grep -i -e '%s'", sys_root,
                                          PciAddressPattern(domain, bus, function).c_str());
  const std::vector<std::string> candidates = ReadCommandLines(find_command);

  std::string device_directory;
  for (const std::string& line : candidates) {
    const size_t slash = line.rfind('/');
    if (slash == std::string::npos) continue;
    const std::string directory = line.substr(0, slash);
    // The directory goes into the command lines below unquoted, as sysfs
    // names need no quoting; one the shell would read as more than a word
    // is passed over.
    if (!IsShellSafeWord(directory)) continue;
    if (!Exists(directory + "/subsystem_device") || !Exists(directory + "/vendor") ||
        !Exists(directory + "/device"))
      continue;
    const std::string count_command =
        Format("cat %s/subsystem_vendor %s/subsystem_device | grep -i -E '%.4x|%.4x' | wc -l",
               directory.c_str(), directory.c_str(), subsystem_low, subsystem_high);
    const std::vector<std::string> count = ReadCommandLines(count_command);
    if (count.empty()) continue;
    if (std::strtol(count[0].c_str(), nullptr, 10) == 2) {
      device_directory = directory;
      break;
    }
  }
  if (device_directory.empty()) return not_found;

  const std::string id_command =
      Format("cat %s/vendor %s/device", device_directory.c_str(), device_directory.c_str());
  const std::vector<std::string> ids = ReadCommandLines(id_command);
  if (ids.size() < 2) return not_found;
  unsigned long vendor = 0;
  unsigned long device = 0;
  if (!ParseHex(ids[0], vendor) || !ParseHex(ids[1], device)) return not_found;
  return Format("%.4lx%.4lx", vendor, device);
}
