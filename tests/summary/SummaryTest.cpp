// fwpack-summary as a program over small sets of reports: counts, order,
// hosts without devices, each kind of unreadable report, the three output
// forms and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/common/RunProgram.h"
#include "tools/summary/Output.h"

#ifndef FWPACK_SUMMARY
#error "FWPACK_SUMMARY must name the fwpack-summary executable"
#endif

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct Item {
  std::string type, version, action;
};
struct Device {
  std::string product, device_id;
  std::vector<Item> items;
};

std::string Attr(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"') out += "&quot;";
    else if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

// A report as the component writes it.
std::string Report(const std::vector<Device>& devices) {
  std::string xml =
      "<?xml version=\"1.0\"?>\n<zv_rom_discovery version=\"2.0.0.0\">\n  <type value=\"Multiboot Image\"/>\n"
      "  <alt_name value=\"\"/>\n  <version value=\"\"/>\n  <takes_effect value=\"\"/>\n";
  if (devices.empty()) return xml + "  <devices/>\n</zv_rom_discovery>\n";
  xml += "  <devices>\n";
  for (const Device& d : devices) {
    xml += "    <device>\n      <device_id value=\"" + Attr(d.device_id) + "\"/>\n      <product_id value=\"" + Attr(d.product) +
           "\"/>\n      <busnumber value=\"\"/>\n      <funcnumber value=\"\"/>\n";
    for (const Item& i : d.items)
      xml += "      <fw_item>\n        <type value=\"" + Attr(i.type) + "\"/>\n        <firmware_id value=\"\"/>\n" +
             "        <version value=\"" + Attr(i.version) + "\"/>\n        <active_version value=\"1.0\"/>\n" +
             "        <action value=\"" + Attr(i.action) + "\"/>\n        <duration value=\"120\"/>\n" +
             "        <message value=\"\"/>\n        <shared value=\"no\"/>\n      </fw_item>\n";
    xml += "    </device>\n";
  }
  return xml + "  </devices>\n</zv_rom_discovery>\n";
}

const char kQle2562[] = "1077.2532.1077.015d";
const char kQle2560[] = "1077.2532.1077.015c";
const char kLpe[] = "10DF.F100.10DF.F100";

Device Qle2562(const std::string& action, const std::string& version = "2.32") {
  return Device{"QLE2562", kQle2562, {{"Multiboot Image", version, action}}};
}
Device Qle2560(const std::string& action) { return Device{"QLE2560", kQle2560, {{"Multiboot Image", "2.32", action}}}; }
Device Lpe(const std::string& firmware, const std::string& boot) {
  return Device{"LPe12002", kLpe, {{"Firmware", "2.01A12", firmware}, {"Boot BIOS ROM", "5.12a5", boot}}};
}

using Outcome = fwtest::ProgramRun;

class SummaryRun : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_.ok()); }

  fs::path Write(const std::string& name, const std::string& content) {
    fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  Outcome Summary(const std::vector<std::string>& args, const fs::path& cwd = fs::path()) {
    return fwtest::RunProgram(FWPACK_SUMMARY, args, cwd.string());
  }

  json Json(const std::vector<std::string>& paths, int expected_rc) {
    std::vector<std::string> args{"--json"};
    args.insert(args.end(), paths.begin(), paths.end());
    Outcome run = Summary(args);
    EXPECT_EQ(run.rc, expected_rc) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    return json::parse(run.out);
  }

  fwtest::TempDir scratch_{"fwsummary."};
  const fs::path dir_{scratch_.path()};
};

// Reports -> rows, as (product, device_id, item, version, upgrade, rewrite,
// downgrade, hosts).
struct Expected {
  std::string product, device_id, item, version;
  long upgrade, rewrite, downgrade;
  std::vector<std::string> hosts;
};

json RowsOf(const std::vector<Expected>& rows) {
  json out = json::array();
  for (const Expected& r : rows)
    out.push_back({{"product", r.product}, {"device_id", r.device_id}, {"item", r.item}, {"version", r.version},
                   {"upgrade", r.upgrade}, {"rewrite", r.rewrite}, {"downgrade", r.downgrade},
                   {"hosts_to_upgrade", r.hosts}});
  return out;
}

