// The self-discovery report: the exact document for devices and items,
// escaping, replacing a file, and a report that cannot be saved.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include "framework/RefCatalogXml.h"
#include "TestSupport.h"

namespace {

const std::string kHeader =
    "<?xml version=\"1.0\"?>\n"
    "<zv_rom_discovery version=\"2.0.0.0\">\n"
    "  <type value=\"QLogic FC HBA\"/>\n"
    "  <alt_name value=\"\"/>\n"
    "  <version value=\"\"/>\n"
    "  <takes_effect value=\"\"/>\n";

class Report : public testing::Test {
 protected:
  fwtest::TempDir dir;
  fwtest::ScriptedComponent component{dir / "Component.log"};

  void SetUp() override { component.MutableDiscovery().type = L"QLogic FC HBA"; }
  std::string Write(const std::string& name) {
    component.SetReportPath(dir / name);
    EXPECT_TRUE(component.WriteDiscoveryXml());
    return fwtest::ReadFile(dir / name);
  }
};

TEST_F(Report, NoDevices) {
  component.MutableDiscovery().os_name = L"rhel5";  // never written
  EXPECT_EQ(Write("out.xml"), kHeader + "  <devices/>\n</zv_rom_discovery>\n");
}

TEST_F(Report, DevicesWithAndWithoutItems) {
  DeviceRec bare;
  bare.device_id = L"1077.2532.1077.015c";
  bare.product_id = L"QLE2562";
  bare.devnumber = L"never written";
  DeviceRec full;
  full.device_id = L"1077.2432";
  full.product_id = L"QLE2460";
  full.busnumber = L"5";
  full.funcnumber = L"1";
  FwItem item;
  item.type = L"Multiboot Image";
  item.firmware_id = L"";
  item.version = L"2.02.01";
  item.active_version = L"2.00.00";
  item.action = L"upgrade";
  item.duration = L"120";
  item.message = L"";
  item.shared = L"no";
  full.fw_items.push_back(item);
  item.type = L"Boot BIOS ROM";
  item.action = L"rewrite";
  item.shared = L"";
  full.fw_items.push_back(item);
  component.MutableDiscovery().devices = {bare, full};

  const std::string items =
      "      <fw_item>\n"
      "        <type value=\"Multiboot Image\"/>\n"
      "        <firmware_id value=\"\"/>\n"
      "        <version value=\"2.02.01\"/>\n"
      "        <active_version value=\"2.00.00\"/>\n"
      "        <action value=\"upgrade\"/>\n"
      "        <duration value=\"120\"/>\n"
      "        <message value=\"\"/>\n"
      "        <shared value=\"no\"/>\n"
      "      </fw_item>\n"
      "      <fw_item>\n"
      "        <type value=\"Boot BIOS ROM\"/>\n"
      "        <firmware_id value=\"\"/>\n"
      "        <version value=\"2.02.01\"/>\n"
      "        <active_version value=\"2.00.00\"/>\n"
      "        <action value=\"rewrite\"/>\n"
      "        <duration value=\"120\"/>\n"
      "        <message value=\"\"/>\n"
      "        <shared value=\"\"/>\n"
      "      </fw_item>\n";
  EXPECT_EQ(Write("out.xml"), kHeader +
                                  "  <devices>\n"
                                  "    <device>\n"
                                  "      <device_id value=\"1077.2532.1077.015c\"/>\n"
                                  "      <product_id value=\"QLE2562\"/>\n"
                                  "      <busnumber value=\"\"/>\n"
                                  "      <funcnumber value=\"\"/>\n"
                                  "    </device>\n"
                                  "    <device>\n"
                                  "      <device_id value=\"1077.2432\"/>\n"
                                  "      <product_id value=\"QLE2460\"/>\n"
                                  "      <busnumber value=\"5\"/>\n"
                                  "      <funcnumber value=\"1\"/>\n" +
                                  items +
                                  "    </device>\n"
                                  "  </devices>\n"
                                  "</zv_rom_discovery>\n");
}

TEST_F(Report, SpecialCharactersAreEscapedAndReadBackUnchanged) {
  const std::wstring tricky = L"A&B <c> \"q\"\tx\ny";
  DeviceRec device;
  device.product_id = tricky;
  component.MutableDiscovery().devices = {device};
  std::string text = Write("out.xml");
  EXPECT_NE(text.find("<product_id value=\"A&amp;B &lt;c&gt; &quot;q&quot;&#9;x&#10;y\"/>"),
            std::string::npos)
      << text;

  xmlDocPtr doc = xmlParseFile((dir / "out.xml").c_str());
  ASSERT_NE(doc, nullptr);
  xmlNodePtr node = xmlDocGetRootElement(doc);
  // root -> devices -> device -> product_id
  std::wstring read_back;
  for (xmlNodePtr child = node ? node->children : nullptr; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE || xmlStrcmp(child->name, BAD_CAST "devices") != 0) continue;
    for (xmlNodePtr dev = child->children; dev; dev = dev->next) {
      for (xmlNodePtr field = dev->children; field; field = field->next)
        if (field->type == XML_ELEMENT_NODE && xmlStrcmp(field->name, BAD_CAST "product_id") == 0)
          read_back = GetValueAttr(field, "value");
    }
  }
  xmlFreeDoc(doc);
  EXPECT_EQ(read_back, tricky);
}

