#pragma once
// Base class of every vendor component: holds all run state and fixes the
// run sequence; vendors plug in through the virtual operations.
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

  // 0: unusable command line, 1: go on, 2: help printed.
  int ParseCommandLine(int argc, char** argv);
  int Run();

  int IdentifyOs();
  int IdentifyOs(const std::string& redhat_release, const std::string& suse_release);

  int CompareVersions(const std::wstring& a, const std::wstring& b);
  // The action word for a comparison of the package version with the
  // active one: 1 "upgrade", -1 "downgrade", 0 "rewrite".
  static const wchar_t* ActionWord(int order);
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
