#include "components/brocade/BrocadeComponent.h"