struct Case {
  const char* name;
  std::map<std::string, std::vector<Device>> hosts;
  std::vector<Expected> rows;  // in the expected order
  std::vector<std::string> no_device;
};

TEST_F(SummaryRun, CountsAndOrderOverTableOfFleets) {
  const std::vector<Case> cases = {
      {"one row per key, hosts named once and sorted",
       {{"web2", {Qle2562("upgrade"), Qle2562("upgrade")}},  // two such adapters
        {"web1", {Qle2562("upgrade")}},
        {"db1", {Qle2562("rewrite"), Qle2560("downgrade")}}},
       {{"QLE2562", kQle2562, "Multiboot Image", "2.32", 3, 1, 0, {"web1", "web2"}},
        {"QLE2560", kQle2560, "Multiboot Image", "2.32", 0, 0, 1, {}}},
       {}},
      {"largest need first, ties in key order",
       {{"a", {Qle2560("upgrade"), Lpe("upgrade", "rewrite")}},
        {"b", {Qle2560("upgrade"), Lpe("rewrite", "rewrite"), Qle2562("upgrade", "2.40")}},
        {"c", {Qle2560("upgrade"), Lpe("upgrade", "downgrade"), Qle2562("rewrite")}}},
       {{"QLE2560", kQle2560, "Multiboot Image", "2.32", 3, 0, 0, {"a", "b", "c"}},
        {"LPe12002", kLpe, "Firmware", "2.01A12", 2, 1, 0, {"a", "c"}},
        {"QLE2562", kQle2562, "Multiboot Image", "2.40", 1, 0, 0, {"b"}},
        {"LPe12002", kLpe, "Boot BIOS ROM", "5.12a5", 0, 2, 1, {}},
        {"QLE2562", kQle2562, "Multiboot Image", "2.32", 0, 1, 0, {}}},
       {}},
      {"hosts without a supported device get their own line",
       {{"bare2", {}}, {"bare1", {}}, {"web1", {Qle2562("rewrite")}}},
       {{"QLE2562", kQle2562, "Multiboot Image", "2.32", 0, 1, 0, {}}},
       {"bare1", "bare2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path fleet = dir_ / c.name;
    for (const auto& [host, devices] : c.hosts) Write(fs::path(c.name) / (host + ".xml"), Report(devices));
    json summary = Json({fleet.string()}, 0);
    EXPECT_EQ(summary["rows"], RowsOf(c.rows));
    EXPECT_EQ(summary["no_device"], json(c.no_device));
    EXPECT_EQ(summary["errors"], json::array());
  }
}

TEST_F(SummaryRun, HostNamesComeFromFileOrFolderNames) {
  Write("fleet/web1.xml", Report({Qle2562("upgrade")}));
  Write("fleet/web2/report.xml", Report({Qle2562("upgrade")}));
  Write("fleet/web2/other.xml", "not looked at");
  Write("fleet/notes.txt", "not a report");
  Write("fleet/empty-folder/.keep", "");
  Write("db7/report.xml", Report({Qle2562("upgrade")}));
  json summary = Json({(dir_ / "fleet").string(), (dir_ / "db7/report.xml").string()}, 0);
  EXPECT_EQ(summary["rows"][0]["hosts_to_upgrade"], json({"db7", "web1", "web2"}));
  EXPECT_EQ(summary["rows"][0]["upgrade"], 3);

  // A relative report.xml is named by the folder it lies in.
  Outcome relative = Summary({"--csv", "report.xml"}, dir_ / "db7");
  EXPECT_EQ(relative.rc, 0) << relative.err;
  EXPECT_NE(relative.out.find(",1,0,0,db7\n"), std::string::npos) << relative.out;
}

// A report that cannot be read is listed and the rest still count; nothing
// of a broken report is counted, also when its first devices were fine.
TEST_F(SummaryRun, EachUnreadableReportIsListedAndTheOthersCount) {
  std::string good = Report({Qle2562("upgrade")});
  Write("fleet/ok1.xml", good);
  Write("fleet/ok2.xml", good);
  Write("fleet/empty.xml", "");
  Write("fleet/blank.xml", "  \n\t\n");
  Write("fleet/binary.xml", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
  Write("fleet/other.xml", "<?xml version=\"1.0\"?>\n<tarvix_fchba_reference><devices/></tarvix_fchba_reference>\n");
  Write("fleet/truncated.xml", good.substr(0, good.find("</device>") + 10));
  Write("fleet/nodevices.xml", "<zv_rom_discovery version=\"2.0.0.0\"><type value=\"\"/></zv_rom_discovery>");
  Write("fleet/text.xml", "upgrade everything\n");
  ASSERT_EQ(mkfifo((dir_ / "fleet/fifo.xml").c_str(), 0600), 0);  // must not block the run
  Write("also/ok1.xml", good);                                  // same host again
  fs::create_directories(dir_ / "nothing-here");

  json summary = Json({(dir_ / "fleet").string(), (dir_ / "gone/web9.xml").string(), (dir_ / "also").string(),
                       (dir_ / "nothing-here").string()},
                      2);
  EXPECT_EQ(summary["rows"], RowsOf({{"QLE2562", kQle2562, "Multiboot Image", "2.32", 2, 0, 0, {"ok1", "ok2"}}}));
  std::map<std::string, std::string> reasons;
  for (const json& error : summary["errors"]) reasons[error["host"]] = error["reason"];
  const std::string kNot = "not a self-discovery report";
  EXPECT_EQ(reasons["empty"], "empty");
  EXPECT_EQ(reasons["blank"], "empty");
  EXPECT_EQ(reasons["web9"], "missing");
  EXPECT_EQ(reasons["binary"].rfind(kNot + ": not well-formed XML", 0), 0u) << reasons["binary"];
  EXPECT_EQ(reasons["text"].rfind(kNot + ": not well-formed XML", 0), 0u) << reasons["text"];
  EXPECT_EQ(reasons["truncated"].rfind(kNot + ": not well-formed XML", 0), 0u) << reasons["truncated"];
  EXPECT_EQ(reasons["other"], kNot + ": root element is <tarvix_fchba_reference>");
  EXPECT_EQ(reasons["nodevices"], kNot + ": no devices element");
  EXPECT_EQ(reasons["fifo"], "not a regular file");
  EXPECT_EQ(reasons["ok1"].rfind("another report of this host was given: ", 0), 0u) << reasons["ok1"];
  EXPECT_EQ(reasons["nothing-here"], "no reports in folder");
  EXPECT_EQ(summary["errors"].size(), 11u);
}

TEST_F(SummaryRun, HostileFilesEndInAnErrorQuickly) {
  Write("ok.xml", Report({Qle2562("upgrade")}));
  std::string deep = "<zv_rom_discovery><devices>";
  for (int i = 0; i < 200000; ++i) deep += "<device>";
  Write("deep.xml", deep);
  {
    std::ofstream huge(dir_ / "huge.xml", std::ios::binary);
    huge << "<zv_rom_discovery><devices>";
    std::string filler(1 << 20, ' ');
    for (int i = 0; i < 17; ++i) huge << filler;
    huge << "</devices></zv_rom_discovery>";
  }
  std::string many = "<zv_rom_discovery><devices><device>";
  for (int i = 0; i < 5000; ++i) many += "<fw_item><action value=\"upgrade\"/></fw_item>";
  Write("many.xml", many + "</device></devices></zv_rom_discovery>");
  // Nested entities must not expand into gigabytes.
  std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE zv_rom_discovery [\n<!ENTITY a0 \"laughlaughlaugh\">\n";
  for (int level = 1; level <= 10; ++level) {
    std::string ref = "&a" + std::to_string(level - 1) + ";";
    std::string body;
    for (int k = 0; k < 10; ++k) body += ref;
    laughs += "<!ENTITY a" + std::to_string(level) + " \"" + body + "\">\n";
  }
  laughs += "]>\n<zv_rom_discovery><devices><device><product_id value=\"&a10;\"/><fw_item>"
            "<action value=\"upgrade\"/></fw_item></device></devices></zv_rom_discovery>\n";
  Write("laughs.xml", laughs);

  auto start = std::chrono::steady_clock::now();
  json summary = Json({dir_.string()}, 2);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 30.0);  // bounded even on a loaded machine; typically well under a second
  std::map<std::string, std::string> reasons;
  for (const json& error : summary["errors"]) reasons[error["host"]] = error["reason"];
  EXPECT_EQ(reasons["deep"].rfind("not a self-discovery report: not well-formed XML", 0), 0u) << reasons["deep"];
  EXPECT_EQ(reasons["huge"], "not a self-discovery report: larger than 16 MiB");
  EXPECT_EQ(reasons["many"], "not a self-discovery report: more than 4096 firmware items");
  EXPECT_EQ(reasons["laughs"].rfind("not a self-discovery report", 0), 0u) << reasons["laughs"];
  EXPECT_EQ(summary["rows"], RowsOf({{"QLE2562", kQle2562, "Multiboot Image", "2.32", 1, 0, 0, {"ok"}}}));
}

// Minimal CSV reader: quoted fields with doubled quotes and embedded commas
// and line ends.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    any = true;
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(field), field.clear();
    } else if (c == '\n') {
      record.push_back(field), field.clear();
      records.push_back(record), record.clear();
      any = false;
    } else {
      field += c;
    }
  }
  if (any) record.push_back(field), records.push_back(record);
  return records;
}

