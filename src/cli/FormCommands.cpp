#include "CliCommand.h"

namespace loom::cli {

void registerFormCommands(CLI::App& app, CliContext& ctx) {
    (void)app;
    (void)ctx;
}

}  // namespace loom::cli
