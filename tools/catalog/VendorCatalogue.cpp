#include "tools/catalog/VendorCatalogue.h"

#include "components/brocade/BrocadeComponent.h"
#include "components/emulex/EmulexComponent.h"
#include "components/qlogic/QLogicComponent.h"

namespace fwcatalog {

namespace {

template <class Component>
class CatalogueHolder final : public Component {
 public:
  // An empty log path: the logger creates no directory and no file. Nothing
  // here writes a message, and no run, scan or flash is ever started.
  CatalogueHolder() : Component(std::string()) {}
  RefCatalog& Catalogue() { return this->reference; }
};

template <class Component>
std::unique_ptr<CBaseCmp> Make(RefCatalog*& catalogue) {
  auto holder = std::make_unique<CatalogueHolder<Component>>();
  catalogue = &holder->Catalogue();
  return holder;
}

}  // namespace

bool VendorFromName(const std::string& name, Vendor& vendor) {
  if (name == "qlogic") vendor = Vendor::QLogic;
  else if (name == "emulex") vendor = Vendor::Emulex;
  else if (name == "brocade") vendor = Vendor::Brocade;
  else return false;
  return true;
}

const char* VendorName(Vendor vendor) {
  switch (vendor) {
    case Vendor::Emulex: return "emulex";
    case Vendor::Brocade: return "brocade";
    case Vendor::QLogic: break;
  }
  return "qlogic";
}

VendorCatalogue::VendorCatalogue(Vendor vendor) : vendor_(vendor) {
  if (vendor == Vendor::Emulex) component_ = Make<EmulexComp::CComponent>(catalogue_);
  else if (vendor == Vendor::Brocade) component_ = Make<BrocadeComp::CComponent>(catalogue_);
  else component_ = Make<QLogicComp::CComponent>(catalogue_);
}

bool VendorCatalogue::Load(const std::string& path, RefCatalogObserver* observer) {
  return catalogue_->LoadReferences(path, observer);
}

void VendorCatalogue::SetEntries(std::vector<RefEntry> entries) {
  catalogue_->entries = std::move(entries);
}

}  // namespace fwcatalog
