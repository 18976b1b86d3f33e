#include "ProgramStart.h"

#include <cstdlib>

#include "QtSettingsStore.h"

namespace loom {

ProgramStart::ProgramStart(AppContext& app, std::string_view explicitHome)
    : app_(app), settings_(openProgramSettings()) {
    app_.setSettings(*settings_);
    app_.setProgramDirectory(ProgramDirectory::resolve(
        explicitHome, std::getenv("LOOMCRAFT_HOME"), ProgramDirectory::executablePath(), &origin_));
}

void ProgramStart::loadConversions() {
    app_.conversions().FreeConversions();
    app_.conversions().LoadConversions(app_.files(),
                                       app_.programDirectory().folder(ProgramFolder::Convert));
}

std::optional<std::filesystem::path> ProgramStart::layOutFolders() {
    const ProgramDirectory& home = app_.programDirectory();
    for (const ProgramFolder folder : ProgramDirectory::kFolders)
        if (!app_.files().createFolder(home.folder(folder))) return home.folder(folder);
    return std::nullopt;
}

}  // namespace loom
