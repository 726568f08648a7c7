#include "components/qlogic/QLogicComponent.h"
