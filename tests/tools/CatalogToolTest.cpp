// fwpack-catalog as a program: its listing, findings, exit codes, JSON, and
// large or hostile catalogues.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "framework/Text.h"
#include "TestSupport.h"
#include "tests/common/RunProgram.h"

#ifndef FWPACK_CATALOG_PATH
#error "FWPACK_CATALOG_PATH must name the fwpack-catalog executable"
#endif
#ifndef FWPACK_SOURCE_DIR
#error "FWPACK_SOURCE_DIR must name the source tree"
#endif

namespace {

using fwtest::ReadFile;
using fwtest::TempDir;
using fwtest::WriteFile;

// Runs the tool with `args` from directory `cwd`, without a shell.
using Result = fwtest::ProgramRun;

Result Check(const std::vector<std::string>& args, const std::string& cwd) {
  return fwtest::RunProgram(FWPACK_CATALOG_PATH, args, cwd);
}

bool IsFinding(const std::string& line) {
  size_t colon = line.find(": ");
  if (colon == std::string::npos || colon == 0) return false;
  for (size_t i = 0; i < colon; ++i)
    if (line[i] < '0' || line[i] > '9') return false;
  return line.compare(colon, 9, ": error: ") == 0 || line.compare(colon, 11, ": warning: ") == 0;
}

std::vector<std::string> Findings(const std::string& out) {
  std::vector<std::string> found;
  for (const std::string& line : SplitLines(out))
    if (IsFinding(line)) found.push_back(line);
  return found;
}

std::string Catalogue(const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<tarvix_fchba_reference>\n" + body +
         "</tarvix_fchba_reference>\n";
}

// One device with every value: in a catalogue whose devices element opens
// at line 3, the device is at line 4 and its values at 5 to 11.
std::string Device(const std::string& id, const std::string& extra = "") {
  return "    <device>\n"
         "      <type value=\"Multiboot Image\"/>\n"
         "      <device_id value=\"" + id + "\"/>\n"
         "      <model value=\"QLE2562\"/>\n"
         "      <firmware value=\"5.06.05\"/>\n"
         "      <bios value=\"3.21\"/>\n"
         "      <boot value=\"2.32\"/>\n"
         "      <duration value=\"120\"/>\n" + extra +
         "    </device>\n";
}

std::string Devices(const std::string& inside) { return "  <devices>\n" + inside + "  </devices>\n"; }

struct Case {
  const char* name;
  const char* vendor;
  std::string xml;
  std::vector<std::string> findings;
  int rc;
};

std::vector<Case> Cases() {
  const std::string kId = "1077.2532.1077.015d";
  return {
      {"clean", "qlogic", Catalogue(Devices(Device(kId))), {}, 0},
      {"not well-formed", "qlogic",
       Catalogue("  <devices>\n" + Device(kId)),
       {"13: error: XML parser: Opening and ending tag mismatch: devices line 3 and "
        "tarvix_fchba_reference",
        "14: error: XML parser: Premature end of data in tag tarvix_fchba_reference line 2"},
       2},
      {"other root", "qlogic",
       "<?xml version=\"1.0\"?>\n<fchba_reference>\n" + Devices(Device(kId)) +
           "</fchba_reference>\n",
       {"2: error: root element fchba_reference is not tarvix_fchba_reference, so nothing is "
        "loaded"},
       2},
      {"no entry", "qlogic", Catalogue("  <devices>\n  </devices>\n"),
       {"2: error: no device entry: no adapter is supported"}, 2},
      {"device outside devices", "qlogic",
       Catalogue(Devices(Device(kId)) + "  <device><model value=\"stray\"/></device>\n"),
       {"14: warning: device in tarvix_fchba_reference is outside devices and is ignored"}, 1},
      {"misspelled value element", "qlogic",
       Catalogue(Devices(Device(kId, "      <firmwre value=\"5.06.06\"/>\n"))),
       {"12: warning: element firmwre in device is ignored (did you mean firmware?)"}, 1},
      {"unknown element under the root", "qlogic",
       Catalogue("  <comment value=\"x\"/>\n" + Devices(Device(kId))),
       {"3: warning: element comment in tarvix_fchba_reference is ignored"}, 1},
      {"value element without value", "qlogic",
       Catalogue(Devices(Device(kId, "      <model/>\n"))),
       {"12: warning: entry 0: model given again (first at line 7); this later value wins",
        "12: warning: entry 0: model has no value attribute, so model is empty"},
       1},
      {"value element given twice", "qlogic",
       Catalogue(Devices(Device(kId, "      <boot value=\"2.40\"/>\n"))),
       {"12: warning: entry 0: boot given again (first at line 10); this later value wins"}, 1},
      {"entry without device_id", "qlogic",
       Catalogue(Devices(Device(kId) + "    <device><model value=\"QLE2460\"/></device>\n")),
       {"13: warning: entry 1 has no device_id"}, 1},
      {"empty device_id", "emulex",
       Catalogue(Devices(Device(kId) + "    <device><device_id value=\"\"/></device>\n")),
       {"13: warning: entry 1: device_id is empty"}, 1},
      {"application path without CDATA", "qlogic",
       Catalogue("  <discovery_app_path> <![CDATA[./fwpack]]></discovery_app_path>\n" +
                 Devices(Device(kId))),
       {"3: warning: discovery_app_path does not begin with a CDATA section, so no path is "
        "read from it"},
       1},
      {"duplicate id", "emulex", Catalogue(Devices(Device(kId) + Device(kId))),
       {"15: warning: entry 1 is never found by its device_id \"1077.2532.1077.015d\": the lookup "
        "returns entry 0 (line 4, device_id \"1077.2532.1077.015d\")"},
       1},
      {"id differing in letter case only", "brocade",
       Catalogue(Devices(Device(kId) + Device("1077.2532.1077.015D"))),
       {"15: warning: entry 1 is never found by its device_id \"1077.2532.1077.015D\": the lookup "
        "returns entry 0 (line 4, device_id \"1077.2532.1077.015d\")"},
       1},
      // The QLogic rule tries the exact id before containment, so an earlier
      // id that merely contains a later one does not hide it.
      {"QLogic: containing id before an exact one", "qlogic",
       Catalogue(Devices(Device(kId + "-old") + Device(kId))), {}, 0},
      {"version without a digit", "qlogic",
       Catalogue(Devices(Device(kId, "      <firmware value=\"latest\"/>\n"))),
       {"12: warning: entry 0: firmware given again (first at line 8); this later value wins",
        "12: warning: entry 0: firmware version \"latest\" has no digit"},
       1},
      {"duration not whole seconds", "qlogic",
       Catalogue(Devices(Device(kId, "      <duration value=\"2.5\"/>\n"))),
       {"12: warning: entry 0: duration given again (first at line 11); this later value wins",
        "12: warning: entry 0: duration \"2.5\" is not a whole number of seconds"},
       1},
      {"parser warning on a loaded file", "qlogic",
       Catalogue("  <x:note/>\n" + Devices(Device(kId))),
       {"3: warning: element x:note in tarvix_fchba_reference is ignored",
        "3: warning: XML parser: Namespace prefix x on note is not defined"},
       1},
      {"control bytes stay on one line", "qlogic",
       Catalogue(Devices(Device(kId, "      <boot value=\"&#9;none&#10;\"/>\n"))),
       {"12: warning: entry 0: boot given again (first at line 10); this later value wins",
        "12: warning: entry 0: boot version \"\\x09none\\x0a\" has no digit"},
       1},
  };
}

TEST(CatalogTool, EachFindingWithItsLineAndExitCode) {
  TempDir dir;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    WriteFile(dir / "reference.xml", c.xml);
    Result r = Check({"--vendor", c.vendor, "reference.xml"}, dir.path());
    EXPECT_EQ(r.rc, c.rc);
    EXPECT_EQ(Findings(r.out), c.findings) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

TEST(CatalogTool, ListsWhatTheComponentSees) {
  TempDir dir;
  WriteFile(dir / "reference.xml",
       Catalogue("  <discovery_app_path><![CDATA[./zvqlafwupdate -i]]></discovery_app_path>\n"
                 "  <installer_app_path><![CDATA[./zvqlafwupdate]]></installer_app_path>\n" +
                 Devices(Device("1077.2532.1077.015d") +
                         "    <device><device_id value=\"10DF.F100.10DF.F100\"/>"
                         "<model value='Say \"hi\" \\ bye'/><bios value=\"\"/></device>\n")));
  // FILE defaults to reference.xml in the working directory.
  Result r = Check({}, dir.path());
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out,
            "discovery_app_path \"./zvqlafwupdate -i\"\n"
            "installer_app_path \"./zvqlafwupdate\"\n"
            "entry 0: device_id \"1077.2532.1077.015d\" model \"QLE2562\" type \"Multiboot Image\" "
            "firmware \"5.06.05\" bios \"3.21\" bios_present 2 boot \"2.32\" duration \"120\"\n"
            "entry 1: device_id \"10DF.F100.10DF.F100\" model \"Say \\\"hi\\\" \\\\ bye\" type \"\" "
            "firmware \"\" bios \"\" bios_present 0 boot \"\" duration \"\"\n");
}

TEST(CatalogTool, FilesThatDoNotLoad) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "folder").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  WriteFile(dir / "empty.xml", "");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"missing.xml", "0: error: cannot read missing.xml: No such file or directory\n"},
      {"folder", "0: error: cannot read folder: not a regular file\n"},
      {"fifo", "0: error: cannot read fifo: not a regular file\n"},
      {"empty.xml", "1: error: XML parser: Document is empty\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    Result r = Check({c.first}, dir.path());
    EXPECT_EQ(r.rc, 2);
    // Nothing is listed for a file the component cannot load.
    EXPECT_EQ(r.out, c.second);
  }
}

