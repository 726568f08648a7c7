#include "hba/AdapterInventory.h"

// Placeholder until the inventory scan lands: no adapters.
int AdapterInventory::Scan() { return 1; }
