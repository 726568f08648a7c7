#pragma once
// A vendor component that holds a catalogue and answers lookups with its own
// FindReference, built so that it touches no log and runs nothing.
#include <memory>
#include <string>
#include <vector>

#include "framework/CBaseCmp.h"

class RefCatalogObserver;

namespace fwcatalog {

enum class Vendor { QLogic, Emulex, Brocade };

// "qlogic", "emulex", "brocade"; false for any other name.
bool VendorFromName(const std::string& name, Vendor& vendor);
const char* VendorName(Vendor vendor);

class VendorCatalogue {
 public:
  explicit VendorCatalogue(Vendor vendor);
  Vendor Kind() const { return vendor_; }

  // The component's own loader, into the component's catalogue.
  bool Load(const std::string& path, RefCatalogObserver* observer);
  // Replaces the entries (lookups over a part of a catalogue).
  void SetEntries(std::vector<RefEntry> entries);
  const RefCatalog& Catalogue() const { return *catalogue_; }
  // The vendor's lookup rule over the entries held.
  int FindReference(const std::wstring& key) { return component_->FindReference(key); }

 private:
  Vendor vendor_;
  std::unique_ptr<CBaseCmp> component_;
  RefCatalog* catalogue_ = nullptr;  // the component's own member
};

}  // namespace fwcatalog
