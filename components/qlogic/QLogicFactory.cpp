// The component that build/fwpack runs; compiled into that executable only.
#include "components/qlogic/QLogicComponent.h"
#include "framework/ComponentFactory.h"

std::unique_ptr<CBaseCmp> CreateComponent() { return std::make_unique<QLogicComp::CComponent>(); }
