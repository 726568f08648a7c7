// The adapter model's entry object: loads the libraries and hands out one
// refreshed, extended adapter after another.
#include "hba/FcHbaMRA.h"

#include <cerrno>
#include <new>
#include <string>

#include "framework/HostFailure.h"
#include "framework/Paths.h"
#include "hba/HbaRegistry.h"

FcHbaMRA::FcHbaMRA() : FcHbaMRA(FwPaths::kHbaConf) {}

FcHbaMRA::FcHbaMRA(const char* configuration_path) : libraries_loaded(false), adapter_count(0) {
  if (HbaLoadLibraries(configuration_path) == HBA_STATUS_OK) {
    adapter_count = HbaEnumerateAdapters();
    libraries_loaded = true;
  }
}

std::unique_ptr<FcHbaAdapter> FcHbaMRA::CreateAdapter(uint32_t row, HBA_STATUS& status) {
  std::unique_ptr<FcHbaAdapter> adapter(new (std::nothrow) FcHbaAdapter);
  if (!adapter) {
    // No memory for the adapter: the enumeration ends here, and the run
    // learns that it saw only part of the host.
    status = 2;
    HostFailure::Note("cannot hold adapter " + std::to_string(row), ENOMEM);
    return nullptr;
  }
  adapter->SetNameRow(row);
  status = adapter->Refresh();
  adapter->ReadExtendedAttributes();
  return adapter;
}

std::unique_ptr<FcHbaAdapter> FcHbaMRA::GetFirstAdapter(HBA_STATUS& status) {
  status = HBA_STATUS_OK;
  if (adapter_count == 0) return nullptr;
  return CreateAdapter(0, status);
}

std::unique_ptr<FcHbaAdapter> FcHbaMRA::GetNextAdapter(const FcHbaAdapter* previous, HBA_STATUS& status) {
  if (previous == nullptr) return nullptr;
  const uint64_t row = static_cast<uint64_t>(previous->GetNameRow()) + 1;
  if (row >= adapter_count) return nullptr;
  return CreateAdapter(static_cast<uint32_t>(row), status);
}
