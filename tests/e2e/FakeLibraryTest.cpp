// The fake vendor library's own contract: what scenarios can make it answer.
// Copies of the built library are loaded from a temporary directory, with
// the host state given by FWSIM_STATE (no sandbox needed).
#include <dlfcn.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "hba/HbaApi.h"
#include "tests/common/FakeHbaHost.h"

using nlohmann::json;

namespace {

class FakeLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host_.Ready()); }
  void TearDown() override {
    for (void* h : handles_) dlclose(h);
  }

  // Installs a copy of a built variant ("" the full library) as NAME and
  // loads it.
  void* Load(const std::string& variant, const std::string& name) {
    void* h = dlopen(host_.Install(name, variant).c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (h != nullptr) handles_.push_back(h);
    return h;
  }
  std::string Path(const std::string& name) const { return host_.Path(name); }
  void State(const json& state) {
    host_.State() = state;
    ASSERT_TRUE(host_.Save());
  }

  HBA_ENTRYPOINTS Register(void* h, HBA_STATUS expected = HBA_STATUS_OK) {
    HBA_ENTRYPOINTS table;
    std::memset(&table, 0x5A, sizeof(table));
    auto reg = reinterpret_cast<HBARegisterLibraryFunc>(dlsym(h, "HBA_RegisterLibrary"));
    EXPECT_NE(reg, nullptr);
    if (reg != nullptr) {
      EXPECT_EQ(reg(&table), expected);
    }
    return table;
  }

  json Adapter(const std::string& library, const std::string& name, const std::string& wwn) {
    return {{"library", Path(library)}, {"name", name}, {"node_wwn", wwn},
            {"ports", json::array({{{"wwn", "21:00:00:1B:32:0A:0B:01"}}})},
            {"attributes", {{"model", "QLE2562"}, {"option_rom_version", "2.10"}, {"vendor_specific_id", 7}}},
            {"pci", {{"domain", 1}, {"bus", 5}, {"function", 3}, {"subsystem_vendor_id", "1077"},
                     {"subsystem_device_id", "015d"}}}};
  }

  fwtest::FakeHbaHost host_;
  std::vector<void*> handles_;
};

TEST_F(FakeLibraryTest, EachCopyServesItsOwnAdaptersAndOmitsEntriesOnRequest) {
  State({{"adapters", {Adapter("a.so", "qlogic-a", "20:00:00:00:00:00:00:01"),
                       Adapter("b.so", "qlogic-b0", "20:00:00:00:00:00:00:02"),
                       Adapter("b.so", "qlogic-b1", "20:00:00:00:00:00:00:03")}},
         {"libraries", {{Path("b.so"), {{"omit_entry_points", {"HBA_GetAdapterName"}}, {"register_status", 3}}}}}});
  void* a = Load("", "a.so");
  void* b = Load("", "b.so");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  HBA_ENTRYPOINTS ta = Register(a);
  HBA_ENTRYPOINTS tb = Register(b, 3);
  ASSERT_NE(ta.GetNumberOfAdaptersHandler, nullptr);
  ASSERT_NE(tb.GetNumberOfAdaptersHandler, nullptr);
  EXPECT_EQ(ta.LoadLibraryHandler(), HBA_STATUS_OK);
  EXPECT_EQ(tb.LoadLibraryHandler(), HBA_STATUS_OK);
  EXPECT_EQ(ta.GetNumberOfAdaptersHandler(), 1u);
  EXPECT_EQ(tb.GetNumberOfAdaptersHandler(), 2u);
  EXPECT_NE(ta.GetAdapterNameHandler, nullptr);
  EXPECT_EQ(tb.GetAdapterNameHandler, nullptr);
  // Entries without data of their own answer "not supported".
  ASSERT_NE(ta.SendCTPassThruHandler, nullptr);
  EXPECT_EQ(ta.SendCTPassThruHandler(1, nullptr, 0, nullptr, 0), HBA_STATUS_ERROR_NOT_SUPPORTED);
}

