#include "archive/NewDataFile.h"

#include <cstdint>
#include <string>

#include "archive/FileId.h"
#include "archive/IndexKey.h"
#include "archive/SystemSave.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"

namespace loom {
namespace {

// More seconds than a day: only a folder gone wrong runs out of them.
constexpr int kNames = 100000;

}  // namespace

std::filesystem::path SaveNewDataFile(AppContext& context, std::string_view fileId,
                                      std::string_view templateName, std::string_view password,
                                      const FieldStore& values, bool reportErrors) {
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Files);
    context.files().createFolder(folder);
    std::uint32_t time = 0;
    char letter = 0;
    const bool parsed = ParseFileId(fileId, time, letter);
    const std::string first(fileId);
    const auto nameFor = [&](int step) {
        return dataFilePath(
            folder,
            step == 0 ? first : MakeFileId(time + static_cast<std::uint32_t>(step), letter));
    };
    DataFile file(context);
    const std::filesystem::path taken =
        file.WriteNew(nameFor, parsed ? kNames : 1, templateName, password, values, reportErrors);
    if (!taken.empty()) IndexSystem(context, file);
    return taken;
}

}  // namespace loom
