#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "context/AppContext.h"
#include "platform/ProgramDirectory.h"
#include "platform/SettingsStore.h"

namespace loom {

// The one start-up of the program and the CLI: the user's settings store (LOOMCRAFT_SETTINGS
// or the native one), the program directory (--home, LOOMCRAFT_HOME, the executable's
// folder, the user's data folder), both handed to the context; the conversions when asked.
// Lives as long as the context uses its settings.
class ProgramStart {
  public:
    ProgramStart(AppContext& app, std::string_view explicitHome);
    ProgramStart(const ProgramStart&) = delete;
    ProgramStart& operator=(const ProgramStart&) = delete;

    // Where the program directory was found.
    ProgramDirectory::Origin origin() const { return origin_; }
    SettingsStore& settings() { return *settings_; }
    // Every Convert/*.cnv of the program directory (none when the folder is missing).
    void loadConversions();
    // Makes every missing folder of the program directory (and the directory itself);
    // the first folder that could not be made, or nothing.
    std::optional<std::filesystem::path> layOutFolders();

  private:
    AppContext& app_;
    std::unique_ptr<SettingsStore> settings_;
    ProgramDirectory::Origin origin_{};
};

}  // namespace loom
