#pragma once
// Host state shared by the fake vendor libraries and the fake flash tools.
// The sandbox writes it from the scenario; the tools rewrite it after a
// successful flash so that the next run sees the new versions.
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace SimState {

// Fixed paths inside the sandbox (the /etc overlay keeps them private).
inline constexpr const char* kStateDir = "/etc/fwpack-sim";
inline constexpr const char* kStateFile = "/etc/fwpack-sim/host.json";
inline constexpr const char* kRecordDir = "/etc/fwpack-sim/records";

// Reads a JSON file; false (and an explanation in error) when it cannot be
// read or parsed. Never throws.
bool ReadJsonFile(const std::string& path, nlohmann::json& out, std::string& error);
// Writes through a temporary file and a rename, so readers never see half.
bool WriteJsonFile(const std::string& path, const nlohmann::json& value, std::string& error);

// A text given as a string, or as an array of lines each ended by "\n".
bool TextOf(const nlohmann::json& value, std::string& out);

bool ReadTextFile(const std::string& path, std::string& out);
bool WriteTextFile(const std::string& path, const std::string& text);
bool AppendTextFile(const std::string& path, const std::string& text);

// Runs argv[0] (found on PATH) with the arguments in DIR, no shell between;
// its exit code, -1 when it could not be started or did not exit normally.
int RunIn(const std::string& dir, const std::vector<std::string>& argv);

// Typed lookups that tolerate a missing key or a value of the wrong type.
std::string GetString(const nlohmann::json& object, const char* key, const std::string& fallback = "");
int64_t GetInt(const nlohmann::json& object, const char* key, int64_t fallback = 0);
bool GetBool(const nlohmann::json& object, const char* key, bool fallback = false);
const nlohmann::json& GetObject(const nlohmann::json& object, const char* key);
const nlohmann::json& GetArray(const nlohmann::json& object, const char* key);

// "20:00:00:E0:8B:01:02:03" (":" or "-" between bytes); false when malformed.
bool ParseWwn(const std::string& text, uint8_t out[8]);
// Hexadecimal id text with or without "0x"; false when malformed or wider
// than 16 bits.
bool ParseHex16(const std::string& text, uint16_t& out);

// The built file of a fake library variant as the host state names it
// ("full" or empty, "no_register", "no_extension", "no_QMXFC_OpenAdapter" ...);
// empty for a name no variant has.
std::string LibraryVariantFile(const std::string& variant);

// Canonical form of a library path: symbolic links in the directory part are
// resolved (so "/lib/cim/x.so" and "/usr/lib/cim/x.so" name the same file on
// merged-usr systems); the text itself when that fails.
std::string CanonicalPath(const std::string& path);

}  // namespace SimState
