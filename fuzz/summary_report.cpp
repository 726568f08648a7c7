// fwpack-summary's report reader on a file holding the input, and the
// summary and its three forms over what it read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/TempFile.h"
#include "tools/summary/Output.h"
#include "tools/summary/ReportFile.h"
#include "tools/summary/Summary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchDir() + "/host.xml";
  if (!WriteWhole(path, data, size)) return 0;
  FleetSummary::ReadResult result = FleetSummary::ReadReport(path);
  FleetSummary::Summary summary;
  if (!result.ok) {
    // A report that was not read hands nothing on, and says why.
    FUZZ_CHECK(!result.reason.empty());
    FUZZ_CHECK(result.content.items.empty() && result.content.devices == 0);
    summary.AddError("host", result.reason);
  } else {
    FUZZ_CHECK(result.reason.empty());
    FUZZ_CHECK(result.content.items.size() <= FleetSummary::kMaxReportItems);
    summary.AddReport("host", result.content);
  }
  long long counted = 0, known = 0;
  for (const FleetSummary::Row& row : summary.SortedRows()) {
    counted += row.upgrade + row.rewrite + row.downgrade;
    FUZZ_CHECK(row.hosts_to_upgrade.size() == (row.upgrade > 0 ? 1u : 0u));
  }
  for (const FleetSummary::ReportItem& item : result.content.items)
    known += item.action == "upgrade" || item.action == "rewrite" || item.action == "downgrade";
  FUZZ_CHECK(counted == known);
  const std::string csv = FleetSummary::FormatCsv(summary);
  FUZZ_CHECK(csv.rfind("product,device_id,item,version,upgrade,rewrite,downgrade,hosts_to_upgrade\n", 0) == 0);
  const std::string json = FleetSummary::FormatJson(summary);
  FUZZ_CHECK(json.rfind("{\"rows\": [", 0) == 0 && json.back() == '\n');
  FUZZ_CHECK(!FleetSummary::FormatText(summary).empty());
  return 0;
}