TEST_F(FakeLibraryTest, NamesCountsAndHandles) {
  State({{"adapters", {Adapter("a.so", "qlogic-a", "20:00:00:00:00:00:00:01")}},
         {"libraries", {{Path("a.so"), {{"adapter_count", -1}, {"synthesize_names", true}, {"handle_high", 0x1234}}}}}});
  void* a = Load("", "a.so");
  ASSERT_NE(a, nullptr);
  HBA_ENTRYPOINTS t = Register(a);
  t.LoadLibraryHandler();
  EXPECT_EQ(t.GetNumberOfAdaptersHandler(), 0xFFFFFFFFu);
  char name[256];
  ASSERT_EQ(t.GetAdapterNameHandler(5, name), HBA_STATUS_OK);
  EXPECT_STREQ(name, "extra-adapter-5");
  ASSERT_EQ(t.GetAdapterNameHandler(0, name), HBA_STATUS_OK);
  const HBA_HANDLE handle = t.OpenAdapterHandler(name);
  EXPECT_EQ(handle, 0x12340100u);
  HBA_ADAPTERATTRIBUTES attributes;
  EXPECT_EQ(t.GetAdapterAttributesHandler(handle & 0xFFFF, &attributes), HBA_STATUS_OK);
  EXPECT_STREQ(attributes.Model, "QLE2562");
  EXPECT_EQ(attributes.NumberOfPorts, 1u);
  EXPECT_EQ(attributes.NodeWWN.wwn[7], 0x01);
  EXPECT_EQ(t.GetAdapterAttributesHandler(handle, &attributes), HBA_STATUS_OK);
  EXPECT_EQ(t.GetAdapterAttributesHandler(0x43210100u, &attributes), HBA_STATUS_ERROR_INVALID_HANDLE);
  char unknown[] = "no-such-adapter";
  EXPECT_EQ(t.OpenAdapterHandler(unknown), 0u);
}

TEST_F(FakeLibraryTest, NameWithoutNulFillsTheWholeBuffer) {
  State({{"adapters", {Adapter("a.so", "qlogic-a", "20:00:00:00:00:00:00:01")}},
         {"libraries", {{Path("a.so"), {{"name_without_nul", true}}}}}});
  void* a = Load("", "a.so");
  ASSERT_NE(a, nullptr);
  HBA_ENTRYPOINTS t = Register(a);
  t.LoadLibraryHandler();
  char name[257];
  name[256] = '\0';
  ASSERT_EQ(t.GetAdapterNameHandler(0, name), HBA_STATUS_OK);
  EXPECT_EQ(std::memchr(name, '\0', 256), nullptr);
  EXPECT_EQ(std::string(name, 8), "qlogic-a");
  EXPECT_EQ(t.GetAdapterNameHandler(1, name), HBA_STATUS_ERROR_ILLEGAL_INDEX);
}

TEST_F(FakeLibraryTest, PortsAndStatistics) {
  json adapter = Adapter("a.so", "qlogic-a", "20:00:00:00:00:00:00:01");
  adapter["ports"] = {{{"wwn", "21:00:00:1B:32:0A:0B:01"}, {"speed", 0x20}, {"statistics", {10, 20, 30, 40, 50, -1}}},
                      {{"wwn", "21:01:00:1B:32:0A:0B:01"}, {"attributes_status", 7}, {"statistics_status", 1}}};
  adapter["number_of_ports"] = 3;
  State({{"adapters", {adapter}}});
  void* a = Load("", "a.so");
  ASSERT_NE(a, nullptr);
  HBA_ENTRYPOINTS t = Register(a);
  t.LoadLibraryHandler();
  char name[] = "qlogic-a";
  const HBA_HANDLE h = t.OpenAdapterHandler(name);
  HBA_ADAPTERATTRIBUTES attributes;
  ASSERT_EQ(t.GetAdapterAttributesHandler(h, &attributes), HBA_STATUS_OK);
  EXPECT_EQ(attributes.NumberOfPorts, 3u);
  HBA_PORTATTRIBUTES port;
  ASSERT_EQ(t.GetAdapterPortAttributesHandler(h, 0, &port), HBA_STATUS_OK);
  EXPECT_EQ(port.PortWWN.wwn[1], 0x00);
  EXPECT_EQ(port.PortSpeed, 0x20u);
  EXPECT_EQ(t.GetAdapterPortAttributesHandler(h, 1, &port), 7u);
  EXPECT_EQ(t.GetAdapterPortAttributesHandler(h, 2, &port), HBA_STATUS_ERROR_ILLEGAL_INDEX);
  HBA_PORTSTATISTICS stats;
  ASSERT_EQ(t.GetPortStatisticsHandler(h, 0, &stats), HBA_STATUS_OK);
  EXPECT_EQ(stats.TxFrames, 20);
  EXPECT_EQ(stats.LIPCount, -1);
  EXPECT_EQ(t.GetPortStatisticsHandler(h, 1, &stats), 1u);
}

