// The library registry: hba.conf lines, slots and library states, the adapter
// name table, handles and dispatch, release and reload, and attribute text
// trimming.
#include <cstring>
#include <string>
#include <vector>

#include "HbaTestSupport.h"
#include "hba/HbaRegistry.h"

namespace {

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sandbox.Ready());
    qlogic = sandbox.Library("libqlsdm_tv.so", QLogicLibrary()
                                                   .Omit("HBA_GetFcpTargetMapping")
                                                   .Omit("HBA_RefreshInformation")
                                                   .Omit("HBA_SendReadCapacity")
                                                   .Knob("discovered_port_status", 0x77));
    second = sandbox.Library("second.so", SecondLibrary());
  }
  std::string Expand(const std::string& text) const {
    return Replace(Replace(text, "{Q}", qlogic), "{S}", second);
  }

  HbaSandbox sandbox;
  std::string qlogic;
  std::string second;
};

struct ConfCase {
  const char* what;
  std::string conf;
  // Slot 0 after loading: its name and path, and whether it became ready;
  // an empty name means the line took no slot.
  std::string name;
  std::string path;
  bool ready;
};

TEST_F(RegistryTest, ConfigurationLines) {
  const std::string long_piece(511, 'x');
  const std::vector<ConfCase> cases = {
      {"empty file", "", "", "", false},
      {"comments only", "# qlogic {Q}\n#qlogic\t{Q}\n\n", "", "", false},
      {"tab split", "qlogic\t{Q}\n", "qlogic", "{Q}", true},
      {"space split", "qlogic {Q}\n", "qlogic", "{Q}", true},
      {"spaces and tabs before the path", "qlogic \t  \t {Q}\n", "qlogic ", "{Q}", true},
      {"tab wins over an earlier space", "two words\t{Q}\n", "two words", "{Q}", true},
      {"tab after a space-split path leaves no path", "qlogic {Q}\t\nsecond\t{S}\n", "second", "{S}", true},
      {"carriage return", "qlogic\t{Q}\r\n", "qlogic", "{Q}", true},
      {"dash cuts the path", "qlogic\t{Q}-old\n", "qlogic", "{Q}", true},
      {"trailing comment cut off", "qlogic\t{Q} # main library\n", "qlogic", "{Q}", true},
      {"hash inside a name", "ql#x\t{Q}\n", "ql#x", "{Q}", true},
      {"leading space without tab", " qlogic {Q}\nsecond\t{S}\n", "second", "{S}", true},
      {"leading space with tab", " qlogic\t{Q}\n", " qlogic", "{Q}", true},
      {"no separator", "qlogic\nsecond\t{S}\n", "second", "{S}", true},
      {"no newline at the end", "qlogic\t{Q}", "qlogic", "{Q}", true},
      {"line over 511 characters arrives in pieces", long_piece + "qlogic\t{Q}\n", "qlogic", "{Q}", true},
      {"path not a library", "text\t{D}/hba.conf\n", "text", "{D}/hba.conf", false},
      {"path filtered to nothing", "dash\t-{Q}\n", "dash", "", false},
  };
  for (const ConfCase& c : cases) {
    SCOPED_TRACE(c.what);
    HbaReleaseLibraries();
    char reset_name[64];
    std::memcpy(reset_name, HbaGetLibrarySlot(0)->library_name, sizeof reset_name);
    const std::string conf = Replace(Expand(c.conf), "{D}", sandbox.Dir());
    ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(conf).c_str()), HBA_STATUS_OK);
    const HbaLibrarySlot* slot = HbaGetLibrarySlot(0);
    if (c.name.empty()) {
      EXPECT_EQ(std::string(slot->library_name), std::string(reset_name));
      EXPECT_EQ(CountReadySlots(), 0);
      EXPECT_EQ(HbaEnumerateAdapters(), 0u);
      continue;
    }
    EXPECT_EQ(std::string(slot->library_name), c.name);
    EXPECT_EQ(std::string(slot->library_path), Replace(Expand(c.path), "{D}", sandbox.Dir()));
    EXPECT_EQ(slot->slot_state == HBA_SLOT_READY, c.ready);
    EXPECT_EQ(CountReadySlots(), c.ready ? 1 : 0);
  }
}

