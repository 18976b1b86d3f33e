#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace loom::kqform {

// Writes `data` to a temporary file beside `path` and renames it over `path`, so readers
// see the old file or the whole new one. Returns an empty string, or why it failed.
std::string writeFileAtomically(const std::filesystem::path& path, std::string_view data);

// Reads a whole file; false (with `error` set) when it cannot be read.
bool readWholeFile(const std::filesystem::path& path, std::string& data, std::string& error);

}  // namespace loom::kqform
