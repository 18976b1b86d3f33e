#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace loom::panelsim {

class PanelSimulator;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The command line of loomcraft-panelsim without the program name. Starts the panel,
// prints its endpoints and "ready", then calls `serve` (which returns when the panel is to
// stop) and stops it. Returns the exit code.
int runPanelsim(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const std::function<void(PanelSimulator&)>& serve);

}  // namespace loom::panelsim
