#include "ProgramStart.h"

#include <cstdlib>

#include "QtSettingsStore.h"
#include "conversion/ConversionList.h"

namespace loom {

ProgramStart::ProgramStart(UserPrompt& prompt, std::string_view explicitHome)
    : settings_(openProgramSettings()), state_(prompt) {
    state_.setSettings(*settings_);
    state_.setProgramDirectory(ProgramDirectory::resolve(
        explicitHome, std::getenv("LOOMCRAFT_HOME"), ProgramDirectory::executablePath(), &origin_));
}

void ProgramStart::loadConversions() {
    state_.conversions().FreeConversions();
    state_.conversions().LoadConversions(state_.files(),
                                         state_.programDirectory().folder(ProgramFolder::Convert));
}

std::optional<std::filesystem::path> ProgramStart::layOutFolders() {
    const ProgramDirectory& home = state_.programDirectory();
    for (const ProgramFolder folder : ProgramDirectory::kFolders)
        if (!state_.files().createFolder(home.folder(folder))) return home.folder(folder);
    return std::nullopt;
}

}  // namespace loom
