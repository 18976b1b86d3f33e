#pragma once

#include <filesystem>
#include <string_view>

namespace loom {

// Index keys name data files: FILES + key + ".KQD". An index line can come from anywhere
// (a hand-edited or planted DATA.KQI, an imported archive), so a key is only ever made
// into a path when it cannot leave the folder it is joined to: not empty, at most 255
// bytes, no path separator, no drive colon, no control character and no "..".
bool isSafeIndexKey(std::string_view key);

// folder / (key + ".KQD"), the key taken as code page 1252 like every other name the
// program shows. Only for keys that passed isSafeIndexKey.
std::filesystem::path dataFilePath(const std::filesystem::path& folder, std::string_view key);

}  // namespace loom