TEST_F(FakeLibraryTest, ReadsTheStateAgainWhenItChanges) {
  State({{"adapters", {Adapter("a.so", "qlogic-a", "20:00:00:00:00:00:00:01")}}});
  void* a = Load("", "a.so");
  ASSERT_NE(a, nullptr);
  HBA_ENTRYPOINTS t = Register(a);
  EXPECT_EQ(t.GetNumberOfAdaptersHandler(), 1u);
  // As a flash tool rewrites the state between two loads of the library.
  State({{"adapters", {Adapter("a.so", "qlogic-a", "20:00:00:00:00:00:00:01"),
                       Adapter("a.so", "qlogic-b", "20:00:00:00:00:00:00:02")}}});
  EXPECT_EQ(t.LoadLibraryHandler(), HBA_STATUS_OK);
  EXPECT_EQ(t.GetNumberOfAdaptersHandler(), 2u);
  State({{"libraries", {{Path("a.so"), {{"load_status", 1}}}}}});
  EXPECT_EQ(t.LoadLibraryHandler(), 1u);
  EXPECT_EQ(t.GetNumberOfAdaptersHandler(), 0u);
}

TEST_F(FakeLibraryTest, NamedTextsUnterminatedAndCallsRecorded) {
  json adapter = Adapter("a.so", "qlogic-a", "20:00:00:00:00:00:00:01");
  adapter["attributes"]["serial_number"] = "S1";
  adapter["ports"][0]["os_device_name"] = "/dev/sg1";
  adapter["ports"][0]["symbolic_name"] = "port 0";
  adapter["unterminated_texts"] = {"serial_number", "os_device_name"};
  State({{"adapters", {adapter}}, {"libraries", {{Path("a.so"), {{"discovered_port_status", 0x77}}}}}});
  void* a = Load("", "a.so");
  ASSERT_NE(a, nullptr);
  HBA_ENTRYPOINTS t = Register(a);
  EXPECT_EQ(t.GetVersionHandler(), 2u);
  t.LoadLibraryHandler();
  char name[] = "qlogic-a";
  const HBA_HANDLE h = t.OpenAdapterHandler(name);
  HBA_ADAPTERATTRIBUTES attributes;
  ASSERT_EQ(t.GetAdapterAttributesHandler(h, &attributes), HBA_STATUS_OK);
  // Only the named fields run to their last byte.
  EXPECT_EQ(std::memchr(attributes.SerialNumber, '\0', sizeof attributes.SerialNumber), nullptr);
  EXPECT_EQ(std::string(attributes.SerialNumber, 2), "S1");
  EXPECT_STREQ(attributes.Model, "QLE2562");
  HBA_PORTATTRIBUTES port;
  ASSERT_EQ(t.GetAdapterPortAttributesHandler(h, 0, &port), HBA_STATUS_OK);
  EXPECT_EQ(std::memchr(port.OSDeviceName, '\0', sizeof port.OSDeviceName), nullptr);
  EXPECT_STREQ(port.PortSymbolicName, "port 0");
  EXPECT_EQ(t.GetDiscoveredPortAttributesHandler(h, 0, 0, &port), 0x77u);
  t.CloseAdapterHandler(h);
  const std::vector<std::string> expected = {"a.so HBA_RegisterLibrary", "a.so HBA_GetVersion",
                                             "a.so HBA_LoadLibrary",     "a.so HBA_OpenAdapter qlogic-a",
                                             "a.so HBA_GetDiscoveredPortAttributes 256",
                                             "a.so HBA_CloseAdapter 256"};
  EXPECT_EQ(host_.Calls(), expected);
}

