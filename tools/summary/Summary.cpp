#include "tools/summary/Summary.h"

#include <algorithm>

namespace FleetSummary {

void Summary::AddReport(const std::string& host, const ReportContent& content) {
  std::size_t index = hosts_.size();
  hosts_.push_back(host);
  if (content.devices == 0) {
    no_device_.push_back(index);
    return;
  }
  for (const ReportItem& item : content.items) {
    Counts& counts = rows_[RowKey{item.product, item.device_id, item.type, item.version}];
    if (item.action == "upgrade") {
      ++counts.upgrade;
      if (counts.hosts.empty() || counts.hosts.back() != index) counts.hosts.push_back(index);
    } else if (item.action == "rewrite") {
      ++counts.rewrite;
    } else if (item.action == "downgrade") {
      ++counts.downgrade;
    }
  }
}

void Summary::AddError(const std::string& host, const std::string& reason) {
  errors_.push_back(ReportError{host, reason});
}

std::vector<Row> Summary::SortedRows() const {
  std::vector<Row> rows;
  rows.reserve(rows_.size());
  for (const auto& [key, counts] : rows_) {
    Row row;
    row.key = key;
    row.upgrade = counts.upgrade;
    row.rewrite = counts.rewrite;
    row.downgrade = counts.downgrade;
    row.hosts_to_upgrade.reserve(counts.hosts.size());
    for (std::size_t index : counts.hosts) row.hosts_to_upgrade.push_back(hosts_[index]);
    std::sort(row.hosts_to_upgrade.begin(), row.hosts_to_upgrade.end());
    rows.push_back(std::move(row));
  }
  // rows_ is ordered by key already; a stable sort on the count keeps that.
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Row& a, const Row& b) { return a.upgrade > b.upgrade; });
  return rows;
}

std::vector<std::string> Summary::NoDeviceHosts() const {
  std::vector<std::string> names;
  names.reserve(no_device_.size());
  for (std::size_t index : no_device_) names.push_back(hosts_[index]);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace FleetSummary
