#pragma once
// Entry object of the adapter model: loads the vendor libraries, counts
// their adapters and hands out one refreshed, extended adapter after another.
#include <cstdint>
#include <memory>

#include "hba/FcHbaAdapter.h"
#include "hba/HbaApi.h"

class FcHbaMRA {
 public:
  // Loads the libraries of the fixed configuration file.
  FcHbaMRA();
  explicit FcHbaMRA(const char* configuration_path);
  // Releases nothing: the libraries stay loaded.
  virtual ~FcHbaMRA() = default;
  FcHbaMRA(const FcHbaMRA&) = delete;
  FcHbaMRA& operator=(const FcHbaMRA&) = delete;

  // The adapter of row 0, or null when there is none (status 0) or when it
  // cannot be created (status 2). Otherwise status is the refresh result.
  std::unique_ptr<FcHbaAdapter> GetFirstAdapter(HBA_STATUS& status);
  // The adapter of the row after previous; null, with status untouched,
  // past the last row.
  std::unique_ptr<FcHbaAdapter> GetNextAdapter(const FcHbaAdapter* previous, HBA_STATUS& status);

  bool LibrariesLoaded() const { return libraries_loaded; }
  uint32_t GetAdapterCount() const { return adapter_count; }

 private:
  std::unique_ptr<FcHbaAdapter> CreateAdapter(uint32_t row, HBA_STATUS& status);

  bool libraries_loaded;
  uint32_t adapter_count;
};
