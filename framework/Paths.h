#pragma once
// Fixed host paths of the component. The program always uses these; the
// functions that read or write them take the path as a parameter underneath
// so unit tests can point them at fixtures.

namespace FwPaths {

inline constexpr const char* kLogDir = "/var/qmx";
inline constexpr const char* kLogFile = "/var/qmx/Component.log";
// Held while a flash engine runs, by every executable: one flash per host.
inline constexpr const char* kFlashLock = "/var/qmx/fwpack-flash.lock";
inline constexpr const char* kReferenceXml = "reference.xml";
inline constexpr const char* kHbaConf = "/etc/hba.conf";
inline constexpr const char* kRedHatRelease = "/etc/redhat-release";
inline constexpr const char* kSuseRelease = "/etc/SuSE-release";
inline constexpr const char* kSysRoot = "/sys";

// Vendor extension libraries, tried in this order per vendor.
inline constexpr const char* kQLogicLibraries[3] = {
    "/usr/lib/libqlsdm.so", "/usr/lib64/libqlsdm-x86_64.so", "/lib/cim/libqlsdm.so"};
inline constexpr const char* kEmulexLibraries[3] = {
    "/usr/lib/libemsdm.so", "/usr/lib64/libemsdm.so", "/lib/cim/libemsdm.so"};
inline constexpr const char* kBrocadeLibraries[3] = {
    "/usr/lib/bfahbaapi.so", "/usr/lib64/bfahbaapi.so", "/lib/cim/bfahbaapi.so"};

// Suffix that sends a vendor tool's descriptors 1, 2 and 3 to the log.
inline constexpr const char* kLogRedirections =
    " 1>> /var/qmx/Component.log 2>> /var/qmx/Component.log 3>> /var/qmx/Component.log";

}  // namespace FwPaths
