#pragma once
#include "framework/CBaseCmp.h"

namespace QLogicComp {

class CComponent : public CBaseCmp {
 public:
  CComponent() = default;
  ~CComponent() override = default;
};

}  // namespace QLogicComp
