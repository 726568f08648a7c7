// Ports and adapters: speed, state and type texts, attribute and counter
// copies, and adapters read from a loaded library through FcHbaMRA.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HbaTestSupport.h"
#include "hba/FcHbaAdapter.h"
#include "hba/FcHbaMRA.h"
#include "hba/FcHbaPort.h"

namespace {

TEST(FcHbaPortTest, SpeedTexts) {
  const std::vector<std::pair<uint32_t, std::string>> cases = {
      {0x28, "16 GB"}, {0x8010, "Not Negotiated"}, {0, "Unknown"}, {0x14, "10 GB"}, {0x18, "8 GB"},
      {0x8, "4 GB"},   {0x3, "2 GB"},              {0x1, "1 GB"},  {0x40, "Unknown"}};
  for (const auto& c : cases) EXPECT_EQ(FcHbaPort::GetSpeedText(c.first), c.second) << std::hex << c.first;
}

TEST(FcHbaPortTest, StateAndTypeTexts) {
  const std::vector<std::pair<uint32_t, std::string>> states = {
      {1, "Unknown"},   {2, "Online"}, {3, "Offline"},  {4, "Bypassed"}, {5, "Diagnostics Mode"},
      {6, "Link Down"}, {7, "Error"},  {8, "Loopback"}, {9, "Unknown"},  {0, "Unknown"}};
  const std::vector<std::pair<uint32_t, std::string>> types = {
      {1, "Unknown"},      {2, "Other"},       {3, "Not Present"},           {4, "Unknown"},
      {5, "Fabric"},       {6, "Public Loop"}, {7, "FL Port"},               {8, "Fabric Port"},
      {9, "Fabric expansion port"}, {10, "Generic Fabric Port"}, {20, "Private Loop"},
      {21, "Point to Point"}, {22, "Unknown"}};
  HBA_PORTATTRIBUTES record;
  std::memset(&record, 0, sizeof record);
  FcHbaPort port;
  EXPECT_EQ(port.GetStateText(), "Unknown");
  EXPECT_EQ(port.GetTypeText(), "Unknown");
  for (const auto& c : states) {
    record.PortState = c.first;
    port.SetAttributes(record, 0);
    EXPECT_EQ(port.GetStateText(), c.second) << c.first;
  }
  for (const auto& c : types) {
    record.PortType = c.first;
    port.SetAttributes(record, 0);
    EXPECT_EQ(port.GetTypeText(), c.second) << c.first;
  }
}

TEST(FcHbaPortTest, AttributesWwnTextsAndDefaults) {
  FcHbaPort port;
  EXPECT_EQ(port.GetPortType(), 1u);
  EXPECT_EQ(port.GetPortState(), 1u);
  EXPECT_EQ(port.GetPortSymbolicName(), "Undefined");
  EXPECT_EQ(port.GetOsDeviceName(), "Undefined");
  EXPECT_EQ(port.GetPortWwnText(), "00:00:00:00:00:00:00:00");

  HBA_PORTATTRIBUTES record;
  std::memset(&record, 0, sizeof record);
  const HBA_UINT8 wwn[8] = {0x20, 0x00, 0x00, 0xE0, 0x8B, 0x01, 0x02, 0x03};
  std::memcpy(record.PortWWN.wwn, wwn, 8);
  record.FabricName.wwn[0] = 0xab;
  record.FabricName.wwn[7] = 0x0c;
  record.PortFcId = 0x10203;
  record.PortMaxFrameSize = 2112;
  std::memset(record.PortSymbolicName, 'P', sizeof record.PortSymbolicName);  // no terminator
  std::strcpy(record.OSDeviceName, "/dev/sg3");
  record.PortSupportedFc4Types.bits[31] = 0x42;
  record.PortActiveFc4Types.bits[0] = 0x24;
  port.SetAttributes(record, 3);
  EXPECT_EQ(port.GetPortWwnText(), "20:00:00:E0:8B:01:02:03");
  EXPECT_EQ(port.GetFabricNameText(), "AB:00:00:00:00:00:00:0C");
  EXPECT_EQ(port.GetPortSymbolicName(), std::string(256, 'P'));
  EXPECT_EQ(port.GetOsDeviceName(), "/dev/sg3");
  EXPECT_EQ(port.GetPortIndex(), 3u);
  EXPECT_EQ(port.GetPortFcId(), 0x10203u);
  EXPECT_EQ(port.GetPortMaxFrameSize(), 2112u);
  EXPECT_EQ(port.GetSupportedFc4Types().bits[31], 0x42);
  EXPECT_EQ(port.GetActiveFc4Types().bits[0], 0x24);

  // A copy carries every field.
  const FcHbaPort copy = port;
  EXPECT_EQ(copy.GetPortWwnText(), port.GetPortWwnText());
  EXPECT_EQ(copy.GetActiveFc4Types().bits[0], 0x24);
}

TEST(FcHbaPortTest, UnavailableCounterKeepsItsValue) {
  HBA_PORTSTATISTICS record;
  HBA_INT64* counters = &record.SecondsSinceLastReset;
  for (int i = 0; i < 15; ++i) counters[i] = 7;
  FcHbaPort port;
  port.SetStatistics(record);
  for (int i = 0; i < 15; ++i) counters[i] = 1000 + i;
  record.LIPCount = -1;
  port.SetStatistics(record);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(port.GetStatistic(i), i == 5 ? 7 : 1000 + i) << i;
  EXPECT_EQ(port.GetStatistic(15), 0);
  EXPECT_EQ(port.GetStatistic(-1), 0);
}

class AdapterModelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sandbox.Ready()); }
  std::string ConfFor(const FakeLibrary& library, const std::string& name) {
    return sandbox.Conf("lib\t" + sandbox.Library(name, library) + "\n");
  }
  HbaSandbox sandbox;
};

