#include "FormLoading.h"

#include "ArgumentNames.h"
#include "CliText.h"
#include "common/Cp1252.h"
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

std::unique_ptr<LoadedForm> loadTemplateFor(CliContext& ctx, AppContext& app,
                                            std::string_view typed,
                                            std::string_view systemTemplate) {
    std::optional<std::filesystem::path> path;
    if (!typed.empty()) {
        path = findTemplate(app, typed);
        if (!path) {
            ctx.err << "fel: ingen mall \"" << escapeControls(typed)
                    << "\": varken en fil, ett filnamn i "
                    << app.programDirectory().folder(ProgramFolder::Forms).string()
                    << " eller ett mallnamn\n";
        }
    } else if (!systemTemplate.empty()) {
        path = findTemplateByName(app, systemTemplate);
        if (!path) {
            ctx.err << "fel: systemets mall \"" << escapeControls(cp1252ToUtf8(systemTemplate))
                    << "\" finns inte i "
                    << app.programDirectory().folder(ProgramFolder::Forms).string()
                    << " (ange en mall med --form)\n";
        }
    } else {
        ctx.err << "fel: ange mallen med --form\n";
    }
    std::unique_ptr<LoadedForm> loaded = path ? loadForm(app, *path) : nullptr;
    if (!loaded) ctx.exitCode = kExitRefused;
    return loaded;
}

}  // namespace loom::cli
