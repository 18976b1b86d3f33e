#include "FormLoading.h"

#include "archive/TemplateFolder.h"
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
    std::optional<std::filesystem::path> exact, similar;
    scanTemplateHeaders(app, [&](const TemplateFileHeader& header) {
        if (header.name == templateName) {
            exact = folder / header.file;
            return false;
        }
        if (!similar && header.name.substr(0, kModelLength) == templateName.substr(0, kModelLength))
            similar = folder / header.file;
        return true;
    });
    return exact ? exact : similar;
}

}  // namespace loom::cli
