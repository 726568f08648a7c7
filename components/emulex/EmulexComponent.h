#pragma once
#include "framework/CBaseCmp.h"

namespace EmulexComp {

class CComponent : public CBaseCmp {
 public:
  CComponent() = default;
  ~CComponent() override = default;
};

}  // namespace EmulexComp