TEST_F(AdapterModelTest, AdapterReadThroughTheRegistry) {
  FcHbaMRA mra(ConfFor(QLogicLibrary(), "libqlsdm_tv.so").c_str());
  EXPECT_TRUE(mra.LibrariesLoaded());
  ASSERT_EQ(mra.GetAdapterCount(), 2u);
  HBA_STATUS status = 99;
  std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
  ASSERT_TRUE(adapter);
  EXPECT_EQ(status, HBA_STATUS_OK);
  EXPECT_EQ(adapter->GetNameRow(), 0u);
  EXPECT_EQ(adapter->GetAdapterName(), "qlogic-a-0");
  // Cleaned texts lose trailing junk and repeated spaces; the others stay raw.
  EXPECT_EQ(adapter->GetManufacturer(), "Maker Corp");
  EXPECT_EQ(adapter->GetSerialNumber(), std::string(64, 'S'));
  EXPECT_EQ(adapter->GetModelName(), "Model 0 ");
  EXPECT_EQ(adapter->GetModelDescription(), "Dual port\t adapter");
  EXPECT_EQ(adapter->GetNodeSymbolicName(), "node 0 ");
  EXPECT_EQ(adapter->GetHardwareVersion(), "HW1");
  EXPECT_EQ(adapter->GetDriverVersion(), "8.03.07 ");
  EXPECT_EQ(adapter->GetOptionRomVersion(), "2.02");
  EXPECT_EQ(adapter->GetFirmwareVersion(), "5.06.00");
  EXPECT_EQ(adapter->GetDriverName(), "drv");
  EXPECT_EQ(adapter->GetNodeWwnText(), "20:00:00:E0:8B:01:02:03");
  EXPECT_EQ(adapter->GetNumberOfPorts(), 2u);

  ASSERT_EQ(adapter->GetPorts().size(), 2u);
  const FcHbaPort& port = adapter->GetPorts()[1];
  EXPECT_EQ(port.GetPortIndex(), 1u);
  EXPECT_EQ(port.GetPortWwnText(), "21:01:00:E0:8B:01:02:03");
  EXPECT_EQ(port.GetStateText(), "Online");
  EXPECT_EQ(port.GetTypeText(), "Fabric");
  EXPECT_EQ(FcHbaPort::GetSpeedText(port.GetPortSpeed()), "8 GB");
  EXPECT_EQ(port.GetOsDeviceName(), std::string(256, 'D'));
  EXPECT_EQ(port.GetStatistic(0), 100);
  EXPECT_EQ(port.GetStatistic(5), 0);  // reported as not available
  EXPECT_EQ(port.GetStatistic(14), 114);

  std::unique_ptr<FcHbaAdapter> next = mra.GetNextAdapter(adapter.get(), status);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->GetAdapterName(), "qlogic-a-1");
  EXPECT_EQ(next->GetNodeWwnText(), "20:00:00:E0:8B:01:02:04");
  // Each refresh closes the adapter it opened.
  const std::vector<std::string> trace = sandbox.Trace();
  const int opened = CountLines(trace, Call("libqlsdm_tv.so", "HBA_OpenAdapter", "qlogic-a-1"));
  EXPECT_GT(opened, 0);
  EXPECT_EQ(opened, CountLines(trace, Call("libqlsdm_tv.so", "HBA_CloseAdapter", 0x101)));
}