TEST(CatalogTool, CommandLine) {
  TempDir dir;
  WriteFile(dir / "reference.xml", Catalogue(Devices(Device("1077.2532.1077.015d"))));
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--vendor"}, {"--vendor", "hp"}, {"--vendor=QLogic"}, {"--bogus"}, {"-j"},
           {"a.xml", "b.xml"}}) {
    SCOPED_TRACE(bad[0]);
    Result r = Check(bad, dir.path());
    EXPECT_EQ(r.rc, 64);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: fwpack-catalog [--vendor qlogic|emulex|brocade] [--json] [FILE]"),
              std::string::npos)
        << r.err;
  }
  Result help = Check({"--help"}, dir.path());
  EXPECT_EQ(help.rc, 0);
  EXPECT_EQ(help.out.rfind("usage: fwpack-catalog ", 0), 0u);
  EXPECT_EQ(Check({"--vendor=brocade", "--", "reference.xml"}, dir.path()).rc, 0);
  Result dash = Check({"--", "-x.xml"}, dir.path());  // after --, a name
  EXPECT_EQ(dash.out, "0: error: cannot read -x.xml: No such file or directory\n");
}

TEST(CatalogTool, JsonHoldsTheSameFindingsAndEntries) {
  TempDir dir;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    WriteFile(dir / "reference.xml", c.xml);
    Result text = Check({"--vendor", c.vendor}, dir.path());
    Result json = Check({"--json", "--vendor", c.vendor}, dir.path());
    EXPECT_EQ(json.rc, text.rc);
    nlohmann::json doc = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_FALSE(doc.is_discarded()) << json.out;
    EXPECT_EQ(doc["vendor"], c.vendor);
    EXPECT_EQ(doc["file"], "reference.xml");
    EXPECT_EQ(doc["exit_code"], text.rc);
    std::vector<std::string> findings;
    for (const auto& f : doc["findings"])
      findings.push_back(std::to_string(f["line"].get<long>()) + ": " +
                         f["level"].get<std::string>() + ": " + f["text"].get<std::string>());
    EXPECT_EQ(findings, Findings(text.out));
    size_t listed = 0;
    for (const std::string& line : SplitLines(text.out)) listed += line.rfind("entry ", 0) == 0;
    EXPECT_EQ(doc["entries"].size(), listed);
  }
  WriteFile(dir / "reference.xml", Catalogue(Devices(Device("1077.2532.1077.015d"))));
  nlohmann::json doc = nlohmann::json::parse(Check({"--json"}, dir.path()).out);
  EXPECT_EQ(doc["loaded"], true);
  EXPECT_EQ(doc["entries"][0],
            (nlohmann::json{{"index", 0}, {"line", 4}, {"device_id", "1077.2532.1077.015d"},
                            {"model", "QLE2562"}, {"type", "Multiboot Image"},
                            {"firmware", "5.06.05"}, {"bios", "3.21"}, {"bios_present", 2},
                            {"boot", "2.32"}, {"duration", "120"}}));
  doc = nlohmann::json::parse(Check({"--json", "gone.xml"}, dir.path()).out);
  EXPECT_EQ(doc["loaded"], false);
  EXPECT_TRUE(doc["entries"].empty());
  EXPECT_EQ(doc["findings"][0]["level"], "error");
}

