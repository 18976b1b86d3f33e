#pragma once

// The local disk's LockedFile (POSIX). Not for use outside the platform layer: the core
// reaches it through LocalFileSystem::openLocked().

#include <filesystem>
#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace loom {

// Opens and locks the file at `path` as FileSystem::openLocked() describes.
std::unique_ptr<LockedFile> openLocalLockedFile(const std::filesystem::path& path, OpenMode mode,
                                                std::string& error);

}  // namespace loom
