#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/Messages.h"

namespace loom {

// A file opened for reading, closed when destroyed.
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Up to out.size() bytes; 0 at the end of the file or on an error (see failed()).
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
    virtual bool failed() const = 0;
    virtual std::uint64_t size() const = 0;
};

// How OutputFile::commitNew() ended.
enum class NewFileResult { Created, NameTaken, Failed };

// A new content for a file. Bytes go to a temporary file beside the target; commit()
// flushes it to the disk and renames it over the target, so readers see the old file or
// the whole new one. Destroying it without a successful commit removes the temporary
// file and leaves the target as it was.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // False on a short or failed write; later writes and commit() then fail too.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    virtual bool commit() = 0;
    // commit() for a file that must not replace another: the finished content gets the
    // name `target` (in the folder of the path given to replaceFile) only if no file has
    // it, claimed in one step so that two writers never both get it. After NameTaken the
    // output stays as it was, to try another name.
    virtual NewFileResult commitNew(const std::filesystem::path& target) = 0;
    // Why the last write(), commit() or commitNew() failed (systemErrorText).
    virtual std::string error() const = 0;
};

// A file held open without sharing for one operation (index files, LOGIN.KEY): while it
// is held, another attempt to open it fails at once instead of waiting.
class LockedFile {
  public:
    virtual ~LockedFile() = default;
    // False when the file cannot be read or holds more than `limit` bytes (nothing is
    // read then), so that a damaged or planted file cannot exhaust the memory.
    virtual bool readAll(std::string& content, std::uint64_t limit) = 0;
    // The content in pieces of any size, in order, for readers that need not hold all of it
    // (a search of a large index). False on a read error, past `limit` bytes, or when
    // `sink` returns false.
    virtual bool readChunks(const std::function<bool(std::string_view)>& sink, std::uint64_t limit);
    // Adds bytes at the end, in place, and flushes them to the disk; when that cannot be
    // completed the file is cut back to its old size.
    virtual bool append(std::string_view bytes) = 0;
    // The whole new content, through a temporary file and a rename, keeping the hold.
    virtual bool replace(std::string_view content) = 0;
    // Why the last failed operation failed (systemErrorText).
    virtual std::string error() const = 0;
};

enum class OpenMode { Existing, CreateIfAbsent };

// The file operations the core needs, behind one interface so that tests can make any of
// them fail. Paths are the platform's; error texts come from systemErrorText().
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Null (with `error`) when the file cannot be opened or is not a regular file.
    virtual std::unique_ptr<InputFile> openRead(const std::filesystem::path& path,
                                                std::string& error) = 0;
    // Null (with `error`) when no temporary file can be made beside `path`. The temporary
    // file is named `path` + ".tmp" + 16 hexadecimal digits.
    virtual std::unique_ptr<OutputFile> replaceFile(const std::filesystem::path& path,
                                                    std::string& error) = 0;
    // A symbolic link at `path` is read through but never written through: the first
    // change replaces the link by a file of its own.
    virtual std::unique_ptr<LockedFile> openLocked(const std::filesystem::path& path, OpenMode mode,
                                                   std::string& error) = 0;

    // Names of the regular files directly in `folder` whose names end in `extension`,
    // compared without regard to letter case, in the order the file system gives them;
    // empty when the folder is missing.
    virtual std::vector<std::string> list(const std::filesystem::path& folder,
                                          std::string_view extension) = 0;
    virtual bool exists(const std::filesystem::path& path) = 0;
    virtual bool isDirectory(const std::filesystem::path& path) = 0;
    virtual bool remove(const std::filesystem::path& path, std::string& error) = 0;
    virtual bool createFolder(const std::filesystem::path& path) = 0;
    // Last-write time in seconds since 1970, or nothing.
    virtual std::optional<std::int64_t> lastWriteTime(const std::filesystem::path& path) = 0;
    virtual bool setLastWriteTime(const std::filesystem::path& path, std::int64_t seconds) = 0;

    // Reads a whole file of at most `limit` bytes into `content`.
    bool readWhole(const std::filesystem::path& path, std::string& content, std::string& error,
                   std::uint64_t limit = std::uint64_t{1} << 30);
    // Writes a whole file through replaceFile().
    bool writeWhole(const std::filesystem::path& path, std::string_view content,
                    std::string& error);
    // Copies `from` over `to` through replaceFile() (the old `to` survives a failure) and
    // gives the copy the source's last-write time, as a copy by the system does.
    bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::string& error);
};

// The local disk. The first write into a folder removes the temporary files that
// interrupted saves left there (removeStaleTemporaries).
class LocalFileSystem final : public FileSystem {
  public:
    // Seconds after its last change from which a temporary file that no process holds is
    // taken for a leftover: far beyond the longest save.
    static constexpr std::int64_t kStaleTemporaryAge = 3600;

    LocalFileSystem() = default;
    LocalFileSystem(const LocalFileSystem&) = delete;
    LocalFileSystem& operator=(const LocalFileSystem&) = delete;

    std::unique_ptr<InputFile> openRead(const std::filesystem::path& path,
                                        std::string& error) override;
    std::unique_ptr<OutputFile> replaceFile(const std::filesystem::path& path,
                                            std::string& error) override;
    std::unique_ptr<LockedFile> openLocked(const std::filesystem::path& path, OpenMode mode,
                                           std::string& error) override;
    std::vector<std::string> list(const std::filesystem::path& folder,
                                  std::string_view extension) override;
    bool exists(const std::filesystem::path& path) override;
    bool isDirectory(const std::filesystem::path& path) override;
    bool remove(const std::filesystem::path& path, std::string& error) override;
    bool createFolder(const std::filesystem::path& path) override;
    std::optional<std::int64_t> lastWriteTime(const std::filesystem::path& path) override;
    bool setLastWriteTime(const std::filesystem::path& path, std::int64_t seconds) override;

    // Removes the files in `folder` named as replaceFile() names its temporary files that
    // were last changed over kStaleTemporaryAge seconds ago and that no process holds
    // open for writing. Returns how many went.
    std::size_t removeStaleTemporaries(const std::filesystem::path& folder);

  private:
    // Sweeps `folder` once in the life of this object.
    void sweepOnce(const std::filesystem::path& folder);

    std::mutex sweptMutex_;
    std::set<std::filesystem::path> swept_;
};

// The reason for a failed file operation as messages show it: Swedish (code page 1252)
// for the common errno values, the system's own text otherwise.
std::string systemErrorText(int err);

// Message `what` about the file at `path` ("Kan inte spara filen.\nfil: %s"), with the
// reason on a line of its own below when there is one.
std::string fileMessage(MessageId what, const std::filesystem::path& path,
                        std::string_view reason = {});

// A path as messages show it (code page 1252), and the path a code page 1252 text names.
std::string pathText(const std::filesystem::path& path);
std::filesystem::path pathFromText(std::string_view text);

}  // namespace loom
