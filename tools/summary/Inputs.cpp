#include "tools/summary/Inputs.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace FleetSummary {

namespace {

const char kReportName[] = "report.xml";

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string FileName(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

void ExpandFolder(const std::string& folder, std::vector<ReportInput>& inputs) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    inputs.push_back(ReportInput{FileName(folder), folder, std::string("unreadable folder: ") + std::strerror(errno)});
    return;
  }
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  int read_errno = errno;
  closedir(dir);
  if (read_errno != 0) {
    inputs.push_back(ReportInput{FileName(folder), folder, std::string("unreadable folder: ") + std::strerror(read_errno)});
    return;
  }
  std::sort(names.begin(), names.end());
  std::size_t before = inputs.size();
  for (const std::string& name : names) {
    std::string path = Join(folder, name);
    if (IsFolder(path)) {
      std::string report = Join(path, kReportName);
      if (Exists(report)) inputs.push_back(ReportInput{name, report, ""});
    } else if (EndsWith(name, ".xml")) {
      inputs.push_back(ReportInput{HostOfReport(path), path, ""});
    }
  }
  if (inputs.size() == before) inputs.push_back(ReportInput{FileName(folder), folder, "no reports in folder"});
}

}  // namespace

std::string HostOfReport(const std::string& path) {
  std::string name = FileName(path);
  if (name == kReportName) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (!error) {
      std::string folder = absolute.lexically_normal().parent_path().filename().string();
      if (!folder.empty()) return folder;
    }
  }
  if (EndsWith(name, ".xml") && name.size() > 4) name.resize(name.size() - 4);
  return name;
}

std::vector<ReportInput> ExpandPaths(const std::vector<std::string>& paths) {
  std::vector<ReportInput> inputs;
  for (const std::string& path : paths) {
    if (IsFolder(path)) ExpandFolder(path, inputs);
    else inputs.push_back(ReportInput{HostOfReport(path), path, ""});
  }
  return inputs;
}

}  // namespace FleetSummary
