#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace loom::kqform {

// Writes `data` to a new temporary file beside `path` and renames it over `path`, so readers
// see the old file or the whole new one. The temporary file is created exclusively and is
// removed again whenever the write fails. Returns an empty string, or why it failed.
std::string writeFileAtomically(const std::filesystem::path& path, std::string_view data);

// Reads a whole regular file; false (with `error` set) when it is something else or
// cannot be opened or read.
bool readWholeFile(const std::filesystem::path& path, std::string& data, std::string& error);

}  // namespace loom::kqform
