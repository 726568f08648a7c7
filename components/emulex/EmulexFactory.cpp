// The component that build/fwpack-emulex runs; compiled into that executable only.
#include "components/emulex/EmulexComponent.h"
#include "framework/ComponentFactory.h"

std::unique_ptr<CBaseCmp> CreateComponent() { return std::make_unique<EmulexComp::CComponent>(); }