TEST_F(SummaryRun, CsvAndJsonParseBackToTheSameNumbers) {
  Device odd{"QLE \"2562\", rev B", "1077.2532.1077.015d", {{"Multiboot Image", "2.32", "upgrade"}}};
  Write("fleet/h1.xml", Report({odd, Lpe("upgrade", "rewrite")}));
  Write("fleet/h2.xml", Report({odd, Lpe("downgrade", "rewrite")}));
  Write("fleet/h3.xml", Report({Qle2560("rewrite")}));
  Write("fleet/bare.xml", Report({}));
  Write("fleet/broken.xml", "<zv_rom_discovery>");

  json summary = Json({(dir_ / "fleet").string()}, 2);
  Outcome csv = Summary({"--csv", (dir_ / "fleet").string()});
  EXPECT_EQ(csv.rc, 2);
  EXPECT_NE(csv.out.find("\"QLE \"\"2562\"\", rev B\""), std::string::npos) << csv.out;
  auto records = ParseCsv(csv.out);
  ASSERT_EQ(records.size(), 1 + summary["rows"].size());
  EXPECT_EQ(records[0], (std::vector<std::string>{"product", "device_id", "item", "version", "upgrade", "rewrite",
                                                  "downgrade", "hosts_to_upgrade"}));
  for (std::size_t i = 0; i < summary["rows"].size(); ++i) {
    const json& row = summary["rows"][i];
    SCOPED_TRACE(row.dump());
    ASSERT_EQ(records[i + 1].size(), 8u);
    EXPECT_TRUE(row["upgrade"].is_number_integer() && row["rewrite"].is_number_integer() &&
                row["downgrade"].is_number_integer());
    std::string hosts;
    for (const json& host : row["hosts_to_upgrade"]) hosts += (hosts.empty() ? "" : " ") + host.get<std::string>();
    EXPECT_EQ(records[i + 1], (std::vector<std::string>{
                                  row["product"], row["device_id"], row["item"], row["version"],
                                  std::to_string(row["upgrade"].get<long>()), std::to_string(row["rewrite"].get<long>()),
                                  std::to_string(row["downgrade"].get<long>()), hosts}));
  }
  EXPECT_EQ(summary["rows"][0]["product"], "QLE \"2562\", rev B");
  EXPECT_EQ(summary["rows"][0]["hosts_to_upgrade"], json({"h1", "h2"}));
  // The lines that are not rows go to standard error in CSV form.
  EXPECT_EQ(csv.err,
            "fwpack-summary: no supported device: bare\n"
            "fwpack-summary: error: broken: not a self-discovery report: not well-formed XML (line 1)\n");
  EXPECT_EQ(summary["no_device"], json({"bare"}));
}