TEST_F(RegistryTest, MissingConfigurationChangesNothing) {
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(Expand("qlogic\t{Q}\n")).c_str()), HBA_STATUS_OK);
  ASSERT_EQ(HbaEnumerateAdapters(), 2u);
  EXPECT_EQ(HbaLoadLibraries((sandbox.Dir() + "/absent.conf").c_str()), HBA_STATUS_ERROR);
  EXPECT_EQ(HbaGetLibrarySlot(0)->slot_state, HBA_SLOT_READY);
  EXPECT_STREQ(HbaGetLibrarySlot(0)->library_path, qlogic.c_str());
  EXPECT_EQ(HbaGetAdapterCount(), 2u);
}

TEST_F(RegistryTest, BrokenLibrariesDoNotAffectTheOthers) {
  sandbox.Write("notalib.so", "this is a text file, not a shared object\n");
  const std::string conf = Expand(
      "missing\t" + sandbox.Dir() + "/missing.so\n" +
      "noreg\t" + sandbox.Library("noreg.so", FakeLibrary("noreg").Variant("no_register")) + "\n" +
      "regfail\t" + sandbox.Library("regfail.so", FakeLibrary("regfail").Knob("register_status", 1)) + "\n" +
      "version0\t" + sandbox.Library("version0.so", FakeLibrary("version0").Knob("version", 0)) + "\n" +
      "loadfail\t" + sandbox.Library("loadfail.so", FakeLibrary("loadfail").Knob("load_status", 1)) + "\n" +
      "text\t" + sandbox.Dir() + "/notalib.so\n" +
      "qlogic\t{Q}\n" +
      "second\t{S}\n");
  int32_t before[6];
  for (uint32_t slot = 0; slot < 6; ++slot) before[slot] = HbaGetLibrarySlot(slot)->slot_state;
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(conf).c_str()), HBA_STATUS_OK);

  // Open, lookup or text file failures set no state; the slot keeps its own.
  EXPECT_EQ(HbaGetLibrarySlot(0)->slot_state, before[0]);
  EXPECT_EQ(HbaGetLibrarySlot(0)->library_module, nullptr);
  EXPECT_EQ(HbaGetLibrarySlot(1)->slot_state, before[1]);
  EXPECT_NE(HbaGetLibrarySlot(1)->library_module, nullptr);
  EXPECT_EQ(HbaGetLibrarySlot(2)->slot_state, HBA_SLOT_FAILED);
  EXPECT_EQ(HbaGetLibrarySlot(3)->slot_state, HBA_SLOT_FAILED);
  EXPECT_EQ(HbaGetLibrarySlot(4)->slot_state, HBA_SLOT_FAILED);
  EXPECT_EQ(HbaGetLibrarySlot(5)->slot_state, before[5]);
  EXPECT_EQ(HbaGetLibrarySlot(5)->library_module, nullptr);
  EXPECT_EQ(HbaGetLibrarySlot(6)->slot_state, HBA_SLOT_READY);
  EXPECT_EQ(HbaGetLibrarySlot(7)->slot_state, HBA_SLOT_READY);
  EXPECT_EQ(CountReadySlots(), 2);
  // A version of 0 stops before the library's own load.
  const std::vector<std::string> trace = sandbox.Trace();
  EXPECT_EQ(CountLines(trace, Call("version0.so", "HBA_GetVersion")), 1);
  EXPECT_EQ(CountLines(trace, Call("version0.so", "HBA_LoadLibrary")), 0);
  EXPECT_EQ(CountLines(trace, Call("regfail.so", "HBA_GetVersion")), 0);

  // Rows in slot order, then the library's own order.
  ASSERT_EQ(HbaEnumerateAdapters(), 5u);
  const char* names[] = {"qlogic-a-0", "qlogic-a-1", "second-b-0", "second-b-1", "second-b-2"};
  for (uint32_t row = 0; row < 5; ++row) EXPECT_EQ(RowName(row), names[row]);
  char name[64] = "unchanged";
  EXPECT_EQ(HbaGetAdapterName(5, name), HBA_STATUS_ERROR_ILLEGAL_INDEX);
  EXPECT_STREQ(name, "unchanged");

  char path[256];
  std::memset(path, 'z', sizeof path);
  EXPECT_EQ(HbaGetAdapterLibrary(2, path), HbaGetLibrarySlot(7)->library_module);
  EXPECT_EQ(std::string(path), second);
  EXPECT_EQ(HbaGetAdapterLibrary(5, path), nullptr);
  EXPECT_STREQ(path, "");
}

