#pragma once
#include "framework/CBaseCmp.h"

namespace BrocadeComp {

class CComponent : public CBaseCmp {
 public:
  CComponent() = default;
  ~CComponent() override = default;
};

}  // namespace BrocadeComp
