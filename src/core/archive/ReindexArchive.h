#pragma once

#include <cstddef>

namespace loom {

class AppContext;

// What a rebuild found, for callers that report it.
struct ReindexCounts {
    std::size_t dataFiles = 0;         // .KQD files in FILES
    std::size_t indexedFiles = 0;      // of them, read and given a line in DATA.KQI
    std::size_t indexedTemplates = 0;  // lines in FORM.KQI
};

// Message 39: true when the user wants the index rebuilt. The program asks it apart from
// the rebuild so that only the rebuild runs under a wait cursor.
bool ConfirmReindex(AppContext& context);
// "Skapa index": asks message 39 first; false when the user does not answer yes or the
// rebuild fails.
bool ConfirmAndReindexArchive(AppContext& context, ReindexCounts* counts = nullptr);

// Rebuilds DATA.KQI from every data file in FILES that can be read (without messages) and
// FORM.KQI from the header of every template in FORMS. A data file whose key (its name up
// to the first dot) belongs to another file is left out with a warning: the key leads to
// <key>.KQD only. False when either index cannot be written, after message 40 with the
// file and the reason; templates that cannot be read do not change the result. Each index
// is held locked while it is rebuilt and replaced as a whole, so that a failure or a second
// instance never sees it half written.
bool ReindexArchive(AppContext& context, ReindexCounts* counts = nullptr);

}  // namespace loom
