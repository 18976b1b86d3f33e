#pragma once

#include <array>
#include <filesystem>
#include <string_view>

namespace loom {

// The program's fixed folders and files, all directly below the program directory.
enum class ProgramFolder { Forms, Files, Index, Pictures, Help, Log, Convert };

// The folder below which the program keeps its archive, templates and LOGIN.KEY.
class ProgramDirectory {
  public:
    // Every folder of the program, in the order of the folder table.
    static constexpr std::array kFolders = {
        ProgramFolder::Forms, ProgramFolder::Files, ProgramFolder::Index,  ProgramFolder::Pictures,
        ProgramFolder::Help,  ProgramFolder::Log,   ProgramFolder::Convert};

    // The current directory.
    ProgramDirectory() = default;
    explicit ProgramDirectory(std::filesystem::path root) : root_(std::move(root)) {}

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path folder(ProgramFolder which) const { return root_ / folderName(which); }
    std::filesystem::path file(ProgramFolder which, std::string_view name) const {
        return folder(which) / std::filesystem::path(name);
    }
    std::filesystem::path loginKey() const { return root_ / "LOGIN.KEY"; }
    std::filesystem::path modemCommands() const { return root_ / "modem.txt"; }

    // "FORMS", "FILES", "INDEX", "PICTURES", "HELP", "LOG", "Convert".
    static std::string_view folderName(ProgramFolder which);

    // File name extensions of data files and templates.
    static constexpr std::string_view kDataExtension = ".KQD";
    static constexpr std::string_view kTemplateExtension = ".FRM";
    static constexpr std::string_view kConversionExtension = ".cnv";

    // Where resolve() found the folder.
    enum class Origin { Explicit, Environment, Executable, UserData };

    // Which folder to use, in this order: an explicit --home (non-empty), the
    // LOOMCRAFT_HOME variable (`environmentHome`, non-empty), the executable's folder when
    // it holds one of the program's folders or LOGIN.KEY (a portable install), otherwise
    // the user's data folder for the program. `origin`, when given, says which it was.
    static ProgramDirectory resolve(std::string_view explicitHome, const char* environmentHome,
                                    const std::filesystem::path& executable,
                                    Origin* origin = nullptr);
    // Whether `folder` already holds the program's data: any of its folders or LOGIN.KEY.
    static bool holdsProgramData(const std::filesystem::path& folder);
    // The running executable's full path (empty when the platform cannot tell).
    static std::filesystem::path executablePath();
    // Where a non-portable install keeps its data: $XDG_DATA_HOME/loomcraft, else
    // ~/.local/share/loomcraft (the platform's equivalent elsewhere).
    static std::filesystem::path userDataDirectory();

  private:
    std::filesystem::path root_;
};

}  // namespace loom
