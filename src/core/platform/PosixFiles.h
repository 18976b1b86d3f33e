#pragma once

// The POSIX steps the local file system's pieces share (LocalFileSystem.cpp,
// LocalLockedFile.cpp). Not for use outside the platform layer.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace loom::posixfiles {

// open() again after an interruption by a signal.
int openRetrying(const char* path, int flags, mode_t mode = 0);

// Writes all of `size` bytes at the descriptor's position, or at `offset` when given;
// `err` gets errno on failure.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size, int& err,
              std::optional<off_t> offset = std::nullopt);

// The folder of `path`; "." for a bare name.
std::filesystem::path folderOf(const std::filesystem::path& path);

// Makes a rename inside `folder` durable, as far as the file system allows.
void syncFolder(const std::filesystem::path& folder);

// flock() exclusively without waiting.
bool lockExclusive(int fd, int& err);

// Creates a new file beside `target` that nobody else can have opened: `target` + ".tmp" +
// 16 random hexadecimal digits, created exclusively, locked while it is ours and with the
// permissions of the file it is to replace. Invalid (with `err`) on failure.
UniqueFd createTemporaryBeside(const std::filesystem::path& target, int flags,
                               std::filesystem::path& temporary, int& err);

// True for a name createTemporaryBeside() gives.
bool isTemporaryName(std::string_view name);

// The reason for a file that is not a regular one.
std::string notRegularText(const struct stat& st);

// fstat() of an open file that must be a regular one; false with the reason otherwise.
bool statRegular(int fd, struct stat& st, std::string& error);

// Makes a finished temporary file (created by createTemporaryBeside) durable and renames it
// over `target`; on failure the temporary file is removed and `err` says why.
bool publishTemporary(int fd, const std::filesystem::path& temporary,
                      const std::filesystem::path& target, int& err);

}  // namespace loom::posixfiles
