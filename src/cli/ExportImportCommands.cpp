#include "CliCommand.h"

namespace loom::cli {

void registerExportImportCommands(CLI::App&, CliContext&) {}

}  // namespace loom::cli
