#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "context/AppContext.h"
#include "document/ProgramState.h"
#include "platform/ProgramDirectory.h"
#include "platform/SettingsStore.h"

namespace loom {

// The one start-up of the program and the CLI, and their composition root: it owns the
// process-wide state and the context that refers to it (ProgramState), with the user's
// settings store (LOOMCRAFT_SETTINGS or the native one) and the program directory (--home,
// LOOMCRAFT_HOME, the executable's folder, the user's data folder) handed to the context;
// the conversions when asked.
class ProgramStart {
  public:
    ProgramStart(UserPrompt& prompt, std::string_view explicitHome);
    ProgramStart(const ProgramStart&) = delete;
    ProgramStart& operator=(const ProgramStart&) = delete;

    AppContext& context() { return state_; }
    // Where the program directory was found.
    ProgramDirectory::Origin origin() const { return origin_; }
    SettingsStore& settings() { return *settings_; }
    // Every Convert/*.cnv of the program directory (none when the folder is missing).
    void loadConversions();
    // Makes every missing folder of the program directory (and the directory itself);
    // the first folder that could not be made, or nothing.
    std::optional<std::filesystem::path> layOutFolders();

  private:
    // Before the state, which refers to it until its end.
    std::unique_ptr<SettingsStore> settings_;
    ProgramState state_;
    ProgramDirectory::Origin origin_{};
};

}  // namespace loom
