#include "CliCommand.h"

namespace loom::cli {

void registerLogCommands(CLI::App&, CliContext&) {}

}  // namespace loom::cli
