// CBaseCmp: ActionSummary, FindReference, AdapterKey, ToUpper and the base
// Discover on a scripted inventory.
#include <cstring>
#include <memory>

#include "TestSupport.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

class BaseCmpTest : public testing::Test {
 protected:
  fwtest::TempDir dir;
  fwtest::ScriptedComponent component{dir / "Component.log"};

  void AddEntry(const char* pci, const char* subsystem) {
    auto entry = std::make_unique<AdapterEntry>();
    std::strncpy(entry->pci_id, pci, sizeof entry->pci_id - 1);
    std::strncpy(entry->subsystem_id, subsystem, sizeof entry->subsystem_id - 1);
    component.Inventory().Append(std::move(entry));
  }
  void AddReference(const std::wstring& type, const std::wstring& device_id) {
    RefEntry entry;
    entry.type = type;
    entry.device_id = device_id;
    component.Catalog().entries.push_back(entry);
  }
};

TEST_F(BaseCmpTest, ActionSummaryRanksUpgradeThenDowngradeThenRewrite) {
  struct Case {
    std::vector<std::vector<std::wstring>> devices;
    int expected;
  };
  const Case cases[] = {
      {{{L"rewrite", L"upgrade"}}, 1},
      {{{L"rewrite"}, {L"downgrade"}}, 4},
      {{{L"rewrite"}, {}}, 2},
      {{{L"downgrade"}, {L"upgrade"}}, 1},
      {{{L""}}, 0},
      {{{L"Upgrade", L"REWRITE"}}, 0},
      {{{}}, 0},
      {{}, 0},
  };
  for (const Case& c : cases) {
    component.MutableDiscovery().devices.clear();
    for (const auto& actions : c.devices)
      component.MutableDiscovery().devices.push_back(fwtest::Device(actions));
    EXPECT_EQ(component.ActionSummary(), c.expected) << "case with " << c.devices.size() << " devices";
    EXPECT_EQ(component.HasDevices(), !c.devices.empty());
  }
}

TEST_F(BaseCmpTest, FindReferenceIgnoresCaseAndReturnsTheFirstMatch) {
  AddReference(L"a", L"1077.2532.1077.015C");
  AddReference(L"b", L"1077.2532.1077.015d");
  AddReference(L"c", L"1077.2532.1077.015c");
  EXPECT_EQ(component.FindReference(L"1077.2532.1077.015c"), 0);
  EXPECT_EQ(component.FindReference(L"1077.2532.1077.015D"), 1);
  EXPECT_EQ(component.FindReference(L"1077.2532.1077"), -1);
  EXPECT_EQ(component.FindReference(L""), -1);
}

TEST_F(BaseCmpTest, AdapterKeyJoinsIdentityTextsWithDotsEveryFourCharacters) {
  struct Case {
    const char* pci;
    const char* subsystem;
    std::wstring key;
  };
  const Case cases[] = {
      {"10772532", "1077015c", L"1077.2532.1077.015c"},
      {"N/A", "1077015c", L"1077.015c"},
      {"n/a", "N/A", L""},
      {"10772532", "n/A", L"1077.2532"},
      {"1077", "N/A", L"1077"},
      {"10772532", "1077", L"1077.2532.1077"},
      {"1077253", "", L"1077.253"},
  };
  for (const Case& c : cases) AddEntry(c.pci, c.subsystem);
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
    EXPECT_EQ(component.AdapterKey(i), cases[i].key) << cases[i].pci << " " << cases[i].subsystem;
  EXPECT_EQ(component.AdapterKey(99), L"");
}

TEST_F(BaseCmpTest, AdapterKeyStaysInsideUnterminatedFields) {
  auto entry = std::make_unique<AdapterEntry>();
  std::memset(entry->pci_id, 'a', sizeof entry->pci_id);
  std::memset(entry->subsystem_id, 'b', sizeof entry->subsystem_id);
  component.Inventory().Append(std::move(entry));
  std::wstring key = component.AdapterKey(0);
  // 512 characters with a dot after every four but the last.
  EXPECT_EQ(key.size(), 512u + 127u);
  EXPECT_EQ(key.substr(0, 10), L"aaaa.aaaa.");
  EXPECT_EQ(key.substr(key.size() - 4), L"bbbb");
}

TEST_F(BaseCmpTest, ToUpperChangesOnlyAsciiLetters) {
  EXPECT_EQ(component.ToUpper(L"qle2562-e.x"), L"QLE2562-E.X");
  EXPECT_EQ(component.ToUpper(std::wstring(1, static_cast<wchar_t>(0xE9))),
            std::wstring(1, static_cast<wchar_t>(0xE9)));
  EXPECT_EQ(component.ToUpper(L""), L"");
}

TEST_F(BaseCmpTest, DiscoverWithAdaptersTakesTheTypeOfTheFirstEntry) {
  AddEntry("10772532", "1077015c");
  AddReference(L"QLogic FC HBA", L"x");
  AddReference(L"other", L"y");
  component.use_base_discover = true;
  component.MutableDiscovery().alt_name = L"stale";
  component.MutableDiscovery().version = L"stale";
  component.MutableDiscovery().takes_effect = L"stale";
  EXPECT_TRUE(component.Discover());
  EXPECT_EQ(component.discover_devices_calls, 1);
  EXPECT_EQ(component.Discovery().type, L"QLogic FC HBA");
  EXPECT_EQ(component.Discovery().alt_name, L"");
  EXPECT_EQ(component.Discovery().version, L"");
  EXPECT_EQ(component.Discovery().takes_effect, L"");
  // True even though no device was added.
  EXPECT_FALSE(component.HasDevices());
  EXPECT_EQ(fwtest::ReadFile(dir / "Component.log"), "");
}

TEST_F(BaseCmpTest, DiscoverKeepsAnEmptyFirstTypeAndCopesWithoutCatalogue) {
  AddEntry("10772532", "1077015c");
  component.use_base_discover = true;
  EXPECT_TRUE(component.Discover());
  EXPECT_EQ(component.Discovery().type, L"");
  AddReference(L"", L"x");
  AddReference(L"later", L"y");
  EXPECT_TRUE(component.Discover());
  EXPECT_EQ(component.Discovery().type, L"");
}

TEST_F(BaseCmpTest, DiscoverWithoutAdaptersWarnsAndFails) {
  component.use_base_discover = true;
  AddReference(L"QLogic FC HBA", L"x");
  CaptureStdout();
  EXPECT_FALSE(component.Discover());
  EXPECT_EQ(GetCapturedStdout(), "WARNING! : No supported adapters found.\n");
  EXPECT_EQ(component.discover_devices_calls, 0);
  EXPECT_EQ(component.Discovery().type, L"");
  EXPECT_EQ(fwtest::ReadFile(dir / "Component.log"), "WARNING! : No supported adapters found.\n");
}

}  // namespace
