// The catalogue and the report when the XML library runs out of memory at
// any one of its allocations: the catalogue loads whole or not at all, the
// report is written whole or not at all, never a tree with parts missing.
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xmlmemory.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "TestSupport.h"

namespace {

// The library's allocations through these, the Nth one failing (0: none).
long g_fail_at = 0;
long g_allocations = 0;

bool FailsNow() { return ++g_allocations == g_fail_at; }

void* CountedMalloc(size_t size) { return FailsNow() ? nullptr : std::malloc(size); }
void* CountedRealloc(void* block, size_t size) { return FailsNow() ? nullptr : std::realloc(block, size); }
char* CountedStrdup(const char* text) {
  if (FailsNow()) return nullptr;
  char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  if (copy != nullptr) std::strcpy(copy, text);
  return copy;
}

class XmlMemory : public testing::Test {
 protected:
  void SetUp() override {
    xmlMemGet(&saved_free_, &saved_malloc_, &saved_realloc_, &saved_strdup_);
    xmlMemSetup(std::free, CountedMalloc, CountedRealloc, CountedStrdup);
  }
  void TearDown() override {
    g_fail_at = 0;
    xmlMemSetup(saved_free_, saved_malloc_, saved_realloc_, saved_strdup_);
  }
  // Runs `step` with the Nth allocation failing, for every N until a run
  // makes fewer allocations than N; returns how many runs hit their N.
  template <class Step>
  long EveryAllocation(Step step) {
    long failed_runs = 0;
    for (long n = 1;; ++n) {
      g_fail_at = n;
      g_allocations = 0;
      step(n);
      if (g_allocations < n) break;
      ++failed_runs;
    }
    g_fail_at = 0;
    return failed_runs;
  }

  fwtest::TempDir dir;

 private:
  xmlFreeFunc saved_free_;
  xmlMallocFunc saved_malloc_;
  xmlReallocFunc saved_realloc_;
  xmlStrdupFunc saved_strdup_;
};

bool SameEntries(const RefCatalog& a, const RefCatalog& b) {
  if (a.discovery_app_path != b.discovery_app_path || a.installer_app_path != b.installer_app_path ||
      a.entries.size() != b.entries.size())
    return false;
  for (size_t i = 0; i < a.entries.size(); ++i) {
    const RefEntry& x = a.entries[i];
    const RefEntry& y = b.entries[i];
    if (x.type != y.type || x.device_id != y.device_id || x.model != y.model || x.firmware != y.firmware ||
        x.bios != y.bios || x.boot != y.boot || x.duration != y.duration || x.bios_present != y.bios_present)
      return false;
  }
  return true;
}

TEST_F(XmlMemory, CatalogueLoadsWholeOrNotAtAll) {
  const std::string path = dir / "reference.xml";
  fwtest::WriteFile(path,
                    "<?xml version=\"1.0\"?>\n<tarvix_fchba_reference>\n"
                    "  <discovery_app_path><![CDATA[./zvqlafwupdate]]></discovery_app_path>\n"
                    "  <devices>\n"
                    "    <device><type value=\"fc\"/><device_id value=\"1077.2532.1077.015c\"/>"
                    "<model value=\"QLE2562\"/><boot value=\"2.32\"/><bios value=\"\"/></device>\n"
                    "    <device><device_id value=\"1077.2432.1077.0138\"/><model value=\"QLE2462\"/>"
                    "<boot value=\"2.10\"/><duration value=\"300\"/></device>\n"
                    "  </devices>\n</tarvix_fchba_reference>\n");
  RefCatalog whole;
  ASSERT_TRUE(whole.LoadReferences(path));
  ASSERT_EQ(whole.entries.size(), 2u);
  long loaded_anyway = 0;
  const long runs = EveryAllocation([&](long n) {
    RefCatalog catalog;
    bool loaded = false;
    try {
      loaded = catalog.LoadReferences(path);
    } catch (const std::bad_alloc&) {
      return;  // the run ends with its out-of-memory line
    }
    if (!loaded) return;
    ++loaded_anyway;
    EXPECT_TRUE(SameEntries(catalog, whole)) << "allocation " << n << " failed and a part of the catalogue loaded";
  });
  EXPECT_GT(runs, 20);
  // Most failures must fail the load; a few (of a message's text, say) leave
  // what was read whole.
  EXPECT_LT(loaded_anyway, runs);
}

TEST_F(XmlMemory, ReportIsWrittenWholeOrNotAtAll) {
  fwtest::ScriptedComponent component(dir / "Component.log");
  DiscoveryInfo& discovery = component.MutableDiscovery();
  discovery.type = L"Multiboot Image";
  for (int d = 0; d < 2; ++d) {
    DeviceRec device;
    device.device_id = d == 0 ? L"1077.2532.1077.015c" : L"1077.2432.1077.0138";
    device.product_id = L"QLE25" + std::to_wstring(d);
    FwItem item;
    item.type = L"Multiboot Image";
    item.version = L"2.32";
    item.active_version = L"2.10";
    item.action = L"upgrade";
    item.shared = L"no";
    device.fw_items.push_back(item);
    discovery.devices.push_back(device);
  }
  const std::string path = dir / "out.xml";
  component.SetReportPath(path);
  ASSERT_TRUE(component.WriteDiscoveryXml());
  const std::string whole = fwtest::ReadFile(path);
  ASSERT_NE(whole.find("action value=\"upgrade\""), std::string::npos);
  long written = 0;
  testing::internal::CaptureStderr();
  const long runs = EveryAllocation([&](long n) {
    std::remove(path.c_str());
    if (!component.WriteDiscoveryXml()) return;
    ++written;
    EXPECT_EQ(fwtest::ReadFile(path), whole) << "allocation " << n << " failed and the report was written";
  });
  testing::internal::GetCapturedStderr();
  EXPECT_GT(runs, 20);
  EXPECT_LT(written, runs);
}

}  // namespace
