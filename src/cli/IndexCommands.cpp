#include "CliCommand.h"

namespace loom::cli {

void registerIndexCommands(CLI::App&, CliContext&) {}

}  // namespace loom::cli
