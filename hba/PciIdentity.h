#pragma once
// PCI vendor and device IDs of an adapter, looked up in sysfs by its PCI
// domain, bus and function and its two subsystem IDs.
#include <cstdint>
#include <string>

#include "framework/Paths.h"

// The grep pattern that selects sysfs paths holding domain:bus:*.function.
std::string PciAddressPattern(uint8_t domain, uint8_t bus, uint8_t function);

// "%.4x%.4x" of the vendor and device IDs of the first device directory at
// that address whose subsystem files hold both subsystem IDs; "N/A" when
// there is none or a command fails.
std::string LookupPciIdentity(uint8_t domain, uint8_t bus, uint8_t function, uint16_t subsystem_low,
                              uint16_t subsystem_high, const char* sys_root = FwPaths::kSysRoot);
