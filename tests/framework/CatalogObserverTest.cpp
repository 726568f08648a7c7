// The loader's observer: what it is told, at which lines, and that loading
// stays the same with it.
#include <sys/stat.h>

#include <sstream>

#include "TestSupport.h"
#include "framework/RefCatalogObserver.h"
#include "framework/Text.h"

namespace {

class Recorder : public RefCatalogObserver {
 public:
  std::vector<std::string> events;

  void FileUnusable(const std::string& reason) override { Add("unusable " + reason); }
  void ParserMessage(Level level, long line, const std::string& text) override {
    const char* name = level == Level::Warning ? "warning" : level == Level::Error ? "error"
                                                                                  : "fatal";
    Add(std::string("parser ") + name + " " + std::to_string(line) + " " + text);
  }
  void TopLevelElement(const char* name, long line) override {
    Add("top " + std::string(name) + " " + std::to_string(line));
  }
  void IgnoredElement(const char* name, const char* parent, long line) override {
    Add("ignored " + std::string(name) + " in " + parent + " " + std::to_string(line));
  }
  void PathWithoutCdata(const char* name, long line) override {
    Add("nocdata " + std::string(name) + " " + std::to_string(line));
  }
  void EntryStarted(size_t index, long line) override {
    Add("entry " + std::to_string(index) + " " + std::to_string(line));
  }
  void ValueStored(size_t index, const char* field, long line) override {
    Add("value " + std::to_string(index) + " " + field + " " + std::to_string(line));
  }
  void ValueWithoutAttribute(size_t index, const char* field, long line) override {
    Add("noattr " + std::to_string(index) + " " + field + " " + std::to_string(line));
  }
  void ValueRepeated(size_t index, const char* field, long line, long earlier) override {
    Add("again " + std::to_string(index) + " " + field + " " + std::to_string(line) + " " +
        std::to_string(earlier));
  }
  void EntryWithoutDeviceId(size_t index, long line) override {
    Add("noid " + std::to_string(index) + " " + std::to_string(line));
  }

 private:
  void Add(const std::string& event) { events.push_back(event); }
};

std::string Dump(const RefCatalog& catalog) {
  std::ostringstream out;
  out << NarrowBytes(catalog.discovery_app_path) << '|' << NarrowBytes(catalog.installer_app_path);
  for (const RefEntry& e : catalog.entries)
    out << "\n" << NarrowBytes(e.type) << '|' << NarrowBytes(e.device_id) << '|'
        << NarrowBytes(e.model) << '|' << NarrowBytes(e.firmware) << '|' << NarrowBytes(e.bios)
        << '|' << NarrowBytes(e.boot) << '|' << NarrowBytes(e.duration) << '|' << e.bios_present;
  return out.str();
}

const char kEveryKind[] =
    "<?xml version=\"1.0\"?>\n"                                          // 1
    "<tarvix_fchba_reference>\n"                                         // 2
    "  <discovery_app_path>./plain</discovery_app_path>\n"               // 3
    "  <installer_app_path><![CDATA[./tool]]></installer_app_path>\n"    // 4
    "  <device><model value=\"stray\"/></device>\n"                      // 5
    "  <devices>\n"                                                      // 6
    "    <device>\n"                                                     // 7
    "      <device_id value=\"1077.2532.1077.015d\"/><modle value=\"x\"/>\n"  // 8
    "      <bios/>\n"                                                    // 9
    "      <bios value=\"3.21\"/>\n"                                     // 10
    "    </device>\n"                                                    // 11
    "    <dvice/><!-- a comment -->\n"                                   // 12
    "    <device><model value=\"no id\"/></device>\n"                    // 13
    "  </devices>\n"                                                     // 14
    "</tarvix_fchba_reference>\n";

TEST(CatalogueObserver, IsToldEveryKindWithItsLineAndLoadingStaysTheSame) {
  fwtest::TempDir dir;
  fwtest::WriteFile(dir / "reference.xml", kEveryKind);
  RefCatalog plain, observed;
  Recorder recorder;
  ASSERT_TRUE(plain.LoadReferences(dir / "reference.xml"));
  ASSERT_TRUE(observed.LoadReferences(dir / "reference.xml", &recorder));
  EXPECT_EQ(Dump(observed), Dump(plain));
  EXPECT_EQ(Dump(observed),
            "|./tool\n|1077.2532.1077.015d|||3.21|||0\n||no id|||||2");
  std::vector<std::string> expected = {
      "top tarvix_fchba_reference 2",
      "nocdata discovery_app_path 3",
      "ignored device in tarvix_fchba_reference 5",
      "entry 0 7",
      "value 0 device_id 8",
      "ignored modle in device 8",
      "value 0 bios 9",
      "noattr 0 bios 9",
      "value 0 bios 10",
      "again 0 bios 10 9",
      "ignored dvice in devices 12",
      "entry 1 13",
      "value 1 model 13",
      "noid 1 13",
  };
  EXPECT_EQ(recorder.events, expected);
}

TEST(CatalogueObserver, OtherRootIsReportedAndNotDescended) {
  fwtest::TempDir dir;
  fwtest::WriteFile(dir / "reference.xml",
                    "<?xml version=\"1.0\"?>\n<!-- x -->\n<tarvix_FCHBA_reference>\n"
                    "<devices><device/></devices></tarvix_FCHBA_reference>\n");
  RefCatalog catalog;
  Recorder recorder;
  ASSERT_TRUE(catalog.LoadReferences(dir / "reference.xml", &recorder));
  EXPECT_TRUE(catalog.entries.empty());
  EXPECT_EQ(recorder.events, std::vector<std::string>{"top tarvix_FCHBA_reference 3"});
}

TEST(CatalogueObserver, ParserMessagesGoToTheObserverOnly) {
  fwtest::TempDir dir;
  fwtest::WriteFile(dir / "reference.xml",
                    "<?xml version=\"1.0\"?>\n<tarvix_fchba_reference>\n<devices>\n"
                    "</tarvix_fchba_reference>\n");
  RefCatalog catalog;
  Recorder recorder;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(catalog.LoadReferences(dir / "reference.xml", &recorder));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_FALSE(recorder.events.empty());
  EXPECT_EQ(recorder.events[0],
            "parser fatal 4 Opening and ending tag mismatch: devices line 3 and "
            "tarvix_fchba_reference");

  // Without an observer the parser reports on standard error again.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(catalog.LoadReferences(dir / "reference.xml"));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Opening and ending tag mismatch"),
            std::string::npos);
}

TEST(CatalogueObserver, UnusablePaths) {
  fwtest::TempDir dir;
  ASSERT_EQ(mkdir((dir / "folder.xml").c_str(), 0755), 0);
  RefCatalog catalog;
  Recorder recorder;
  EXPECT_FALSE(catalog.LoadReferences(dir / "missing.xml", &recorder));
  EXPECT_FALSE(catalog.LoadReferences(dir / "folder.xml", &recorder));
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"unusable No such file or directory",
                                                       "unusable not a regular file"}));
}

}  // namespace
