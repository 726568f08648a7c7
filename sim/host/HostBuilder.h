#pragma once
// The simulated host of a scenario, built in a directory that the sandbox
// then mounts (fwsim-host runs it; so can a fuzz target, inside a scratch
// directory).
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/common/SimState.h"

namespace HostBuilder {

// Runs argv[0] (found on PATH) with its arguments in a directory, no shell
// between; its exit code, -1 when it could not be run. Packs the Emulex kit.
using Runner = std::function<int(const std::string& dir, const std::vector<std::string>& argv)>;

// Builds the host of `scenario` under `root`, copying the simulator's files
// from `sim_dir`. False, with the reason in `error`, when the scenario
// cannot be built; what was made so far stays under root. Nothing is
// written outside root.
bool Build(const nlohmann::json& scenario, const std::string& root, const std::string& sim_dir, std::string& error,
           const Runner& run = SimState::RunIn);
// The same for the scenario held in a JSON file.
bool BuildFromFile(const std::string& scenario_file, const std::string& root, const std::string& sim_dir,
                   std::string& error, const Runner& run = SimState::RunIn);

}  // namespace HostBuilder
