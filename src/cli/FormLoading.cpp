#include "FormLoading.h"

#include "context/AppContext.h"
#include "template/Parser.h"

namespace loom::cli {

std::unique_ptr<LoadedForm> loadForm(AppContext& app, const std::filesystem::path& path) {
    auto loaded = std::make_unique<LoadedForm>();
    // Fixed units: a command shows no window, so any consistent units will do.
    ParserEnvironment env{loaded->tree,
                          app.eventTexts(),
                          app.rules(),
                          app.prompt(),
                          DialogUnits{8, 16, 2, 2},
                          nullptr,
                          app.programDirectory().root().string()};
    bool noErase = false;
    Parser parser;
    loaded->form = parser.Load(path.string(), env, noErase);
    if (!loaded->form) return nullptr;
    return loaded;
}

std::optional<std::filesystem::path> findTemplateByName(AppContext& app,
                                                        std::string_view templateName) {
    constexpr std::size_t kModelLength = 13;
    const std::filesystem::path folder = app.programDirectory().folder(ProgramFolder::Forms);
    std::optional<std::filesystem::path> similar;
    for (const std::string& file : app.files().list(folder, ProgramDirectory::kTemplateExtension)) {
        const std::filesystem::path path = folder / file;
        std::string name, title;
        Parser parser;
        if (!parser.ReadHeader(path.string(), name, title, true)) continue;
        if (name == templateName) return path;
        if (!similar && name.substr(0, kModelLength) == templateName.substr(0, kModelLength))
            similar = path;
    }
    return similar;
}

}  // namespace loom::cli
