#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace loom::kqform {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

// The command line of kqform without the program name; returns the exit code.
int runKqform(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace loom::kqform
