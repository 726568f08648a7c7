// The component that build/fwpack-brocade runs; compiled into that executable only.
#include "components/brocade/BrocadeComponent.h"
#include "framework/ComponentFactory.h"

std::unique_ptr<CBaseCmp> CreateComponent() { return std::make_unique<BrocadeComp::CComponent>(); }
