#pragma once
// Base class of every vendor component: holds all run state and fixes the
// run sequence; vendors plug in through the virtual operations.
//
// Where each operation lives:
//   framework/CBaseCmp.cpp        construction, the base virtual operations,
//                                 ActionSummary, HasDevices, AdapterKey, ToUpper
//   framework/RunSequence.cpp     ParseCommandLine, Run, PrintUsage
//   framework/HostProbe.cpp       IdentifyOs
//   framework/VersionCompare.cpp  CompareVersions, ActionWord, SplitVersion
//   framework/DiscoveryReport.cpp WriteDiscoveryXml
//   framework/DeviceRecords.cpp   CatalogueEntry, AddDevice, AddFwItem
//   framework/FlashEngine.cpp     RunFlashEngine
//   framework/RefCatalog.cpp      RefCatalog::LoadReferences (Records.h)
#include <string>
#include <vector>

#include "framework/CLogger.h"
#include "framework/Records.h"
#include "hba/AdapterInventory.h"

class CBaseCmp {
 public:
  CBaseCmp();
  explicit CBaseCmp(const std::string& log_path);  // tests: another log file
  virtual ~CBaseCmp();

  CBaseCmp(const CBaseCmp&) = delete;
  CBaseCmp& operator=(const CBaseCmp&) = delete;

  // Virtual operations, in slot order after the destructors.
  virtual bool Discover();
  virtual std::wstring NormalizeVersion(const std::wstring& text);
  virtual void DiscoverDevices();
  virtual int PrepareKit();
  virtual int Flash();
  virtual bool WriteDiscoveryXml();
  virtual int FindReference(const std::wstring& key);

  // A CommandLineResult (framework/ResultCodes.h).
  int ParseCommandLine(int argc, char** argv);
  // The exit code: an FwResult code, or what the vendor's Flash returned.
  int Run();

  int IdentifyOs();
  int IdentifyOs(const std::string& redhat_release, const std::string& suse_release);

  int CompareVersions(const std::wstring& a, const std::wstring& b);
  // The action word for a comparison of the package version with the
  // active one: 1 "upgrade", -1 "downgrade", 0 "rewrite".
  static const wchar_t* ActionWord(int order);
  // An ActionSummaryResult (framework/ResultCodes.h).
  int ActionSummary() const;
  bool HasDevices() const;
  std::wstring AdapterKey(size_t index) const;
  std::wstring ToUpper(const std::wstring& text) const;

  // Read access for tests and callers outside the hierarchy.
  const DiscoveryInfo& Discovery() const { return discovery; }
  const RefCatalog& Reference() const { return reference; }
  bool Silent() const { return silent; }
  bool ReportOnly() const { return report_only; }
  bool Force() const { return force; }
  const std::string& ReportPath() const { return report_path; }

 protected:
  // Device records of a vendor discovery.
  // The catalogue entry for an adapter key, through the virtual
  // FindReference; null when the catalogue has none.
  const RefEntry* CatalogueEntry(const std::wstring& key);
  // Appends the device of catalogue entry `ref`, identified as `device_id`,
  // with no items yet, to the discovery result and returns it.
  DeviceRec& AddDevice(const std::wstring& device_id, const RefEntry& ref);
  // Appends to `device` a firmware item of `type` that takes the adapter
  // from `active_version` to `version`: the action word of `order` (a
  // comparison of version with active_version), the entry's duration,
  // shared "no". Returns the item for vendor-specific changes.
  static FwItem& AddFwItem(DeviceRec& device, const wchar_t* type, const std::wstring& version,
                           const std::wstring& active_version, int order, const RefEntry& ref);

  // A vendor's flash command as its Flash hands it over.
  struct FlashCommand {
    std::string shown;            // as the "Executing flash engine: " line shows it
    std::string redirections;     // appended when it runs, not shown
    std::string make_executable;  // run before it, status ignored; empty for none
  };
  // Logs the command, makes the tool executable, runs the command and waits
  // for it, logs its exit code and returns that. The one place a flash
  // engine is started: what must hold while an engine runs is done here.
  int RunFlashEngine(const FlashCommand& command);

  CLogger log;
  bool silent = false;
  bool report_only = false;
  bool force = false;
  AdapterInventory inventory;
  RefCatalog reference;
  DiscoveryInfo discovery;
  std::string report_path;
};

void PrintUsage();

// Splits a version text at `sep`; a trailing separator adds no field.
std::vector<std::wstring> SplitVersion(const std::wstring& text, wchar_t sep);