TEST_F(RegistryTest, HandlesAndDispatch) {
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(Expand("none\t/nonexistent/lib.so\nqlogic\t{Q}\n")).c_str()),
            HBA_STATUS_OK);
  ASSERT_EQ(HbaEnumerateAdapters(), 2u);

  // The library's handle carries junk above 16 bits; only the low half stays.
  const HBA_HANDLE handle = HbaOpenAdapterByName("qlogic-a-1");
  EXPECT_EQ(handle, (1u << 16) + 0x101u);
  uint32_t slot = 99;
  HBA_HANDLE vendor = 0;
  EXPECT_EQ(HbaSplitHandle(handle, &slot, &vendor), HBA_STATUS_OK);
  EXPECT_EQ(slot, 1u);
  EXPECT_EQ(vendor, 0x101u);
  EXPECT_EQ(HbaOpenAdapterByName("qlogic-a-9"), 0u);
  EXPECT_EQ(HbaOpenAdapterByName("qlogic-a"), 0u);

  HBA_ADAPTERATTRIBUTES attributes;
  EXPECT_EQ(HbaGetAdapterAttributes(handle, &attributes), HBA_STATUS_OK);
  EXPECT_EQ(attributes.NumberOfPorts, 2u);
  // Vendor results pass through; the vendor sees its own handle.
  HBA_PORTATTRIBUTES port;
  sandbox.ClearTrace();
  EXPECT_EQ(HbaGetDiscoveredPortAttributes(handle, 0, 0, &port), 0x77u);
  EXPECT_EQ(CountLines(sandbox.Trace(), Call("libqlsdm_tv.so", "HBA_GetDiscoveredPortAttributes", 0x101)), 1);
  // Entries the library did not register.
  EXPECT_EQ(HbaGetFcpTargetMapping(handle, nullptr), HBA_STATUS_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(HbaRefreshInformation(handle), HBA_STATUS_ERROR_NOT_SUPPORTED);
  HBA_WWN wwn = {};
  EXPECT_EQ(HbaSendReadCapacity(handle, wwn, 0, nullptr, 0, nullptr, 0), HBA_STATUS_ERROR_NOT_SUPPORTED);

  const HBA_HANDLE slot32 = (32u << 16) | 0x101u;
  EXPECT_EQ(HbaSplitHandle(slot32, &slot, &vendor), HBA_STATUS_ERROR_INVALID_HANDLE);
  EXPECT_EQ(HbaGetAdapterAttributes(slot32, &attributes), HBA_STATUS_ERROR_INVALID_HANDLE);
  EXPECT_EQ(HbaSplitHandle(0xFFFF0101u, &slot, &vendor), HBA_STATUS_ERROR_INVALID_HANDLE);
  // Slot 0 never became ready.
  EXPECT_EQ(HbaGetPortStatistics(0x101u, 0, nullptr), HBA_STATUS_ERROR);

  sandbox.ClearTrace();
  HbaCloseAdapter(handle);
  EXPECT_EQ(CountLines(sandbox.Trace(), Call("libqlsdm_tv.so", "HBA_CloseAdapter", 0x101)), 1);

  HbaReleaseLibraries();
  EXPECT_EQ(HbaSplitHandle(handle, &slot, &vendor), HBA_STATUS_ERROR);
  EXPECT_EQ(HbaGetAdapterAttributes(handle, &attributes), HBA_STATUS_ERROR);
  EXPECT_EQ(HbaGetDiscoveredPortAttributes(handle, 0, 0, &port), HBA_STATUS_ERROR);
  // Rows stay, but a released library opens nothing and hands out no module.
  EXPECT_EQ(RowName(1), "qlogic-a-1");
  EXPECT_EQ(HbaOpenAdapterByName("qlogic-a-1"), 0u);
  char path[256];
  EXPECT_EQ(HbaGetAdapterLibrary(1, path), nullptr);
  sandbox.ClearTrace();
  HbaCloseAdapter(handle);
  EXPECT_TRUE(sandbox.Trace().empty());
}