TEST(CatalogTool, DemoCataloguesAreClean) {
  const std::vector<std::pair<std::string, std::string>> demos = {
      {"demo.json", "qlogic"}, {"demo-emulex.json", "emulex"}, {"demo-brocade.json", "brocade"}};
  TempDir dir;
  for (const auto& demo : demos) {
    SCOPED_TRACE(demo.first);
    nlohmann::json scenario =
        nlohmann::json::parse(ReadFile(std::string(FWPACK_SOURCE_DIR) + "/sim/scenarios/" + demo.first));
    std::string xml;
    if (scenario["reference_xml"].is_string()) {
      xml = scenario["reference_xml"].get<std::string>();
    } else {
      for (const auto& line : scenario["reference_xml"]) xml += line.get<std::string>() + "\n";
    }
    WriteFile(dir / "reference.xml", xml);
    Result r = Check({"--vendor", demo.second}, dir.path());
    EXPECT_EQ(r.rc, 0) << r.out;
    EXPECT_EQ(Findings(r.out), std::vector<std::string>{});
    EXPECT_NE(r.out.find("entry 1: "), std::string::npos) << r.out;
  }
}

TEST(CatalogTool, RepeatedFindingIsListedTenTimesThenCounted) {
  TempDir dir;
  std::string padding;
  for (int i = 0; i < 25; ++i) padding += "  <note/>\n";
  WriteFile(dir / "reference.xml", Catalogue(padding + Devices(Device("1077.2532.1077.015d"))));
  std::vector<std::string> findings = Findings(Check({}, dir.path()).out);
  ASSERT_EQ(findings.size(), 11u);
  EXPECT_EQ(findings[9], "12: warning: element note in tarvix_fchba_reference is ignored");
  EXPECT_EQ(findings[10],
            "13: warning: element note in tarvix_fchba_reference is ignored (15 more times from "
            "this line on, not listed)");
}

