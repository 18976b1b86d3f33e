#include "CliCommand.h"

namespace loom::cli {

void registerValueCommands(CLI::App& app, CliContext& ctx) {
    (void)app;
    (void)ctx;
}

}  // namespace loom::cli
