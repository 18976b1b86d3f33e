#pragma once

#include <filesystem>

namespace loom {

// What the event log window's "Spara..." writes.
enum class LogExportFormat { Pdf, Csv };

// The format a name chosen in the save dialog asks for: its ending (".pdf" or ".csv", in
// any letter case), or else the dialog's filter, whose ending is then added to `path`.
LogExportFormat logExportTarget(std::filesystem::path& path, LogExportFormat chosenFilter);

}  // namespace loom
