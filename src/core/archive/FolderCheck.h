#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace loom {

class AppContext;

// The folder a user typed into the export or import dialog (code page 1252): it must name
// an existing directory, otherwise message 53 is shown and nothing is returned.
std::optional<std::filesystem::path> checkFolder(AppContext& context, std::string_view text);

// A folder as the result lists hold it: code page 1252 with a trailing separator.
std::string folderText(const std::filesystem::path& folder);

}  // namespace loom
