// The reference catalogue loader: entries in file order, BIOS presence,
// which elements count, and files that cannot be read.
#include <sys/stat.h>

#include "TestSupport.h"

namespace {

class Catalogue : public testing::Test {
 protected:
  fwtest::TempDir dir;
  RefCatalog catalog;

  bool Load(const std::string& xml) {
    fwtest::WriteFile(dir / "reference.xml", xml);
    return catalog.LoadReferences(dir / "reference.xml");
  }
  static std::string Root(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<tarvix_fchba_reference>\n" + body +
           "\n</tarvix_fchba_reference>\n";
  }
};

TEST_F(Catalogue, FullCatalogueInFileOrder) {
  ASSERT_TRUE(Load(Root(
      "  <discovery_app_path><![CDATA[./zvqlafwupdate -i]]></discovery_app_path>\n"
      "  <installer_app_path><![CDATA[./zvqlafwupdate]]></installer_app_path>\n"
      "  <devices>\n"
      "    <device>\n"
      "      <type value=\"QLogic FC HBA\"/>\n"
      "      <device_id value=\"1077.2532.1077.015c\"/>\n"
      "      <model value=\"QLE2562\"/>\n"
      "      <firmware value=\"2.02.01\"/>\n"
      "      <bios value=\"3.00\"/>\n"
      "      <boot value=\"1.08\"/>\n"
      "      <duration value=\"120\"/>\n"
      "      <!-- comment --><unknown value=\"x\"/>\n"
      "    </device>\n"
      "    <device><model value=\"QLE2460\"/></device>\n"
      "  </devices>")));
  EXPECT_EQ(catalog.discovery_app_path, L"./zvqlafwupdate -i");
  EXPECT_EQ(catalog.installer_app_path, L"./zvqlafwupdate");
  ASSERT_EQ(catalog.entries.size(), 2u);
  const RefEntry& first = catalog.entries[0];
  EXPECT_EQ(first.type, L"QLogic FC HBA");
  EXPECT_EQ(first.device_id, L"1077.2532.1077.015c");
  EXPECT_EQ(first.model, L"QLE2562");
  EXPECT_EQ(first.firmware, L"2.02.01");
  EXPECT_EQ(first.bios, L"3.00");
  EXPECT_EQ(first.boot, L"1.08");
  EXPECT_EQ(first.duration, L"120");
  EXPECT_EQ(first.bios_present, 2);
  const RefEntry& second = catalog.entries[1];
  EXPECT_EQ(second.model, L"QLE2460");
  EXPECT_EQ(second.type, L"");
  EXPECT_EQ(second.firmware, L"");
  EXPECT_EQ(second.bios_present, 2);
}

TEST_F(Catalogue, BiosPresenceRules) {
  ASSERT_TRUE(Load(Root(
      "<devices>"
      "<device><model value=\"absent\"/></device>"
      "<device><bios value=\"\"/></device>"
      "<device><bios value=\"\"/><bios value=\"1.2\"/></device>"
      "<device><bios/></device>"
      "<device><bios value=\"1.0\"/><bios other=\"x\"/></device>"
      "</devices>")));
  ASSERT_EQ(catalog.entries.size(), 5u);
  EXPECT_EQ(catalog.entries[0].bios_present, 2);
  EXPECT_EQ(catalog.entries[0].bios, L"");
  EXPECT_EQ(catalog.entries[1].bios_present, 0);
  // Never set back once cleared, even when a later bios has a version.
  EXPECT_EQ(catalog.entries[2].bios, L"1.2");
  EXPECT_EQ(catalog.entries[2].bios_present, 0);
  EXPECT_EQ(catalog.entries[3].bios_present, 0);
  EXPECT_EQ(catalog.entries[4].bios, L"");
  EXPECT_EQ(catalog.entries[4].bios_present, 0);
}

TEST_F(Catalogue, AppPathsNeedACdataFirstChild) {
  ASSERT_TRUE(Load(Root(
      "<discovery_app_path>plain text</discovery_app_path>"
      "<installer_app_path> <![CDATA[after blank]]></installer_app_path>")));
  EXPECT_EQ(catalog.discovery_app_path, L"");
  EXPECT_EQ(catalog.installer_app_path, L"");

  RefCatalog later;
  fwtest::WriteFile(dir / "later.xml",
                    Root("<discovery_app_path><![CDATA[first]]></discovery_app_path>"
                         "<discovery_app_path><![CDATA[<second & last>]]></discovery_app_path>"
                         "<discovery_app_path/>"));
  ASSERT_TRUE(later.LoadReferences(dir / "later.xml"));
  EXPECT_EQ(later.discovery_app_path, L"<second & last>");
}

TEST_F(Catalogue, OnlyDevicesInsideDevicesElementsCount) {
  // No white space before the root's first child; a device straight under
  // the root is ignored; two devices elements are read in document order.
  ASSERT_TRUE(Load(
      "<?xml version=\"1.0\"?><tarvix_fchba_reference><devices><device><model value=\"A\"/></device>"
      "</devices><device><model value=\"stray\"/></device>"
      "<devices><other/><device><model value=\"B\"/></device></devices>"
      "<wrapper><devices><device><model value=\"nested\"/></device></devices></wrapper>"
      "</tarvix_fchba_reference>"));
  ASSERT_EQ(catalog.entries.size(), 2u);
  EXPECT_EQ(catalog.entries[0].model, L"A");
  EXPECT_EQ(catalog.entries[1].model, L"B");
}

TEST_F(Catalogue, RootNameDecidesTheDescent) {
  EXPECT_TRUE(Load("<?xml version=\"1.0\"?><Tarvix_FCHBA_Reference><devices><device>"
                   "<model value=\"A\"/></device></devices></Tarvix_FCHBA_Reference>"));
  EXPECT_TRUE(catalog.entries.empty());
  // A root that is itself a handled element is handled as such.
  EXPECT_TRUE(Load("<devices><device><model value=\"R\"/></device></devices>"));
  ASSERT_EQ(catalog.entries.size(), 1u);
  EXPECT_EQ(catalog.entries[0].model, L"R");
}

TEST_F(Catalogue, ValuesAreTakenByteByByteAfterTheParser) {
  ASSERT_TRUE(Load(Root("<devices><device><model value=\"A&amp;B &lt;&quot;\"/>"
                        "<type value=\"\xC3\xA9\"/></device></devices>")));
  ASSERT_EQ(catalog.entries.size(), 1u);
  EXPECT_EQ(catalog.entries[0].model, L"A&B <\"");
  std::wstring type = catalog.entries[0].type;
  ASSERT_EQ(type.size(), 2u);
  EXPECT_EQ(type[0], static_cast<wchar_t>(-61));
  EXPECT_EQ(type[1], static_cast<wchar_t>(-87));
}

TEST_F(Catalogue, UnreadableFilesFail) {
  EXPECT_FALSE(catalog.LoadReferences(dir / "missing.xml"));
  EXPECT_FALSE(Load(Root("<devices><device></devices>")));
  EXPECT_FALSE(Load(""));
  ASSERT_EQ(mkdir((dir / "folder.xml").c_str(), 0755), 0);
  EXPECT_FALSE(catalog.LoadReferences(dir / "folder.xml"));
  // A FIFO under the catalogue's name must not block the run.
  ASSERT_EQ(mkfifo((dir / "fifo.xml").c_str(), 0644), 0);
  EXPECT_FALSE(catalog.LoadReferences(dir / "fifo.xml"));
  EXPECT_TRUE(catalog.entries.empty());
}

TEST_F(Catalogue, DefaultNameIsReadFromTheWorkingDirectory) {
  fwtest::WriteFile(dir / "reference.xml", Root("<devices><device/></devices>"));
  fwtest::ScopedChdir cd(dir.path());
  ASSERT_TRUE(cd.ok());
  EXPECT_TRUE(catalog.LoadReferences());
  EXPECT_EQ(catalog.entries.size(), 1u);
}

}  // namespace
