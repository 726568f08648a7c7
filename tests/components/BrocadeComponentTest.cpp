// Brocade component: version normalising, discovery from the inventory's
// option ROM versions, the adapter key and the flash.
#include <gtest/gtest.h>

#include <string>

#include "components/brocade/BrocadeComponent.h"
#include "tests/components/ComponentTestSupport.h"

namespace {

using namespace ComponentTest;
using Brocade = Testable<BrocadeComp::CComponent>;

TEST_F(PackageDirTest, BrocadeNormalizeVersionTakesLastFourPartNumber) {
  Brocade component(Path("component.log"));
  struct Case {
    const wchar_t* text;
    const wchar_t* normalized;
  } cases[] = {
      {L"v3.2.0.0 build 7", L"3.2.0.0"},
      // The greedy lead takes all but the last digit of the first part.
      {L"12.1.0.3", L"2.1.0.3"},
      {L"BIOS 3.0.1.5 EFI 3.1.0.0", L"3.1.0.0"},
      {L"BIOS 3.0.1.5 EFI 13.1.0.0", L"3.1.0.0"},
      {L"no version here", L"no version here"},
      {L"3.2.1", L"3.2.1"},
      {L"", L""},
      {L"line one\n2.4.0.1\n", L"2.4.0.1"},  // dot matches line ends too
  };
  for (const Case& c : cases) {
    EXPECT_EQ(component.NormalizeVersion(c.text), c.normalized)
        << std::string(c.text, c.text + wcslen(c.text));
  }
}

TEST_F(PackageDirTest, BrocadeDiscoverDevicesFromOptionRomVersions) {
  Brocade component(Path("component.log"));
  component.Ref().entries.push_back(Entry(L"1657.0013.1657.0014", L"425", L"", L"3.2.0.0", L""));
  component.Ref().entries.push_back(Entry(L"1657.0017.1657.0014", L"815", L"", L"", L"", 0));
  component.Inventory().Append(Adapter("16570013", "16570014", "", "v3.1.0.0 (boot)"));
  component.Inventory().Append(Adapter("16570021", "16570014", "", "3.2.0.0"));  // unsupported
  component.Inventory().Append(Adapter("16570017", "16570014", "", "3.2.0.0"));
  component.Inventory().Append(Adapter("16570013", "16570014", "", "boot code 3.2.0.0"));
  component.Inventory().Append(Adapter("16570013", "16570014", "", "13.0.0.0"));

  component.DiscoverDevices();

  struct Expected {
    std::wstring device_id, product_id, version, active_version, action;
  } expected[] = {
      {L"1657.0013.1657.0014", L"425", L"3.2.0.0", L"3.1.0.0", L"upgrade"},
      // An empty catalogue bios still gives the item, whatever bios_present says.
      {L"1657.0017.1657.0014", L"815", L"", L"3.2.0.0", L"downgrade"},
      {L"1657.0013.1657.0014", L"425", L"3.2.0.0", L"3.2.0.0", L"rewrite"},
      {L"1657.0013.1657.0014", L"425", L"3.2.0.0", L"3.0.0.0", L"upgrade"},
  };
  const auto& devices = component.Discovery().devices;
  ASSERT_EQ(devices.size(), std::size(expected));
  for (size_t i = 0; i < devices.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(devices[i].device_id, expected[i].device_id);
    EXPECT_EQ(devices[i].product_id, expected[i].product_id);
    ASSERT_EQ(devices[i].fw_items.size(), 1u);
    const FwItem& item = devices[i].fw_items[0];
    EXPECT_EQ(item.type, L"Boot BIOS ROM");
    EXPECT_EQ(item.version, expected[i].version);
    EXPECT_EQ(item.active_version, expected[i].active_version);
    EXPECT_EQ(item.action, expected[i].action);
    EXPECT_EQ(item.shared, L"no");
    EXPECT_EQ(item.duration, L"120");
  }
  EXPECT_EQ(ReadFile(Path("component.log")), "");
}

// The device key is the adapter's own, even where the catalogue writes it
// in other letters.
TEST_F(PackageDirTest, BrocadeDeviceIdIsTheAdapterKey) {
  Brocade component(Path("component.log"));
  component.Ref().entries.push_back(Entry(L"1657.0013.1657.0014", L"425", L"", L"3.2.0.0", L""));
  component.Inventory().Append(Adapter("1657001a", "1657001b", "", "3.2.0.0"));
  component.Ref().entries.push_back(Entry(L"1657.001A.1657.001B", L"x", L"", L"3.2.0.0", L""));
  component.DiscoverDevices();
  ASSERT_EQ(component.Discovery().devices.size(), 1u);
  EXPECT_EQ(component.Discovery().devices[0].device_id, L"1657.001a.1657.001b");
  EXPECT_EQ(component.Discovery().devices[0].product_id, L"x");
}

class BrocadeFlashTest : public PackageDirTest {
 protected:
  void SetUp() override {
    PackageDirTest::SetUp();
    RequireIsolatedVar();
    WriteFile("bfa_boot_fw", "image\n");
    WriteScript("bcu_bootupdate",
                "printf '%s\\n' \"$*\" > args.txt\n"
                "echo bcu-stdout\n"
                "echo bcu-stderr >&2\n"
                "echo bcu-fd3 >&3\n"
                "exit $(cat exit_code)\n");
  }
};

TEST_F(BrocadeFlashTest, ZeroIsSuccessEverythingElseFailure) {
  struct Case {
    int exit_code;
    int result;
  } cases[] = {{0, 1}, {1, 7}, {3, 7}, {200, 7}, {255, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exit_code);
    unlink(kToolLog);
    WriteFile("exit_code", std::to_string(c.exit_code) + "\n");
    Brocade component(kToolLog);
    component.SetForce(true);   // plays no part
    component.SetSilent(true);
    EXPECT_EQ(component.Flash(), c.result);
    EXPECT_EQ(ReadFile("args.txt"), "boot --update bfa_boot_fw -a\n");
    EXPECT_EQ(ReadFile(kToolLog),
              "Executing flash engine: ./bcu_bootupdate boot --update bfa_boot_fw -a\n"
              "bcu-stdout\nbcu-stderr\nbcu-fd3\nFlash Engine exit code: " +
                  std::to_string(c.exit_code) + "\n");
  }
}

TEST_F(BrocadeFlashTest, ToolKilledBySignalIsFailure) {
  WriteScript("bcu_bootupdate", "kill -SEGV $$\n");
  Brocade component(kToolLog);
  EXPECT_EQ(component.Flash(), 7);
  EXPECT_NE(ReadFile(kToolLog).find("Flash Engine exit code: 139\n"), std::string::npos);
}

}  // namespace
