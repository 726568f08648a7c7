// The adapter inventory scan and its sysfs PCI look-up, on a small fake
// sysfs tree in the test's directory.
#include <filesystem>
#include <string>
#include <vector>

#include "HbaTestSupport.h"
#include "hba/AdapterInventory.h"
#include "hba/PciIdentity.h"

namespace {

// A small sysfs tree of PCI device directories in the test's directory.
class FakeSysfs {
 public:
  explicit FakeSysfs(const HbaSandbox& sandbox) : root_(sandbox.Dir() + "/sys") {}
  const std::string& Root() const { return root_; }

  // A device directory below a bridge; a null text leaves that file out.
  void Device(const std::string& address, const char* vendor, const char* device, const char* subsystem_vendor,
              const char* subsystem_device) const {
    const std::string dir = root_ + "/devices/pci0000:00/0000:00:1c.0/" + address;
    std::filesystem::create_directories(dir);
    Put(dir + "/vendor", vendor);
    Put(dir + "/device", device);
    Put(dir + "/subsystem_vendor", subsystem_vendor);
    Put(dir + "/subsystem_device", subsystem_device);
  }

 private:
  static void Put(const std::string& path, const char* text) {
    if (text != nullptr) std::ofstream(path) << text;
  }
  std::string root_;
};

TEST(PciAddressPatternTest, DomainBusFunction) {
  EXPECT_EQ(PciAddressPattern(0, 5, 1), "0000:05:\\(\\w\\)*\\.1");
  EXPECT_EQ(PciAddressPattern(0x1a, 0xff, 7), "001a:ff:\\(\\w\\)*\\.7");
}

class PciLookupTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sandbox.Ready()); }
  HbaSandbox sandbox;
  FakeSysfs sys{sandbox};
};

TEST_F(PciLookupTest, FindsTheDirectoryWithBothSubsystemIds) {
  // Same bus and function: one with other subsystem IDs, one where only one
  // of the two matches, one lacking its device file; then the adapter.
  sys.Device("0000:05:00.1", "0x8086\n", "0x1111\n", "0x103c\n", "0x3262\n");
  sys.Device("0000:05:01.1", "0x8086\n", "0x2222\n", "0x1077\n", "0x9999\n");
  sys.Device("0000:05:02.1", "0x8086\n", nullptr, "0x1077\n", "0x015d\n");
  sys.Device("0000:05:03.1", "0x1077\n", "0x2532\n", "0x1077\n", "0x015D\n");
  // The right IDs at another function and another bus.
  sys.Device("0000:05:03.0", "0x1077\n", "0x3333\n", "0x1077\n", "0x015d\n");
  sys.Device("0000:06:00.1", "0x1077\n", "0x4444\n", "0x1077\n", "0x015d\n");
  EXPECT_EQ(LookupPciIdentity(0, 5, 1, 0x1077, 0x015d, sys.Root().c_str()), "10772532");
  EXPECT_EQ(LookupPciIdentity(0, 6, 1, 0x1077, 0x015d, sys.Root().c_str()), "10774444");
  EXPECT_EQ(LookupPciIdentity(0, 5, 0, 0x1077, 0x015d, sys.Root().c_str()), "10773333");
  // Nothing carries both IDs, or nothing sits there at all.
  EXPECT_EQ(LookupPciIdentity(0, 5, 1, 0x1077, 0x0001, sys.Root().c_str()), "N/A");
  EXPECT_EQ(LookupPciIdentity(0, 7, 1, 0x1077, 0x015d, sys.Root().c_str()), "N/A");
  EXPECT_EQ(LookupPciIdentity(1, 5, 1, 0x1077, 0x015d, sys.Root().c_str()), "N/A");
  EXPECT_EQ(LookupPciIdentity(0, 5, 1, 0x1077, 0x015d, (sandbox.Dir() + "/nosys").c_str()), "N/A");
}

TEST_F(PciLookupTest, IdentityFileForms) {
  struct Case {
    const char* vendor;
    const char* device;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"0x1077\n", "0x2532\n", "10772532"}, {"10df\n", "f100", "10dff100"}, {"0x1657\n", "0x0013", "16570013"},
      {"0x1077\n", "", "N/A"},             {"0x1077\n", "junk\n", "N/A"}, {"", "", "N/A"}};
  int bus = 0x10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    char address[32];
    std::snprintf(address, sizeof address, "0000:%02x:00.0", bus);
    sys.Device(address, c.vendor, c.device, "0x1077\n", "0x0100\n");
    EXPECT_EQ(LookupPciIdentity(0, static_cast<uint8_t>(bus), 0, 0x1077, 0x0100, sys.Root().c_str()), c.expected);
    ++bus;
  }
}

