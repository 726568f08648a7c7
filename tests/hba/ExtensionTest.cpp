// The vendor extension loader: which vendor library an adapter name picks,
// the look-up in a registry library, the search of a library used alone, and
// adapters completed with their PCI location through FcHbaMRA.
#include <dlfcn.h>

#include <cstring>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "HbaTestSupport.h"
#include "hba/FcHbaMRA.h"
#include "hba/VendorExtension.h"

namespace {

HBA_WWN Wwn(HBA_UINT8 high, HBA_UINT8 last) { return HBA_WWN{{high, 0x00, 0x00, 0xE0, 0x8B, 0x01, 0x02, last}}; }

// One adapter (node WWN 10:...:03) behind two extension decoys.
FakeLibrary EmsdmLibrary() { return FakeLibrary("emsdm").Adapters(1).Decoys(2).WwnHigh(0x10); }

struct Location {
  uint32_t subsystem = 0xdeadbeef;
  uint8_t bus = 0xaa;
  uint8_t function = 0xbb;
  uint8_t domain = 0xcc;
  bool Unchanged() const { return subsystem == 0xdeadbeef && bus == 0xaa && function == 0xbb && domain == 0xcc; }
};

TEST(VendorChoiceTest, ByAdapterName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"qlogic-QLE2562", "libqlsdm"}, {"QLogic-QLE2562", "bfahbaapi"}, {"Emulex-LPe12002", "libemsdm"},
      {"emulex-x", "bfahbaapi"},      {"Emulex qlogic", "libqlsdm"},   {"Brocade-825", "bfahbaapi"},
      {"", "bfahbaapi"}};
  for (const auto& c : cases)
    EXPECT_STREQ(ExtensionLibraryStem(PickExtensionVendor(c.first.c_str())), c.second.c_str()) << c.first;
}

TEST(VendorChoiceTest, FixedLibraryFilesUnlessReplaced) {
  ResetExtensionLibraryFiles();
  EXPECT_EQ(GetExtensionLibraryFiles(ExtensionVendor::QLogic)[1], "/usr/lib64/libqlsdm-x86_64.so");
  EXPECT_EQ(GetExtensionLibraryFiles(ExtensionVendor::Emulex)[2], "/lib/cim/libemsdm.so");
  EXPECT_EQ(GetExtensionLibraryFiles(ExtensionVendor::Brocade)[0], "/usr/lib/bfahbaapi.so");
  SetExtensionLibraryFiles(ExtensionVendor::Emulex, {"a", "b", "c"});
  EXPECT_EQ(GetExtensionLibraryFiles(ExtensionVendor::Emulex)[1], "b");
  ResetExtensionLibraryFiles();
  EXPECT_EQ(GetExtensionLibraryFiles(ExtensionVendor::Emulex)[0], "/usr/lib/libemsdm.so");
}

class ExtensionTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sandbox.Ready()); }
  void TearDown() override {
    for (void* module : modules)
      if (module != nullptr) dlclose(module);
  }
  void* Open(const std::string& library) {
    void* module = dlopen(library.c_str(), RTLD_LAZY);
    modules.push_back(module);
    return module;
  }
  HbaSandbox sandbox;
  std::vector<void*> modules;
};

TEST_F(ExtensionTest, LocateResultsAndMessages) {
  const std::string qlogic = sandbox.Library("ql.so", QLogicLibrary());
  const std::string no_extension = sandbox.Library("noext.so", FakeLibrary("qlogic-n").Variant("no_extension"));
  char message[kExtensionMessageSize] = "keep";
  int status = 42;
  // The path lacks the vendor's stem: nothing is touched.
  EXPECT_EQ(LocateExtension("qlogic-a-0", "/x/libemsdm.so", Open(qlogic), message, status), 0);
  EXPECT_EQ(status, 42);
  EXPECT_STREQ(message, "keep");
  EXPECT_EQ(LocateExtension("QLogic-a-0", "/x/libqlsdm.so", Open(qlogic), message, status), 0);

  EXPECT_EQ(LocateExtension("qlogic-a-0", "/x/libqlsdm.so", nullptr, message, status), 1);
  EXPECT_EQ(status, 1);
  EXPECT_STREQ(message, "libHandle is NULL; cannot dlsym");

  EXPECT_EQ(LocateExtension("Emulex-a-0", "/x/libemsdm.so", Open(no_extension), message, status), 1);
  EXPECT_EQ(status, 1);
  EXPECT_STREQ(message, "unable to dlsym for QMXFC_GetAdapterAttributes2");

  EXPECT_EQ(LocateExtension("Brocade", "/x/bfahbaapi.so", Open(qlogic), message, status), 1);
  EXPECT_EQ(status, 0);
  EXPECT_STREQ(message, "dlsym for QMXFC_GetAdapterAttributes2 success!");
}

