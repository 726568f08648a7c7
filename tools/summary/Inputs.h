#pragma once
// Turns the command line's paths into the reports to read, each with the
// host it belongs to.
#include <string>
#include <vector>

namespace FleetSummary {

struct ReportInput {
  std::string host;
  std::string path;
  std::string error;  // set: listed as an error without reading
};

// HOST.xml names HOST; HOST/report.xml names HOST.
std::string HostOfReport(const std::string& path);

// A file is one report (also when it is missing); a folder holds its *.xml
// files and the report.xml of each subfolder, in name order. A folder with
// no report at all is an error of its own, so an empty fetch shows.
std::vector<ReportInput> ExpandPaths(const std::vector<std::string>& paths);

}  // namespace FleetSummary