// The catalogues of the hostile-catalogue scenario, written by its own
// script: each is checked quickly, without a crash, with the outcome the
// component's loading implies.
TEST(CatalogTool, HostileCatalogues) {
  nlohmann::json scenario = nlohmann::json::parse(
      ReadFile(std::string(FWPACK_SOURCE_DIR) + "/tests/e2e/scenarios/hostile-catalogue.json"));
  TempDir dir;
  std::string script;
  for (const auto& line : scenario["package_files"]["make-catalogue.sh"])
    script += line.get<std::string>() + "\n";
  WriteFile(dir / "make-catalogue.sh", script);
  const struct {
    const char* kind;
    int rc;
    const char* shows;
  } kinds[] = {
      {"large", 1,
       "35: warning: element note in tarvix_fchba_reference is ignored (569990 more times from "
       "this line on, not listed)\n"},
      {"thousand", 0, "\nentry 999: device_id \"1077.2532.1077.015d\" model \"QLE2562-last\""},
      {"nested", 0, "\nentry 1: device_id \"1077.2532.1077.015c\""},
      {"too_deep", 2, "5: error: XML parser: Excessive depth in document: 256 use XML_PARSE_HUGE "
                      "option\n"},
      {"utf16", 0, " model \"QLE2562 caf\xc3\xa9\" "},
      {"latin1", 0, " model \"QLE2562 caf\xc3\xa9\" "},
  };
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.kind);
    std::string make = "cd " + dir.path() + " && sh ./make-catalogue.sh " + k.kind +
                       " > " + k.kind + ".xml";
    ASSERT_EQ(std::system(make.c_str()), 0);
    Result r = Check({std::string(k.kind) + ".xml"}, dir.path());
    EXPECT_EQ(r.rc, k.rc);
    EXPECT_NE(r.out.find(k.shows), std::string::npos) << r.out.substr(0, 2000);
    EXPECT_LT(r.seconds, 60.0);
  }
}