TEST_F(ExtensionTest, ReadThroughRegistryResults) {
  char message[kExtensionMessageSize] = "";
  int status = 1;
  ASSERT_EQ(LocateExtension("qlogic-a-0", "/x/libqlsdm.so", Open(sandbox.Library("ql.so", QLogicLibrary())), message,
                            status),
            1);
  ASSERT_EQ(status, 0);

  // Only the low 16 bits of the registry handle reach the library.
  Location found;
  EXPECT_EQ(ReadExtensionThroughRegistry(Wwn(0x20, 0x04), found.subsystem, found.bus, found.function,
                                         found.domain, message, (3u << 16) | 0x101u),
            0);
  EXPECT_EQ(found.subsystem, 0x01011077u);
  EXPECT_EQ(found.bus, 6);
  EXPECT_EQ(found.function, 1);
  EXPECT_EQ(found.domain, 0);
  EXPECT_STREQ(message, "read adapter attribs Success! handle used is 0x101");

  // Another node WWN: success, nothing changes, the message stays.
  std::strcpy(message, "earlier");
  Location other;
  EXPECT_EQ(ReadExtensionThroughRegistry(Wwn(0x20, 0x03), other.subsystem, other.bus, other.function,
                                         other.domain, message, 0x101u),
            0);
  EXPECT_TRUE(other.Unchanged());
  EXPECT_STREQ(message, "earlier");

  EXPECT_EQ(ReadExtensionThroughRegistry(Wwn(0x20, 0x03), other.subsystem, other.bus, other.function,
                                         other.domain, message, (1u << 16) | 0x1ffu),
            -3);
  EXPECT_TRUE(other.Unchanged());
  EXPECT_STREQ(message, "fail to read adapter attribs: handle used is 0x1ff: retStatus is 0x3");

  // A failed lookup leaves no entry to call.
  const std::string no_extension = sandbox.Library("noext.so", FakeLibrary("qlogic-n").Variant("no_extension"));
  ASSERT_EQ(LocateExtension("qlogic-a-0", "/x/libqlsdm.so", Open(no_extension), message, status), 1);
  EXPECT_EQ(ReadExtensionThroughRegistry(Wwn(0x20, 0x03), other.subsystem, other.bus, other.function,
                                         other.domain, message, 0x100u),
            -3);
  EXPECT_TRUE(other.Unchanged());
}

struct SearchCase {
  std::optional<FakeLibrary> library;  // none: no file opens
  const char* adapter_name;
  HBA_WWN wwn;
  int result;
  const char* message;
  bool freed;  // the extension's free entry ran
};

