#include "archive/SystemSave.h"

#include "archive/IndexEngine.h"
#include "datafile/DataFile.h"

namespace loom {

SavedSystem SaveSystem(AppContext& context, const std::filesystem::path& path,
                       std::string_view templateName, std::string_view password,
                       const FieldStore& values, bool reportErrors) {
    DataFile file(context);
    SavedSystem saved;
    saved.written = file.Write(path, templateName, password, values, reportErrors);
    if (saved.written) saved.indexed = IndexSystem(context, file);
    return saved;
}

bool IndexSystem(AppContext& context, const DataFile& file) {
    return IndexEngine(context).StoreIndexLine(kDataIndex, file.DisplayName());
}

}  // namespace loom