TEST_F(AdapterModelTest, NextAfterTheLastRowLeavesStatus) {
  FcHbaMRA mra(ConfFor(SecondLibrary(), "second.so").c_str());
  ASSERT_EQ(mra.GetAdapterCount(), 3u);
  HBA_STATUS status = 0;
  std::unique_ptr<FcHbaAdapter> first = mra.GetFirstAdapter(status);
  std::unique_ptr<FcHbaAdapter> second = mra.GetNextAdapter(first.get(), status);
  std::unique_ptr<FcHbaAdapter> third = mra.GetNextAdapter(second.get(), status);
  ASSERT_TRUE(third);
  EXPECT_EQ(third->GetNameRow(), 2u);
  EXPECT_EQ(third->GetAdapterName(), "second-b-2");
  status = 42;
  EXPECT_FALSE(mra.GetNextAdapter(third.get(), status));
  EXPECT_EQ(status, 42u);
  EXPECT_FALSE(mra.GetNextAdapter(nullptr, status));
}

TEST_F(AdapterModelTest, FailingPortsAndNames) {
  FcHbaMRA mra(ConfFor(EdgeLibrary(), "edge.so").c_str());
  ASSERT_EQ(mra.GetAdapterCount(), 2u);
  HBA_STATUS status = 0;
  std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
  ASSERT_TRUE(adapter);
  EXPECT_EQ(status, HBA_STATUS_ERROR);
  // Port 1 did not answer; port 2 answered but its counters did not.
  ASSERT_EQ(adapter->GetPorts().size(), 2u);
  EXPECT_EQ(adapter->GetPorts()[0].GetPortIndex(), 0u);
  EXPECT_EQ(adapter->GetPorts()[0].GetStatistic(1), 101);
  EXPECT_EQ(adapter->GetPorts()[1].GetPortIndex(), 2u);
  EXPECT_EQ(adapter->GetPorts()[1].GetPortWwnText(), "21:02:00:E0:8B:01:02:03");
  for (int i = 0; i < 15; ++i) EXPECT_EQ(adapter->GetPorts()[1].GetStatistic(i), 0);
  // The row after the failed name is the library's adapter 2.
  std::unique_ptr<FcHbaAdapter> next = mra.GetNextAdapter(adapter.get(), status);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->GetAdapterName(), "edge-c-2");
  EXPECT_EQ(next->GetNodeWwnText(), "20:00:00:E0:8B:01:02:05");
}

TEST_F(AdapterModelTest, NoPorts) {
  FcHbaMRA mra(ConfFor(NoPortsLibrary(), "libqlsdm_p.so").c_str());
  HBA_STATUS status = 99;
  std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
  ASSERT_TRUE(adapter);
  EXPECT_EQ(status, HBA_STATUS_OK);
  EXPECT_TRUE(adapter->GetPorts().empty());
  EXPECT_EQ(adapter->GetNumberOfPorts(), 0u);
}

TEST_F(AdapterModelTest, PortCountNoAdapterHasIsBounded) {
  // More ports answer than are ever read.
  const FakeLibrary huge = FakeLibrary("qlogic-h").Adapters(1).Ports(300).Set("/number_of_ports", 0xffffffffu);
  FcHbaMRA mra(ConfFor(huge, "libqlsdm_h.so").c_str());
  HBA_STATUS status = 0;
  std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
  ASSERT_TRUE(adapter);
  EXPECT_EQ(status, HBA_STATUS_ERROR);
  EXPECT_EQ(adapter->GetNumberOfPorts(), 0xffffffffu);
  EXPECT_EQ(adapter->GetPorts().size(), 256u);
}

