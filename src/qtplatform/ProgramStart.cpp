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

}  // namespace loom