TEST_F(SummaryRun, TextTableIsAlignedAndEndsWithTheOtherLines) {
  Write("f/web1.xml", Report({Qle2562("upgrade"), Lpe("rewrite", "rewrite")}));
  Write("f/web2.xml", Report({Qle2562("upgrade")}));
  Write("f/bare.xml", Report({}));
  Write("f/bad.xml", "");
  Outcome run = Summary({(dir_ / "f").string()});
  EXPECT_EQ(run.rc, 2);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "product   device_id            item             version  upgrade  rewrite  downgrade  hosts_to_upgrade\n"
            "QLE2562   1077.2532.1077.015d  Multiboot Image  2.32           2        0          0  web1 web2\n"
            "LPe12002  10DF.F100.10DF.F100  Boot BIOS ROM    5.12a5         0        1          0\n"
            "LPe12002  10DF.F100.10DF.F100  Firmware         2.01A12        0        1          0\n"
            "no supported device: bare\n"
            "error: bad: empty\n");
}

TEST_F(SummaryRun, CommandLine) {
  Write("web1.xml", Report({Qle2562("upgrade")}));
  std::string report = (dir_ / "web1.xml").string();
  struct {
    std::vector<std::string> args;
    int rc;
    std::string err_start;
  } const cases[] = {
      {{}, 64, "fwpack-summary: no report given\nusage: fwpack-summary [--csv | --json] PATH...\n"},
      {{"--csv", "--json", report}, 64, "fwpack-summary: give one of --csv and --json\nusage:"},
      {{"--json", "--json", report}, 64, "fwpack-summary: give one of --csv and --json\nusage:"},
      {{"--xml", report}, 64, "fwpack-summary: unknown option --xml\nusage:"},
      {{"--csv"}, 64, "fwpack-summary: no report given\nusage:"},
      {{""}, 64, "fwpack-summary: an empty path\nusage:"},
  };
  for (const auto& c : cases) {
    Outcome run = Summary(c.args);
    EXPECT_EQ(run.rc, c.rc) << run.err;
    EXPECT_EQ(run.err.rfind(c.err_start, 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
  }
  Outcome help = Summary({"-h"});
  EXPECT_EQ(help.rc, 0);
  EXPECT_EQ(help.out.rfind("usage: fwpack-summary [--csv | --json] PATH...\n", 0), 0u);
  EXPECT_EQ(help.err, "");

  // After "--" a path may start with a hyphen.
  Write("-web2.xml", Report({Qle2562("upgrade")}));
  Outcome dashed = Summary({"--json", "--", "-web2.xml", "web1.xml"}, dir_);
  EXPECT_EQ(dashed.rc, 0) << dashed.err;
  EXPECT_EQ(json::parse(dashed.out)["rows"][0]["hosts_to_upgrade"], json({"-web2", "web1"}));
}

TEST(SummaryFormat, CsvFieldsAreQuotedOnlyWhenNeeded) {
  EXPECT_EQ(FleetSummary::CsvField("QLE2562"), "QLE2562");
  EXPECT_EQ(FleetSummary::CsvField("a b"), "a b");
  EXPECT_EQ(FleetSummary::CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(FleetSummary::CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(FleetSummary::CsvField("two\nlines"), "\"two\nlines\"");
}

TEST(SummaryFormat, JsonStringsAreAlwaysValid) {
  const std::string samples[] = {"plain", "q\"b\\s", "tab\tnl\ncr\r\x01", "caf\xc3\xa9", "bad\xff\xfe", "\xe2\x82",
                                 "\xed\xa0\x80"};
  for (const std::string& sample : samples) {
    std::string text = FleetSummary::JsonString(sample);
    json parsed;
    ASSERT_NO_THROW(parsed = json::parse(text)) << text;
    if (sample.find_first_of("\xff\xfe\xe2\xed") == std::string::npos) {
      EXPECT_EQ(parsed.get<std::string>(), sample);
    }
  }
  EXPECT_EQ(FleetSummary::JsonString("bad\xff"), "\"bad\\ufffd\"");
}

}  // namespace