TEST_F(PciLookupTest, OddDirectoryNamesAreNotHandedToTheShell) {
  // A name the shell would read as a second command.
  sys.Device("0000:05:00.1;touch " + sandbox.Dir() + "/owned;x", "0x1077\n", "0x2532\n", "0x1077\n", "0x015d\n");
  EXPECT_EQ(LookupPciIdentity(0, 5, 1, 0x1077, 0x015d, sys.Root().c_str()), "N/A");
  EXPECT_FALSE(std::filesystem::exists(sandbox.Dir() + "/owned"));
}

class InventoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sandbox.Ready());
    // Where the test library places its two adapters, with their IDs.
    sys.Device("0000:05:00.1", "0x1077\n", "0x2532\n", "0x1077\n", "0x0100\n");
    sys.Device("0000:06:00.1", "0x1077\n", "0x2031\n", "0x1077\n", "0x0101\n");
  }
  HbaSandbox sandbox;
  FakeSysfs sys{sandbox};
};

TEST_F(InventoryTest, TwoAdaptersInRowOrder) {
  const std::string conf = sandbox.Conf("ql\t" + sandbox.Library("libqlsdm_tv.so", QLogicLibrary()) + "\n");
  AdapterInventory inventory;
  testing::internal::CaptureStdout();
  EXPECT_EQ(inventory.Scan(conf.c_str(), sys.Root().c_str()), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(inventory.Count(), 2u);

  const AdapterEntry* first = inventory.GetEntry(0);
  EXPECT_STREQ(first->node_wwn, "20:00:00:E0:8B:01:02:03");
  EXPECT_STREQ(first->port_wwn, "21:00:00:E0:8B:01:02:03");
  EXPECT_STREQ(first->pci_id, "10772532");
  EXPECT_STREQ(first->subsystem_id, "10770100");
  EXPECT_STREQ(first->driver_version, "8.03.07 ");
  EXPECT_STREQ(first->firmware_version, "5.06.00");
  EXPECT_STREQ(first->option_rom_version, "2.02");
  EXPECT_STREQ(first->model_name, "Model 0 ");

  const AdapterEntry* second = inventory.GetEntry(1);
  EXPECT_STREQ(second->node_wwn, "20:00:00:E0:8B:01:02:04");
  EXPECT_STREQ(second->pci_id, "10772031");
  EXPECT_STREQ(second->subsystem_id, "10770101");
  EXPECT_EQ(inventory.GetEntry(2), nullptr);
  // The adapters are gone and took the libraries with them.
  EXPECT_EQ(CountReadySlots(), 0);

  // A second scan appends.
  inventory.Scan(conf.c_str(), sys.Root().c_str());
  ASSERT_EQ(inventory.Count(), 4u);
  EXPECT_STREQ(inventory.GetEntry(3)->node_wwn, "20:00:00:E0:8B:01:02:04");
}

TEST_F(InventoryTest, FailedRefreshStillGivesAnEntry) {
  const std::string conf = sandbox.Conf("a\t" + sandbox.Library("attrfail.so", AttributesFailLibrary()) + "\nb\t" +
                                        sandbox.Library("libqlsdm_p.so", NoPortsLibrary()) + "\n");
  AdapterInventory inventory;
  testing::internal::CaptureStdout();
  inventory.Scan(conf.c_str(), sys.Root().c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "MRA get returned failed status!\n");
  ASSERT_EQ(inventory.Count(), 2u);
  const AdapterEntry* failed = inventory.GetEntry(0);
  EXPECT_STREQ(failed->node_wwn, "00:00:00:00:00:00:00:00");
  EXPECT_STREQ(failed->port_wwn, "");
  EXPECT_STREQ(failed->model_name, "Undefined");
  EXPECT_STREQ(failed->pci_id, "N/A");
  EXPECT_STREQ(failed->subsystem_id, "00000000");
  // No ports: no port WWN; its extension places it at bus 5.
  const AdapterEntry* portless = inventory.GetEntry(1);
  EXPECT_STREQ(portless->port_wwn, "");
  EXPECT_STREQ(portless->node_wwn, "20:00:00:E0:8B:01:02:03");
  EXPECT_STREQ(portless->pci_id, "10772532");
}

TEST_F(InventoryTest, NoConfigurationNoEntries) {
  AdapterInventory inventory;
  EXPECT_EQ(inventory.Scan((sandbox.Dir() + "/absent.conf").c_str(), sys.Root().c_str()), 1);
  EXPECT_EQ(inventory.Count(), 0u);
  EXPECT_EQ(inventory.GetEntry(0), nullptr);
}

}  // namespace