// The component's log directory must not appear: the tool builds its
// components without a log. Checked in a private mount namespace whose /var
// starts empty.
TEST(CatalogTool, CreatesNothing) {
  TempDir dir;
  WriteFile(dir / "reference.xml", Catalogue(Devices(Device("1077.2532.1077.015d"))));
  std::string script =
      "unshare -m --propagation private -- sh -c 'mount -t tmpfs tmpfs /var && cd " + dir.path() +
      " && for v in qlogic emulex brocade; do " FWPACK_CATALOG_PATH
      " --vendor $v >/dev/null || exit 3; " FWPACK_CATALOG_PATH
      " --vendor $v --json >/dev/null || exit 3; done; "
      "test -z \"$(ls -A /var)\" || { ls -lR /var; exit 4; }; "
      "test \"$(ls -A .)\" = reference.xml || { ls -la; exit 5; }'";
  EXPECT_EQ(std::system(script.c_str()), 0);
}

// Appends about `bytes` of a catalogue with `devices` entries, a few of them
// hidden by earlier ones, and padding the loader ignores.
void WriteLarge(const std::string& path, size_t devices, size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "<?xml version=\"1.0\"?>\n<tarvix_fchba_reference>\n  <devices>\n";
  char id[32];
  for (size_t i = 0; i < devices; ++i) {
    std::snprintf(id, sizeof id, "1077.%04zx.1077.%04zx", 0x2000 + i / 65536, i % 65536);
    out << "    <device><device_id value=\"" << id << "\"/><model value=\"M" << i
        << "\"/><boot value=\"2." << i % 100 << "\"/><duration value=\"60\"/></device>\n";
  }
  // Entry 10's id again, in upper case: hidden by entry 10.
  out << "    <device><device_id value=\"1077.2000.1077.000A\"/></device>\n";
  out << "  </devices>\n";
  size_t written = static_cast<size_t>(out.tellp());
  for (size_t i = 0; written < bytes; ++i) {
    std::string note = "  <note value=\"padding " + std::to_string(i) +
                       " of a catalogue far larger than it needs to be\"/>\n";
    out << note;
    written += note.size();
  }
  out << "</tarvix_fchba_reference>\n";
}

TEST(CatalogTool, FiftyMegabytesCheckInSeconds) {
  TempDir dir;
  const size_t kDevices = 60000;
  WriteLarge(dir / "reference.xml", kDevices, 50u << 20);
  for (const char* vendor : {"qlogic", "emulex"}) {
    SCOPED_TRACE(vendor);
    Result r = Check({"--vendor", vendor}, dir.path());
    std::printf("50 MB catalogue, %s: %.2f s, max RSS %ld MB\n", vendor, r.seconds,
                r.max_rss_kb / 1024);
    EXPECT_EQ(r.rc, 1);
    std::vector<std::string> findings = Findings(r.out);
    ASSERT_EQ(findings.size(), 12u);
    EXPECT_EQ(findings[0],
              "60004: warning: entry 60000 is never found by its device_id \"1077.2000.1077.000A\": "
              "the lookup returns entry 10 (line 14, device_id \"1077.2000.1077.000a\")");
    EXPECT_EQ(findings[1], "60006: warning: element note in tarvix_fchba_reference is ignored");
    EXPECT_NE(findings[11].find("element note in tarvix_fchba_reference is ignored ("),
              std::string::npos);
    EXPECT_EQ(SplitLines(r.out).size(), 2 + kDevices + 1 + findings.size());
    // Bounded: well within a minute and a few times the file in memory,
    // also on a loaded machine or under the sanitizers.
    EXPECT_LT(r.seconds, 60.0);
    EXPECT_LT(r.max_rss_kb, 3L << 20);
  }
}

}  // namespace