TEST_F(AdapterModelTest, AdapterAfterAnEarlierOneWasDestroyed) {
  FcHbaMRA mra(ConfFor(QLogicLibrary(), "libqlsdm_tv.so").c_str());
  HBA_STATUS status = 0;
  std::unique_ptr<FcHbaAdapter> first = mra.GetFirstAdapter(status);
  ASSERT_TRUE(first);
  const uint32_t row = first->GetNameRow();
  FcHbaAdapter stand_in;
  stand_in.SetNameRow(row);
  first.reset();  // releases every library
  // The library is gone: the refresh fails and the extension is not looked
  // up in a closed module.
  std::unique_ptr<FcHbaAdapter> next = mra.GetNextAdapter(&stand_in, status);
  ASSERT_TRUE(next);
  EXPECT_EQ(status, HBA_STATUS_ERROR);
  EXPECT_EQ(next->GetAdapterName(), "qlogic-a-1");
  EXPECT_EQ(next->GetPciSubsystem(), 0u);
  EXPECT_EQ(next->GetPciBus(), 0);
}

TEST_F(AdapterModelTest, FailedRefreshKeepsDefaults) {
  struct Case {
    FakeLibrary library;
    const char* file;
    const char* name;
  };
  for (const Case& c : {Case{AttributesFailLibrary(), "attrfail.so", "attrfail-0"},
                        Case{NoOpenLibrary(), "noopen.so", "noopen-0"}}) {
    SCOPED_TRACE(c.name);
    FcHbaMRA mra(ConfFor(c.library, c.file).c_str());
    HBA_STATUS status = 0;
    std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
    ASSERT_TRUE(adapter);
    EXPECT_EQ(status, HBA_STATUS_ERROR);
    EXPECT_EQ(adapter->GetAdapterName(), c.name);
    EXPECT_EQ(adapter->GetManufacturer(), "Undefined");
    EXPECT_EQ(adapter->GetModelName(), "Undefined");
    EXPECT_EQ(adapter->GetDriverVersion(), "Undefined");
    EXPECT_EQ(adapter->GetNodeWwnText(), "00:00:00:00:00:00:00:00");
    EXPECT_EQ(adapter->GetPciSubsystem(), 0u);
    EXPECT_TRUE(adapter->GetPorts().empty());
  }
}

TEST_F(AdapterModelTest, NoConfigurationNoAdapters) {
  FcHbaMRA mra((sandbox.Dir() + "/absent.conf").c_str());
  EXPECT_FALSE(mra.LibrariesLoaded());
  EXPECT_EQ(mra.GetAdapterCount(), 0u);
  HBA_STATUS status = 5;
  EXPECT_FALSE(mra.GetFirstAdapter(status));
  EXPECT_EQ(status, HBA_STATUS_OK);
}

TEST_F(AdapterModelTest, DestroyingAnAdapterReleasesEveryLibrary) {
  const std::string conf = sandbox.Conf("a\t" + sandbox.Library("libqlsdm_tv.so", QLogicLibrary()) + "\nb\t" +
                                        sandbox.Library("second.so", SecondLibrary()) + "\n");
  FcHbaMRA mra(conf.c_str());
  HBA_STATUS status = 0;
  std::unique_ptr<FcHbaAdapter> adapter = mra.GetFirstAdapter(status);
  ASSERT_TRUE(adapter);
  ASSERT_EQ(CountReadySlots(), 2);
  sandbox.ClearTrace();
  adapter.reset();
  EXPECT_EQ(CountReadySlots(), 0);
  const std::vector<std::string> trace = sandbox.Trace();
  EXPECT_EQ(CountLines(trace, Call("libqlsdm_tv.so", "HBA_FreeLibrary")), 1);
  EXPECT_EQ(CountLines(trace, Call("second.so", "HBA_FreeLibrary")), 1);
}

}  // namespace
