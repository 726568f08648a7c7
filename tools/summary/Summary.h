#pragma once
// Adds up many hosts' self-discovery reports: one row per product, device id,
// item type and package version with the count of each action and the hosts
// that need the upgrade.
#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tools/summary/ReportFile.h"

namespace FleetSummary {

struct RowKey {
  std::string product, device_id, item, version;
  bool operator<(const RowKey& other) const {
    return std::tie(product, device_id, item, version) <
           std::tie(other.product, other.device_id, other.item, other.version);
  }
};

// Counts are of firmware items, so a host with two such adapters adds two;
// a host is named once in hosts_to_upgrade.
struct Row {
  RowKey key;
  long long upgrade = 0, rewrite = 0, downgrade = 0;
  std::vector<std::string> hosts_to_upgrade;  // sorted
};

struct ReportError {
  std::string host;
  std::string reason;
};

class Summary {
 public:
  // A report that was read whole, of a host not added before (the caller
  // turns a second report of a host into an error).
  void AddReport(const std::string& host, const ReportContent& content);
  void AddError(const std::string& host, const std::string& reason);

  // Largest need first: upgrade count descending, then the key (product,
  // device id, item, version) in byte order. Keys are unique, so the order
  // is total and the output stable.
  std::vector<Row> SortedRows() const;
  std::vector<std::string> NoDeviceHosts() const;  // sorted
  const std::vector<ReportError>& Errors() const { return errors_; }

 private:
  struct Counts {
    long long upgrade = 0, rewrite = 0, downgrade = 0;
    std::vector<std::size_t> hosts;  // indexes into hosts_, each once
  };
  std::vector<std::string> hosts_;
  std::map<RowKey, Counts> rows_;
  std::vector<std::size_t> no_device_;
  std::vector<ReportError> errors_;
};

}  // namespace FleetSummary