TEST_F(FakeLibraryTest, ExtensionReportsLocationAndSubsystem) {
  json other = Adapter("", "Emulex-other", "20:00:00:00:00:00:00:09");
  other.erase("library");
  other["extension_libraries"] = {Path("ext.so")};
  other["extension"] = {{"attributes_status", 5}};
  json mine = Adapter("a.so", "Emulex-mine", "20:00:00:00:00:00:00:01");
  mine["extension_libraries"] = {Path("ext.so")};
  State({{"adapters", {other, mine}}, {"libraries", {{Path("ext.so"), {{"ext_handle_high", 0xBEEF}}}}}});
  void* ext = Load("", "ext.so");
  ASSERT_NE(ext, nullptr);
  auto load = reinterpret_cast<QMXFCLoadLibraryFunc>(dlsym(ext, "QMXFC_LoadLibrary"));
  auto count = reinterpret_cast<QMXFCGetNumberOfAdaptersFunc>(dlsym(ext, "QMXFC_GetNumberOfAdapters"));
  auto get_name = reinterpret_cast<QMXFCGetAdapterNameFunc>(dlsym(ext, "QMXFC_GetAdapterName"));
  auto open = reinterpret_cast<QMXFCOpenAdapterFunc>(dlsym(ext, "QMXFC_OpenAdapter"));
  auto read = reinterpret_cast<QMXFCGetAdapterAttributes2Func>(dlsym(ext, "QMXFC_GetAdapterAttributes2"));
  ASSERT_TRUE(load && count && get_name && open && read);
  EXPECT_EQ(load(), 0);
  ASSERT_EQ(count(), 2);
  char name[1024];
  ASSERT_EQ(get_name(0, name), 0);
  ExtendedAdapterAttributes record;
  EXPECT_EQ(read(open(name), &record), 5);
  ASSERT_EQ(get_name(1, name), 0);
  EXPECT_STREQ(name, "Emulex-mine");
  const HBA_UINT32 h = open(name);
  EXPECT_EQ(h >> 16, 0xBEEFu);
  ASSERT_EQ(read(h, &record), 0);
  EXPECT_EQ(record.pci_subsystem, 0x015d1077u);
  EXPECT_EQ(record.pci_bus, 5);
  EXPECT_EQ(record.pci_function, 3);
  EXPECT_EQ(record.pci_domain, 1);
  EXPECT_EQ(record.attributes.NodeWWN.wwn[7], 0x01);
  EXPECT_NE(read(h & 0xFFFF, &record), 0);
  EXPECT_NE(get_name(2, name), 0);
}

TEST_F(FakeLibraryTest, VariantsLackTheirEntryPoint) {
  State({{"adapters", json::array()}});
  void* no_open = Load("no_QMXFC_OpenAdapter", "no-open.so");
  void* no_register = Load("no_register", "no-register.so");
  void* no_ext = Load("no_extension", "no-ext.so");
  ASSERT_TRUE(no_open && no_register && no_ext);
  EXPECT_EQ(dlsym(no_open, "QMXFC_OpenAdapter"), nullptr);
  EXPECT_NE(dlsym(no_open, "QMXFC_CloseAdapter"), nullptr);
  EXPECT_EQ(dlsym(no_register, "HBA_RegisterLibrary"), nullptr);
  EXPECT_NE(dlsym(no_register, "QMXFC_LoadLibrary"), nullptr);
  EXPECT_EQ(dlsym(no_ext, "QMXFC_LoadLibrary"), nullptr);
  EXPECT_NE(dlsym(no_ext, "HBA_RegisterLibrary"), nullptr);
}

}  // namespace