TEST_F(ExtensionTest, SearchResultsAndMessages) {
  sandbox.Write("notalib.so", "not a shared object\n");
  const HBA_WWN third = Wwn(0x10, 0x03);
  const FakeLibrary omit_load = FakeLibrary("omit1").Variant("no_QMXFC_LoadLibrary");
  const FakeLibrary omit_attributes = FakeLibrary("omit5").Variant("no_QMXFC_GetAdapterAttributes2");
  const FakeLibrary omit_free = FakeLibrary("omit7").Variant("no_QMXFC_FreeLibrary");
  const FakeLibrary load_fails = FakeLibrary("extload").Knob("ext_load_status", 1);
  const FakeLibrary attributes_fail = FakeLibrary("extattr").Set(0, "/extension/attributes_status", 0x1f);
  const FakeLibrary open_fails = FakeLibrary("extopen").Set(0, "/extension/open_fails", true);
  const FakeLibrary name_fails = FakeLibrary("extname").Knob("ext_get_name_fails", {1});
  const std::vector<SearchCase> cases = {
      {std::nullopt, "qlogic-x", third, -1, "unable to load qlsdm", false},
      {std::nullopt, "Emulex-x", third, -1, "unable to load emsdm", false},
      {std::nullopt, "QLogic-x", third, -1, "unable to load bfahbaapi", false},
      {omit_load, "qlogic-x", third, -2, "unable to dlsym for QMXFC_LoadLibrary", false},
      {omit_attributes, "qlogic-x", third, -2, "unable to dlsym for QMXFC_GetAdapterAttributes2", false},
      {omit_free, "qlogic-x", third, -2, "unable to dlsym for QMXFC_FreeLibrary", false},
      {load_fails, "qlogic-x", third, -7, "fail to load library", false},
      {attributes_fail, "qlogic-x", third, -3, "fail to read adapter attribs, adapterHandle 0x200, retStatus 0x1f",
       true},
      {open_fails, "qlogic-x", third, -4, "fail to open adapter", true},
      {name_fails, "qlogic-x", Wwn(0x20, 0x77), -5, "fail to get adapter number", true},
      {EmsdmLibrary(), "Emulex-x", Wwn(0x10, 0x77), -6, "could not find WWNN match", true},
      {EmsdmLibrary(), "Emulex-x", third, 0, "pass", true},
  };
  int index = 0;
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.message);
    // A fresh file name each time, so no earlier library is found by name.
    const std::string file = "libext" + std::to_string(index++) + ".so";
    const std::string link = c.library ? sandbox.Library(file, *c.library) : sandbox.Dir() + "/" + file;
    const ExtensionLibraryFiles files = {sandbox.Dir() + "/absent.so", sandbox.Dir() + "/notalib.so", link};
    char name[kExtensionNameSize];
    std::snprintf(name, sizeof name, "%s", c.adapter_name);
    char message[kExtensionMessageSize] = "";
    Location location;
    sandbox.ClearTrace();
    EXPECT_EQ(SearchVendorExtension(c.wwn, name, location.subsystem, location.bus, location.function,
                                    location.domain, message, files),
              c.result);
    EXPECT_STREQ(message, c.message);
    EXPECT_EQ(location.Unchanged(), c.result != 0);
    const std::vector<std::string> trace = sandbox.Trace();
    EXPECT_EQ(!trace.empty() && trace.back().find(" QMXFC_FreeLibrary") != std::string::npos, c.freed);
    // Whatever opened an adapter closed it again.
    int opened = 0;
    int closed = 0;
    for (const std::string& line : trace) {
      if (line.find(" QMXFC_OpenAdapter ") != std::string::npos) ++opened;
      if (line.find(" QMXFC_CloseAdapter ") != std::string::npos) ++closed;
    }
    if (c.result != -4) {
      EXPECT_EQ(opened, closed);
    }
  }
}

TEST_F(ExtensionTest, MatchOnTheThirdExtensionAdapter) {
  const ExtensionLibraryFiles files = {sandbox.Library("libemsdm.so", EmsdmLibrary()), "", ""};
  char name[kExtensionNameSize] = "Emulex-e-0";
  char message[kExtensionMessageSize] = "";
  Location location;
  ASSERT_EQ(SearchVendorExtension(Wwn(0x10, 0x03), name, location.subsystem, location.bus, location.function,
                                  location.domain, message, files),
            0);
  EXPECT_EQ(location.subsystem, 0x01001077u);
  EXPECT_EQ(location.bus, 5);
  EXPECT_EQ(location.function, 1);
  EXPECT_EQ(location.domain, 0);
  EXPECT_STREQ(name, "ext-2");
  std::vector<std::string> expected = {Call("libemsdm.so", "QMXFC_LoadLibrary")};
  for (unsigned index = 0; index < 3; ++index) {
    expected.push_back(Call("libemsdm.so", "QMXFC_OpenAdapter", "ext-" + std::to_string(index)));
    expected.push_back(Call("libemsdm.so", "QMXFC_GetAdapterAttributes2", 0x200 + index));
    expected.push_back(Call("libemsdm.so", "QMXFC_CloseAdapter", 0x200 + index));
  }
  expected.push_back(Call("libemsdm.so", "QMXFC_FreeLibrary"));
  EXPECT_EQ(sandbox.Trace(), expected);
}