TEST_F(Report, ControlCharactersCannotBreakTheDocument) {
  DeviceRec device;
  FwItem item;
  item.active_version = std::wstring(L"2.0\x1b" L"1") + L'\0' + L"x\x7f";
  device.fw_items.push_back(item);
  component.MutableDiscovery().devices = {device};
  std::string text = Write("out.xml");
  EXPECT_NE(text.find("<active_version value=\"2.0?1?x\x7f\"/>"), std::string::npos) << text;
  xmlDocPtr doc = xmlReadFile((dir / "out.xml").c_str(), nullptr, XML_PARSE_NOERROR);
  EXPECT_NE(doc, nullptr) << "report is not well-formed";
  xmlFreeDoc(doc);
}

TEST_F(Report, ExistingFileIsReplaced) {
  fwtest::WriteFile(dir / "out.xml", std::string(5000, 'x'));
  EXPECT_EQ(Write("out.xml"), kHeader + "  <devices/>\n</zv_rom_discovery>\n");
}

TEST_F(Report, PathIsUsedExactlyAsGiven) {
  fwtest::ScopedChdir cd(dir.path());
  ASSERT_TRUE(cd.ok());
  for (const std::string name : {"-", "out%41.xml", "with space.xml"}) {
    component.SetReportPath(name);
    EXPECT_TRUE(component.WriteDiscoveryXml()) << name;
    EXPECT_EQ(fwtest::ReadFile(dir / name), kHeader + "  <devices/>\n</zv_rom_discovery>\n") << name;
  }
  EXPECT_FALSE(fwtest::FileExists(dir / "outA.xml"));
}

// A report that cannot be saved fails, and says so on standard error with
// the path and the system's reason.
TEST_F(Report, UnsavableReportFailsWithOneLineOnStandardError) {
  struct Case {
    std::string path;
    const char* reason;
  };
  std::vector<Case> cases = {
      {dir / "missing/out.xml", "No such file or directory"},
      {"", "No such file or directory"},
      {dir.path(), "Is a directory"},  // a directory
  };
  if (fwtest::FileExists("/dev/full")) cases.push_back({"/dev/full", "No space left on device"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    component.SetReportPath(c.path);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(component.WriteDiscoveryXml());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "fwpack: cannot write report " + c.path + ": " + c.reason + "\n");
  }

  // A saved report prints nothing there.
  component.SetReportPath(dir / "out.xml");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(component.WriteDiscoveryXml());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
