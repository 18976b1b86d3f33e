#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace loom {

class AppContext;

// The folder a user typed into the export or import dialog: it must name an existing
// directory, otherwise message 53 is shown and nothing is returned. The folder comes back
// with a trailing separator.
std::optional<std::filesystem::path> checkFolder(AppContext& context,
                                                 const std::filesystem::path& folder);

// A folder as the result lists hold it: code page 1252 with a trailing separator.
std::string folderText(const std::filesystem::path& folder);

}  // namespace loom
