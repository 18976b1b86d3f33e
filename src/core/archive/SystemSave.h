#pragma once

#include <filesystem>
#include <string_view>

#include "fields/FieldStore.h"

namespace loom {

class AppContext;
class DataFile;

// What saving a system did.
struct SavedSystem {
    bool written = false;  // the data file holds the values
    bool indexed = false;  // and DATA.KQI holds its line
};

// Saves `values` as the system at `path`, then stores the file's line (its display name) in
// DATA.KQI: the one way the archive's systems are saved, so that the index follows the
// files. A failed write leaves the previous file and the index as they were; its report
// gives the reason.
SavedSystem SaveSystem(AppContext& context, const std::filesystem::path& path,
                       std::string_view templateName, std::string_view password,
                       const FieldStore& values, bool reportErrors);

// Stores the line of a file just written or read in DATA.KQI. The file is saved either way:
// an index that cannot be updated says so itself and is mended by the next rebuild.
bool IndexSystem(AppContext& context, const DataFile& file);

}  // namespace loom
