#include "components/emulex/EmulexComponent.h"
