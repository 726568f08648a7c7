#pragma once
// Reads one self-discovery report (root `zv_rom_discovery`) with the streaming
// reader, so a report's size never shows in the process's memory.
#include <cstddef>
#include <string>
#include <vector>

namespace FleetSummary {

// One firmware item of one device, as the report names it.
struct ReportItem {
  std::string product;    // product_id of the device
  std::string device_id;  // vvvv.dddd.ssss.iiii
  std::string type;       // item type
  std::string version;    // the package's version
  std::string action;     // "upgrade", "rewrite", "downgrade"
};

struct ReportContent {
  std::size_t devices = 0;  // device elements, with or without items
  std::vector<ReportItem> items;
};

struct ReadResult {
  bool ok = false;
  std::string reason;  // why the report was not read (ok false)
  ReportContent content;
};

// Reports are small (a few hundred bytes per item); anything far beyond is
// not a report, and refusing it keeps time and memory bounded.
constexpr long long kMaxReportBytes = 16LL * 1024 * 1024;
constexpr std::size_t kMaxReportItems = 4096;

// Reasons a report is not read.
extern const char kMissing[];        // "missing"
extern const char kEmpty[];          // "empty"
extern const char kNotReport[];      // "not a self-discovery report"

ReadResult ReadReport(const std::string& path);

}  // namespace FleetSummary
