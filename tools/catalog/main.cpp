// fwpack-catalog: shows what a component sees in a firmware package's
// catalogue and what in the file would surprise its author.
//
//   fwpack-catalog [--vendor qlogic|emulex|brocade] [--json] [FILE]
#include <cstdio>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "framework/Text.h"
#include "tools/catalog/CatalogCheck.h"

namespace {

const char kUsage[] =
    "usage: fwpack-catalog [--vendor qlogic|emulex|brocade] [--json] [FILE]\n"
    "Checks the package catalogue FILE (default ./reference.xml) with the component's\n"
    "own loader and the vendor's lookup rule (default qlogic).\n"
    "Exit code: 0 no finding, 1 warnings only, 2 errors, 64 bad command line.\n";

constexpr int kUsageExit = 64;

int BadCommandLine(const std::string& why) {
  std::fprintf(stderr, "fwpack-catalog: %s\n", why.c_str());
  std::fputs(kUsage, stderr);
  return kUsageExit;
}

std::string Plain(const fwcatalog::CheckResult& result) {
  using fwcatalog::Quote;
  std::string out;
  if (result.loaded) {
    out += "discovery_app_path " + Quote(result.catalog.discovery_app_path) + "\n";
    out += "installer_app_path " + Quote(result.catalog.installer_app_path) + "\n";
    for (size_t i = 0; i < result.catalog.entries.size(); ++i) {
      const RefEntry& e = result.catalog.entries[i];
      out += "entry " + std::to_string(i) + ": device_id " + Quote(e.device_id) + " model " +
             Quote(e.model) + " type " + Quote(e.type) + " firmware " + Quote(e.firmware) +
             " bios " + Quote(e.bios) + " bios_present " + std::to_string(e.bios_present) +
             " boot " + Quote(e.boot) + " duration " + Quote(e.duration) + "\n";
    }
  }
  for (const fwcatalog::Finding& finding : result.findings)
    out += std::to_string(finding.line) + (finding.error ? ": error: " : ": warning: ") +
           finding.text + "\n";
  return out;
}

std::string Json(const fwcatalog::CheckResult& result, const std::string& path,
                 fwcatalog::Vendor vendor) {
  using nlohmann::ordered_json;
  ordered_json doc;
  doc["file"] = path;
  doc["vendor"] = fwcatalog::VendorName(vendor);
  doc["loaded"] = result.loaded;
  doc["discovery_app_path"] = NarrowBytes(result.catalog.discovery_app_path);
  doc["installer_app_path"] = NarrowBytes(result.catalog.installer_app_path);
  ordered_json entries = ordered_json::array();
  for (size_t i = 0; i < result.catalog.entries.size(); ++i) {
    const RefEntry& e = result.catalog.entries[i];
    entries.push_back({{"index", i},
                       {"line", i < result.entry_lines.size() ? result.entry_lines[i] : 0},
                       {"device_id", NarrowBytes(e.device_id)},
                       {"model", NarrowBytes(e.model)},
                       {"type", NarrowBytes(e.type)},
                       {"firmware", NarrowBytes(e.firmware)},
                       {"bios", NarrowBytes(e.bios)},
                       {"bios_present", e.bios_present},
                       {"boot", NarrowBytes(e.boot)},
                       {"duration", NarrowBytes(e.duration)}});
  }
  doc["entries"] = std::move(entries);
  ordered_json findings = ordered_json::array();
  for (const fwcatalog::Finding& finding : result.findings)
    findings.push_back({{"line", finding.line},
                        {"level", finding.error ? "error" : "warning"},
                        {"text", finding.text}});
  doc["findings"] = std::move(findings);
  doc["exit_code"] = result.ExitCode();
  // The catalogue's texts are the parser's UTF-8; anything else must not
  // make the document unreadable.
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  bool have_file = false;
  bool options_done = false;
  std::string file = "reference.xml";
  fwcatalog::Vendor vendor = fwcatalog::Vendor::QLogic;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!options_done && (arg == "-h" || arg == "--help")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (!options_done && arg == "--json") {
      json = true;
    } else if (!options_done && (arg == "--vendor" || arg.rfind("--vendor=", 0) == 0)) {
      std::string name;
      if (arg == "--vendor") {
        if (i + 1 >= argc) return BadCommandLine("--vendor needs a name");
        name = argv[++i];
      } else {
        name = arg.substr(std::strlen("--vendor="));
      }
      if (!fwcatalog::VendorFromName(name, vendor))
        return BadCommandLine("unknown vendor " + name);
    } else if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return BadCommandLine("unknown option " + arg);
    } else {
      if (have_file) return BadCommandLine("only one FILE may be given");
      file = arg;
      have_file = true;
    }
  }

  fwcatalog::CheckResult result = fwcatalog::CheckCatalogue(file, vendor);
  std::string out = json ? Json(result, file, vendor) : Plain(result);
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    // A pipeline must not take a truncated listing for a clean one.
    std::fputs("fwpack-catalog: cannot write the output\n", stderr);
    return 2;
  }
  return result.ExitCode();
}