TEST_F(ExtensionTest, QLogicAdapterReadThroughTheRegistry) {
  const std::string conf = sandbox.Conf("ql\t" + sandbox.Library("libqlsdm_tv.so", QLogicLibrary()) + "\n");
  FcHbaMRA mra(conf.c_str());
  HBA_STATUS status = 1;
  std::unique_ptr<FcHbaAdapter> first = mra.GetFirstAdapter(status);
  std::unique_ptr<FcHbaAdapter> second = mra.GetNextAdapter(first.get(), status);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->GetPciSubsystem(), 0x01001077u);
  EXPECT_EQ(first->GetPciBus(), 5);
  EXPECT_EQ(first->GetPciFunction(), 1);
  EXPECT_EQ(first->GetPciDomain(), 0);
  EXPECT_EQ(second->GetPciSubsystem(), 0x01011077u);
  EXPECT_EQ(second->GetPciBus(), 6);
  const std::vector<std::string> trace = sandbox.Trace();
  EXPECT_EQ(CountLines(trace, Call("libqlsdm_tv.so", "QMXFC_GetAdapterAttributes2", 0x100)), 1);
  EXPECT_EQ(CountLines(trace, Call("libqlsdm_tv.so", "QMXFC_GetAdapterAttributes2", 0x101)), 1);
  // Nothing was released or loaded again on the way.
  EXPECT_EQ(CountLines(trace, Call("libqlsdm_tv.so", "HBA_FreeLibrary")), 0);
  EXPECT_EQ(CountLines(trace, Call("libqlsdm_tv.so", "HBA_RegisterLibrary")), 1);
}

TEST_F(ExtensionTest, QLogicLibraryWithoutTheEntryKeepsAttributeValues) {
  const std::string conf = sandbox.Conf(
      "ql\t" + sandbox.Library("libqlsdm_n.so", FakeLibrary("qlogic-n").Variant("no_extension")) + "\n");
  FcHbaMRA mra(conf.c_str());
  HBA_STATUS status = 1;
  std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
  ASSERT_TRUE(adapter);
  EXPECT_EQ(status, HBA_STATUS_OK);
  EXPECT_EQ(adapter->GetPciSubsystem(), 0x56781abcu);
  EXPECT_EQ(adapter->GetPciBus(), 0);
  EXPECT_EQ(CountLines(sandbox.Trace(), Call("libqlsdm_n.so", "HBA_FreeLibrary")), 0);
}

TEST_F(ExtensionTest, EmulexSearchedByItselfWithReleaseAndReload) {
  const FakeLibrary emulex = FakeLibrary("Emulex-e").Adapters(1).WwnHigh(0x10).Variant("no_extension");
  const std::string conf = sandbox.Conf("emulex\t" + sandbox.Library("emulex_hba.so", emulex) + "\n");
  SetExtensionLibraryFiles(ExtensionVendor::Emulex, {sandbox.Dir() + "/absent.so",
                                                     sandbox.Library("libemsdm.so", EmsdmLibrary()), ""});
  FcHbaMRA mra(conf.c_str());
  ASSERT_EQ(mra.GetAdapterCount(), 1u);
  sandbox.ClearTrace();
  HBA_STATUS status = 1;
  std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
  ASSERT_TRUE(adapter);
  EXPECT_EQ(status, HBA_STATUS_OK);
  EXPECT_EQ(adapter->GetAdapterName(), "Emulex-e-0");
  EXPECT_EQ(adapter->GetPciSubsystem(), 0x01001077u);
  EXPECT_EQ(adapter->GetPciBus(), 5);
  EXPECT_EQ(adapter->GetPciFunction(), 1);
  EXPECT_EQ(adapter->GetPciDomain(), 0);

  // Released, searched alone, loaded again; the name table stays.
  std::vector<std::string> trace = sandbox.Trace();
  auto at = [&trace](const std::string& line) {
    for (size_t i = 0; i < trace.size(); ++i)
      if (trace[i] == line) return static_cast<int>(i);
    return -1;
  };
  ASSERT_GE(at(Call("emulex_hba.so", "HBA_FreeLibrary")), 0);
  EXPECT_LT(at(Call("emulex_hba.so", "HBA_FreeLibrary")), at(Call("libemsdm.so", "QMXFC_LoadLibrary")));
  EXPECT_LT(at(Call("libemsdm.so", "QMXFC_FreeLibrary")), at(Call("emulex_hba.so", "HBA_RegisterLibrary")));
  EXPECT_EQ(CountLines(trace, Call("emulex_hba.so", "HBA_LoadLibrary")), 1);
  EXPECT_EQ(HbaGetLibrarySlot(0)->slot_state, HBA_SLOT_READY);
  EXPECT_EQ(HbaGetAdapterCount(), 1u);
  EXPECT_NE(HbaOpenAdapterByName("Emulex-e-0"), 0u);
}

}  // namespace
