#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace loom {
class AppContext;
}

namespace loom::cli {

// How a technician names things on the command line: by path, or by the names the archive
// shows (a data file's key as "index search" prints it, a template's file name in FORMS or
// its template name). A path that exists wins, so that a file in the current folder is
// never mistaken for an archived one. `typed` is UTF-8.

// A data file: a path, or "KEY" / "KEY.KQD" of a file in FILES. Nothing when neither exists.
std::optional<std::filesystem::path> findDataFile(AppContext& app, std::string_view typed);

// A template: a path, a file name in FORMS (".FRM" may be left out, any letter case), or a
// template name as data files record it (exact, else the first 13 characters). Nothing
// when none of them exists.
std::optional<std::filesystem::path> findTemplate(AppContext& app, std::string_view typed);

// The template in FORMS whose name is `templateName` (code page 1252); a template whose
// name agrees on the first 13 characters is taken when none has the exact name.
std::optional<std::filesystem::path> findTemplateByName(AppContext& app,
                                                        std::string_view templateName);

// True when two template names name the same panel model (their first 13 characters,
// without regard to letter case), as the program matches a system to its template.
bool sameModel(std::string_view a, std::string_view b);

}  // namespace loom::cli
