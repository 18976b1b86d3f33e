#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "CliCommand.h"

namespace loom::test {

struct CliRun {
    int code;
    std::string out, err;
};

// Runs the command line tool in process on `args` (without the program name).
inline CliRun runCli(std::vector<std::string> args) {
    args.insert(args.begin(), "loomcraft-cli");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int code = cli::runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

}  // namespace loom::test
