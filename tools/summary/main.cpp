// fwpack-summary: adds up the self-discovery reports of many hosts.
//
//   fwpack-summary [--csv | --json] PATH...
#include <libxml/parser.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "tools/summary/Inputs.h"
#include "tools/summary/Output.h"
#include "tools/summary/ReportFile.h"
#include "tools/summary/Summary.h"

namespace {

constexpr int kAllRead = 0;
constexpr int kSomeNotRead = 2;
constexpr int kSoftware = 70;  // out of memory
constexpr int kUsage = 64;
constexpr int kOutputFailed = 74;

const char kUsageText[] =
    "usage: fwpack-summary [--csv | --json] PATH...\n"
    "Adds up the self-discovery reports (fwpack /d) of many hosts. Each PATH is a\n"
    "report, HOST.xml or HOST/report.xml, or a folder of them.\n"
    "One row per product, device id, item and package version with the number of\n"
    "items to upgrade, rewrite and downgrade and the hosts to upgrade, the largest\n"
    "upgrade count first; then the hosts without a supported device and the\n"
    "reports that could not be read.\n"
    "  --csv   rows as CSV (other lines on standard error)\n"
    "  --json  one JSON object: rows, no_device, errors\n"
    "Exit: 0 all reports read, 2 some report not read, 64 bad command line.\n";

enum class Form { Text, Csv, Json };

int Usage(const char* why) {
  if (why != nullptr) std::fprintf(stderr, "fwpack-summary: %s\n", why);
  std::fputs(kUsageText, stderr);
  return kUsage;
}

bool Write(std::FILE* stream, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

int Run(int argc, char** argv) {
  Form form = Form::Text;
  bool form_given = false;
  std::vector<std::string> paths;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!options_done && (arg == "-h" || arg == "--help")) {
      std::fputs(kUsageText, stdout);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kAllRead : kOutputFailed;
    }
    if (!options_done && (arg == "--csv" || arg == "--json")) {
      if (form_given) return Usage("give one of --csv and --json");
      form = arg == "--csv" ? Form::Csv : Form::Json;
      form_given = true;
    } else if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (arg.empty()) {
      return Usage("an empty path");
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) return Usage("no report given");

  xmlInitParser();
  FleetSummary::Summary summary;
  std::set<std::string> hosts;
  for (const FleetSummary::ReportInput& input : FleetSummary::ExpandPaths(paths)) {
    if (!input.error.empty()) {
      summary.AddError(input.host, input.error);
      continue;
    }
    // Two reports of one host would count it twice.
    if (!hosts.insert(input.host).second) {
      summary.AddError(input.host, "another report of this host was given: " + input.path);
      continue;
    }
    FleetSummary::ReadResult result = FleetSummary::ReadReport(input.path);
    if (result.ok) summary.AddReport(input.host, result.content);
    else summary.AddError(input.host, result.reason);
  }
  xmlCleanupParser();

  bool written = true;
  switch (form) {
    case Form::Text: written = Write(stdout, FleetSummary::FormatText(summary)); break;
    case Form::Csv:
      written = Write(stdout, FleetSummary::FormatCsv(summary));
      Write(stderr, FleetSummary::FormatCsvNotes(summary));
      break;
    case Form::Json: written = Write(stdout, FleetSummary::FormatJson(summary)); break;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || !written) {
    std::fprintf(stderr, "fwpack-summary: cannot write the summary: %s\n", std::strerror(errno));
    return kOutputFailed;
  }
  return summary.Errors().empty() ? kAllRead : kSomeNotRead;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("fwpack-summary: out of memory\n", stderr);
    return kSoftware;
  }
}
