#include "eventlog/LogExportFormat.h"

#include <string>

namespace loom {

LogExportFormat logExportTarget(std::filesystem::path& path, LogExportFormat chosenFilter) {
    std::string ending = path.extension().string();
    for (char& c : ending)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (ending == ".pdf") return LogExportFormat::Pdf;
    if (ending == ".csv") return LogExportFormat::Csv;
    path += chosenFilter == LogExportFormat::Pdf ? ".pdf" : ".csv";
    return chosenFilter;
}

}  // namespace loom
