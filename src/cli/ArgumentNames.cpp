#include "ArgumentNames.h"

#include "CliText.h"
#include "archive/IndexKey.h"
#include "archive/TemplateFolder.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "conversion/ConversionList.h"

namespace loom::cli {
namespace {

bool isFile(AppContext& app, const std::filesystem::path& path) {
    return app.files().exists(path) && !app.files().isDirectory(path);
}

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           cp1252Upper(text.substr(text.size() - ending.size())) == cp1252Upper(ending);
}

}  // namespace

bool sameModel(std::string_view a, std::string_view b) {
    return cp1252Upper(ConversionList::modelOf(a)) == cp1252Upper(ConversionList::modelOf(b));
}

std::optional<std::filesystem::path> findDataFile(AppContext& app, std::string_view typed) {
    const std::filesystem::path asPath{std::string(typed)};
    if (isFile(app, asPath)) return asPath;
    std::string key;
    if (!toCp1252(typed, key)) return std::nullopt;
    if (endsWithIgnoringCase(key, ProgramDirectory::kDataExtension))
        key.resize(key.size() - ProgramDirectory::kDataExtension.size());
    if (!isSafeIndexKey(key)) return std::nullopt;
    const std::filesystem::path folder = app.programDirectory().folder(ProgramFolder::Files);
    for (const std::string& candidate : {key, cp1252Upper(key)}) {
        std::filesystem::path path = dataFilePath(folder, candidate);
        if (isFile(app, path)) return path;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> findTemplate(AppContext& app, std::string_view typed) {
    const std::filesystem::path asPath{std::string(typed)};
    if (isFile(app, asPath)) return asPath;
    std::string name;
    if (!toCp1252(typed, name) || name.empty()) return std::nullopt;
    const std::filesystem::path folder = app.programDirectory().folder(ProgramFolder::Forms);
    const std::string wanted = cp1252Upper(name);
    const std::string wantedFile = endsWithIgnoringCase(name, ProgramDirectory::kTemplateExtension)
                                       ? wanted
                                       : wanted + std::string(ProgramDirectory::kTemplateExtension);
    std::optional<std::filesystem::path> byFile;
    for (const std::string& file : app.files().list(folder, ProgramDirectory::kTemplateExtension)) {
        if (cp1252Upper(utf8ToCp1252(file)) == wantedFile) {
            byFile = folder / file;
            break;
        }
    }
    if (byFile) return byFile;
    return findTemplateByName(app, name);
}

std::optional<std::filesystem::path> findTemplateByName(AppContext& app,
                                                        std::string_view templateName) {
    const std::filesystem::path folder = app.programDirectory().folder(ProgramFolder::Forms);
    std::optional<std::filesystem::path> exact, similar;
    scanTemplateHeaders(app, [&](const TemplateFileHeader& header) {
        if (header.name == templateName) {
            exact = folder / header.file;
            return false;
        }
        if (!similar && ConversionList::modelOf(header.name) == ConversionList::modelOf(templateName))
            similar = folder / header.file;
        return true;
    });
    return exact ? exact : similar;
}

}  // namespace loom::cli
