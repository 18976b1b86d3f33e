#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/SearchResults.h"

namespace loom {

class AppContext;
class OpenDocument;

// Which files the export dialog's radio buttons choose.
enum class ExportSelection { All, ChangedAfter, Current, FilesInList };

// What the export dialog shows and the user has entered. The date is code page 1252; the
// folder goes as the file system names it, whatever its characters.
struct ExportRequest {
    // The result lists "Filer i listan" offers: the non-empty ones, in tab order.
    std::vector<ResultList> offeredLists;
    // "Aktuell" needs a system that has been saved at least once.
    bool currentEnabled = false;

    ExportSelection selection = ExportSelection::All;
    std::string dateText;
    std::optional<ResultList> chosenList;
    std::filesystem::path folder;

    bool filesInListEnabled() const { return !offeredLists.empty(); }

    // The dialog as it opens: the first offered list chosen, and "Ändrade efter" with the
    // date of the last export when there was one, otherwise "Alla".
    static ExportRequest opening(AppContext& context, const OpenDocument* document);
};

}  // namespace loom
