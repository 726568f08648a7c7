// The guard's decisions; the calls themselves are interposed in
// FileGuardCalls.c.
#include "fuzz/FileGuard.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

bool g_on = false;
std::string g_root;          // resolved
std::string g_finding_dir;   // resolved
std::string g_refused;

// Lexical clean-up of an absolute path: no ".", "..", or doubled slashes.
std::string Normalise(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

std::string RealPath(const std::string& path) {
  char real[PATH_MAX];
  return realpath(path.c_str(), real) != nullptr ? std::string(real) : std::string();
}

std::string Absolute(int dirfd, const char* path) {
  if (path[0] == '/') return path;
  char base[PATH_MAX];
  if (dirfd == AT_FDCWD) {
    if (getcwd(base, sizeof base) == nullptr) return std::string();
  } else {
    const std::string link = "/proc/self/fd/" + std::to_string(dirfd);
    const ssize_t n = readlink(link.c_str(), base, sizeof base - 1);
    if (n <= 0) return std::string();
    base[n] = '\0';
  }
  return std::string(base) + "/" + path;
}

// Where a call on `path` acts: its directory resolved, its last part as
// given ("." and ".." taken lexically first). Empty when unknown.
std::string Where(int dirfd, const char* path) {
  std::string full = Absolute(dirfd, path);
  if (full.empty()) return full;
  full = Normalise(full);
  if (full == "/") return full;
  const size_t slash = full.rfind('/');
  const std::string parent = RealPath(slash == 0 ? "/" : full.substr(0, slash));
  // A directory that does not exist: the call fails; judge the text.
  if (parent.empty()) return full;
  return (parent == "/" ? "" : parent) + full.substr(slash);
}

bool Under(const std::string& path, const std::string& dir) {
  return !dir.empty() && path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '/';
}

bool Refuse(const std::string& what, int error) {
  if (g_refused.empty()) g_refused = what;
  errno = error;
  return false;
}

bool AllowsAt(const char* call, const std::string& where, const char* path) {
  if (Under(where, g_root)) return true;
  const size_t slash = where.rfind('/');
  if (!g_finding_dir.empty() && slash != std::string::npos && where.substr(0, slash) == g_finding_dir) return true;
  return Refuse(std::string(call) + " " + path + " (" + where + ")", EACCES);
}

}  // namespace

namespace FileGuard {

void AllowFindingsFrom(int argc, char** argv) {
  std::string prefix;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "-artifact_prefix=", 17) == 0) prefix = argv[i] + 17;
  const size_t slash = prefix.rfind('/');
  std::string dir = slash == std::string::npos ? "." : prefix.substr(0, slash);
  if (dir.empty()) dir = "/";
  g_finding_dir = RealPath(dir);
}

void Begin(const std::string& root) {
  g_root = RealPath(root);
  g_refused.clear();
  g_on = !g_root.empty();
  if (!g_on) g_refused = "guarded directory " + root + " does not exist";
}

std::string End() {
  g_on = false;
  return g_refused;
}

bool Inside(const std::string& path) { return Under(Where(AT_FDCWD, path.c_str()), g_root); }

}  // namespace FileGuard

extern "C" int FileGuardAllowsPath(const char* call, int dirfd, const char* path) {
  if (!g_on || path == nullptr || path[0] == '\0') return 1;  // an empty path fails by itself
  // mkdir of what exists changes nothing (a walk down from "/" does that).
  struct stat st;
  if (std::strncmp(call, "mkdir", 5) == 0 && fstatat(dirfd, path, &st, AT_SYMLINK_NOFOLLOW) == 0) return 1;
  return AllowsAt(call, Where(dirfd, path), path);
}

extern "C" int FileGuardAllowsLink(const char* target, const char* path) {
  if (!g_on || target == nullptr || path == nullptr || path[0] == '\0') return 1;
  const std::string where = Where(AT_FDCWD, path);
  if (!AllowsAt("symlink", where, path)) return 0;
  // What it points at must lie inside too, or a later write through it
  // would leave the directory.
  const std::string dir = where.substr(0, where.rfind('/'));
  const std::string points = Normalise(target[0] == '/' ? std::string(target) : dir + "/" + target);
  if (Under(points, g_root)) return 1;
  return Refuse(std::string("symlink ") + path + " -> " + target + " (" + points + ")", EACCES);
}

extern "C" int FileGuardAllowsProcess(const char* call) {
  if (!g_on) return 1;
  return Refuse(call, EPERM);
}
