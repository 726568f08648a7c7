// Reading and writing the host state and its text files, typed JSON look-ups,
// WWN and id parsing, and running a program without a shell.
#include "sim/common/SimState.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace SimState {

bool ReadTextFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  out = buffer.str();
  return !in.bad();
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << text;
  out.close();
  return !out.fail();
}

bool AppendTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out) return false;
  out << text;
  out.close();
  return !out.fail();
}

int RunIn(const std::string& dir, const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ReadJsonFile(const std::string& path, nlohmann::json& out, std::string& error) {
  std::string text;
  if (!ReadTextFile(path, text)) {
    error = "cannot read " + path;
    return false;
  }
  out = nlohmann::json::parse(text, nullptr, false);
  if (out.is_discarded()) {
    error = path + " is not valid JSON";
    return false;
  }
  return true;
}

bool WriteJsonFile(const std::string& path, const nlohmann::json& value, std::string& error) {
  const std::string temp = path + ".tmp." + std::to_string(getpid());
  if (!WriteTextFile(temp, value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n")) {
    error = "cannot write " + temp;
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

std::string GetString(const nlohmann::json& object, const char* key, const std::string& fallback) {
  if (!object.is_object()) return fallback;
  auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return fallback;
  return it->get<std::string>();
}

int64_t GetInt(const nlohmann::json& object, const char* key, int64_t fallback) {
  if (!object.is_object()) return fallback;
  auto it = object.find(key);
  if (it == object.end() || !it->is_number_integer()) return fallback;
  return it->get<int64_t>();
}

bool GetBool(const nlohmann::json& object, const char* key, bool fallback) {
  if (!object.is_object()) return fallback;
  auto it = object.find(key);
  if (it == object.end() || !it->is_boolean()) return fallback;
  return it->get<bool>();
}

const nlohmann::json& GetObject(const nlohmann::json& object, const char* key) {
  static const nlohmann::json empty = nlohmann::json::object();
  if (!object.is_object()) return empty;
  auto it = object.find(key);
  if (it == object.end() || !it->is_object()) return empty;
  return *it;
}

const nlohmann::json& GetArray(const nlohmann::json& object, const char* key) {
  static const nlohmann::json empty = nlohmann::json::array();
  if (!object.is_object()) return empty;
  auto it = object.find(key);
  if (it == object.end() || !it->is_array()) return empty;
  return *it;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseWwn(const std::string& text, uint8_t out[8]) {
  // Eight two-digit bytes with one separator between each: 23 characters.
  if (text.size() != 23) return false;
  for (size_t i = 0; i < 8; ++i) {
    const size_t at = i * 3;
    const int high = HexDigit(text[at]);
    const int low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0) return false;
    if (i < 7 && text[at + 2] != ':' && text[at + 2] != '-') return false;
    out[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return true;
}

bool ParseHex16(const std::string& text, uint16_t& out) {
  size_t at = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) at = 2;
  if (at >= text.size() || text.size() - at > 4) return false;
  unsigned value = 0;
  for (; at < text.size(); ++at) {
    const int digit = HexDigit(text[at]);
    if (digit < 0) return false;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  out = static_cast<uint16_t>(value);
  return true;
}

std::string LibraryVariantFile(const std::string& variant) {
  if (variant.empty() || variant == "full") return "libfakehba.so";
  if (variant == "no_register") return "libfakehba-no-HBA_RegisterLibrary.so";
  if (variant == "no_extension") return "libfakehba-no-extension.so";
  if (variant.compare(0, 3, "no_") == 0) return "libfakehba-no-" + variant.substr(3) + ".so";
  return "";
}

std::string CanonicalPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return path;
  const std::string dir = slash == 0 ? "/" : path.substr(0, slash);
  char resolved[PATH_MAX];
  if (realpath(dir.c_str(), resolved) == nullptr) return path;
  std::string result = resolved;
  if (result != "/") result += "/";
  return result + path.substr(slash + 1);
}

bool TextOf(const nlohmann::json& value, std::string& out) {
  if (value.is_string()) {
    out = value.get<std::string>();
    return true;
  }
  if (!value.is_array()) return false;
  out.clear();
  for (const nlohmann::json& line : value) {
    if (!line.is_string()) return false;
    out += line.get<std::string>() + "\n";
  }
  return true;
}

}  // namespace SimState