TEST_F(RegistryTest, LibraryWithoutOpenEntryOpensNothing) {
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf("noopen\t" + sandbox.Library("noopen.so", NoOpenLibrary()) + "\n").c_str()),
            HBA_STATUS_OK);
  ASSERT_EQ(HbaEnumerateAdapters(), 2u);
  EXPECT_EQ(HbaOpenAdapterByName("noopen-0"), 0u);
}

TEST_F(RegistryTest, ReleaseTwiceAndLoadAgain) {
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(Expand("qlogic\t{Q}\nsecond\t{S}\n")).c_str()), HBA_STATUS_OK);
  ASSERT_EQ(HbaEnumerateAdapters(), 5u);
  sandbox.ClearTrace();
  EXPECT_EQ(HbaReleaseLibraries(), HBA_STATUS_OK);
  EXPECT_EQ(HbaGetLibrarySlot(0)->slot_state, HBA_SLOT_FAILED);
  EXPECT_EQ(HbaGetLibrarySlot(1)->slot_state, HBA_SLOT_FAILED);
  EXPECT_EQ(HbaReleaseLibraries(), HBA_STATUS_OK);
  const std::vector<std::string> trace = sandbox.Trace();
  EXPECT_EQ(CountLines(trace, Call("libqlsdm_tv.so", "HBA_FreeLibrary")), 1);
  EXPECT_EQ(CountLines(trace, Call("second.so", "HBA_FreeLibrary")), 1);

  // A reload makes the same slots ready and leaves the name table alone.
  ASSERT_EQ(HbaLoadLibraries(HbaConfigurationPath()), HBA_STATUS_OK);
  EXPECT_EQ(HbaGetLibrarySlot(0)->slot_state, HBA_SLOT_READY);
  EXPECT_EQ(HbaGetLibrarySlot(1)->slot_state, HBA_SLOT_READY);
  EXPECT_EQ(HbaGetAdapterCount(), 5u);
  const HBA_HANDLE handle = HbaOpenAdapterByName("second-b-2");
  EXPECT_EQ(handle, (1u << 16) + 0x102u);
  HBA_ADAPTERATTRIBUTES attributes;
  EXPECT_EQ(HbaGetAdapterAttributes(handle, &attributes), HBA_STATUS_OK);
  EXPECT_EQ(attributes.NodeWWN.wwn[0], 0x30);
}

TEST_F(RegistryTest, EnumerationBounds) {
  // Billions of adapters: the table fills and enumeration ends.
  const FakeLibrary many =
      FakeLibrary("many").Adapters(0).Knob("adapter_count", 0x7fffffff).Knob("synthesize_names", true);
  ASSERT_EQ(HbaLoadLibraries(
                sandbox.Conf(Expand("many\t" + sandbox.Library("many.so", many) + "\nqlogic\t{Q}\n")).c_str()),
            HBA_STATUS_OK);
  EXPECT_EQ(HbaEnumerateAdapters(), 64u);
  EXPECT_EQ(RowName(63), "extra-adapter-63");
  char path[256];
  EXPECT_EQ(HbaGetAdapterLibrary(63, path), HbaGetLibrarySlot(0)->library_module);
  HbaReleaseLibraries();

  // A negative count, a failing name and names that fill the vendor buffer.
  const FakeLibrary negative = FakeLibrary("negative").Knob("adapter_count", -1).Knob("synthesize_names", true);
  // Names that fill the whole buffer without a terminator.
  const FakeLibrary long_names =
      FakeLibrary("long").Adapters(1).Set("/name", std::string(256, 'L')).Knob("name_without_nul", true);
  const std::string conf = "negative\t" + sandbox.Library("negative.so", negative) + "\n" +
                           "edge\t" + sandbox.Library("edge.so", EdgeLibrary()) + "\n" +
                           "long\t" + sandbox.Library("long.so", long_names) + "\n";
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(conf).c_str()), HBA_STATUS_OK);
  ASSERT_EQ(CountReadySlots(), 3);
  ASSERT_EQ(HbaEnumerateAdapters(), 3u);
  EXPECT_EQ(RowName(0), "edge-c-0");
  EXPECT_EQ(RowName(1), "edge-c-2");
  EXPECT_EQ(RowName(2), std::string(63, 'L'));
  char name[64];
  ASSERT_EQ(HbaGetAdapterName(1, name), HBA_STATUS_OK);
  EXPECT_EQ(HbaOpenAdapterByName(name), (1u << 16) + 0x102u);
}

TEST_F(RegistryTest, SlotsAndFieldsAreBounded) {
  // 34 usable lines: only 32 slots, the rest is ignored.
  std::string conf;
  for (int line = 0; line < 34; ++line)
    conf += "lib" + std::to_string(line) + "\t/nonexistent/lib" + std::to_string(line) + ".so\n";
  conf += Expand("qlogic\t{Q}\n");
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(conf).c_str()), HBA_STATUS_OK);
  EXPECT_STREQ(HbaGetLibrarySlot(31)->library_name, "lib31");
  EXPECT_EQ(HbaGetLibrarySlot(32), nullptr);
  EXPECT_EQ(CountReadySlots(), 0);

  const std::string long_name(100, 'n');
  const std::string long_path = "/" + std::string(300, 'p');
  ASSERT_EQ(HbaLoadLibraries(sandbox.Conf(long_name + "\t" + long_path + "\n").c_str()), HBA_STATUS_OK);
  EXPECT_EQ(std::string(HbaGetLibrarySlot(0)->library_name), long_name.substr(0, 63));
  EXPECT_EQ(std::string(HbaGetLibrarySlot(0)->library_path), long_path.substr(0, 255));
}

struct TrimCase {
  std::string in;
  std::string out;
};

TEST(TrimAttributeTextTest, Cases) {
  const std::vector<TrimCase> cases = {
      {"QLE2562  \n", "QLE2562"},
      {"two   words", "two words"},
      {"", ""},
      {"    ", " "},
      {"  leading", " leading"},
      {"tab\t\tstays", "tab\t\tstays"},
      {"ver~\x7f\x80\xff", "ver"},
      {"\n", "\n"},  // the first character always stays
      {"a}", "a}"},
      {"!", "!"},
      {"a \t b", "a \t b"},
      {"x  y  \r\n", "x y"},
  };
  for (const TrimCase& c : cases) {
    SCOPED_TRACE("input '" + c.in + "'");
    std::vector<char> text(c.in.begin(), c.in.end());
    text.push_back('\0');
    TrimAttributeText(text.data());
    EXPECT_EQ(std::string(text.data()), c.out);
  }
  TrimAttributeText(nullptr);
}

TEST(RegistryVersionTest, IsOne) { EXPECT_EQ(HbaGetVersion(), 1u); }

}  // namespace
