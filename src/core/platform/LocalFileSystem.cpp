// The local disk through POSIX calls. Everything that differs between operating systems
// is in this file, LocalLockedFile.cpp and PosixFiles.cpp, so that a Windows build needs
// second implementations there only.

#include "platform/FileSystem.h"

#if defined(_WIN32)
#error "LocalFileSystem is implemented for POSIX systems only; Windows needs its own branch here"
#else

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <utility>

#include "platform/LocalLockedFile.h"
#include "platform/PosixFiles.h"

namespace loom {
namespace {

using namespace posixfiles;

class LocalInputFile final : public InputFile {
  public:
    LocalInputFile(UniqueFd fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

    std::size_t read(std::span<std::uint8_t> out) override {
        if (failed_ || out.empty()) return 0;
        for (;;) {
            const ssize_t n = ::read(fd_.get(), out.data(), out.size());
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno == EINTR) continue;
            failed_ = true;
            return 0;
        }
    }
    bool failed() const override { return failed_; }
    std::uint64_t size() const override { return size_; }

  private:
    UniqueFd fd_;
    std::uint64_t size_;
    bool failed_ = false;
};

class LocalOutputFile final : public OutputFile {
  public:
    LocalOutputFile(UniqueFd fd, std::filesystem::path target, std::filesystem::path temporary)
        : fd_(std::move(fd)), target_(std::move(target)), temporary_(std::move(temporary)) {}
    ~LocalOutputFile() override {
        if (!committed_) {
            fd_.reset();
            ::unlink(temporary_.c_str());
        }
    }
    LocalOutputFile(const LocalOutputFile&) = delete;
    LocalOutputFile& operator=(const LocalOutputFile&) = delete;

    // Callers write in large pieces already, so each goes straight to the file.
    bool write(std::span<const std::uint8_t> bytes) override {
        if (failed_ || committed_) return refuse();
        if (!writeAll(fd_.get(), bytes.data(), bytes.size(), err_)) failed_ = true;
        return !failed_;
    }

    bool commit() override {
        if (failed_ || committed_ || !synced()) return refuse();
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) return fail(errno);
        published();
        return true;
    }

    NewFileResult commitNew(const std::filesystem::path& target) override {
        if (failed_ || committed_ || !synced()) {
            refuse();
            return NewFileResult::Failed;
        }
        const int err = publishNew(target);
        if (err == EEXIST) return NewFileResult::NameTaken;
        if (err != 0) {
            fail(err);
            return NewFileResult::Failed;
        }
        target_ = target;
        published();
        return NewFileResult::Created;
    }

    std::string error() const override { return systemErrorText(err_ != 0 ? err_ : EIO); }

  private:
    bool refuse() {
        if (err_ == 0) err_ = EIO;
        return false;
    }
    bool fail(int err) {
        err_ = err;
        failed_ = true;
        return false;
    }
    bool synced() {
        if (synced_) return true;
        if (::fsync(fd_.get()) != 0) return fail(errno);
        synced_ = true;
        return true;
    }
    void published() {
        committed_ = true;
        fd_.reset();
        syncFolder(folderOf(target_));
    }

    // Gives the temporary file the name `target` unless a file has it: 0, EEXIST when the
    // name is taken, or the error.
    int publishNew(const std::filesystem::path& target) {
#if defined(RENAME_NOREPLACE)
        if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) ==
            0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
            return errno;
#endif
        // A second name for the file, made only where none is: then the temporary one goes.
        if (::link(temporary_.c_str(), target.c_str()) == 0) {
            ::unlink(temporary_.c_str());
            return 0;
        }
        if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK &&
            errno != ENOSYS)
            return errno;
        // A file system without links: claim the name with an empty file, then rename over
        // it. A crash in between leaves an empty file, never a lost one.
        UniqueFd claim(openRetrying(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (!claim) return errno;
        claim.reset();
        if (::rename(temporary_.c_str(), target.c_str()) != 0) {
            const int err = errno;
            ::unlink(target.c_str());
            return err;
        }
        return 0;
    }

    UniqueFd fd_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int err_ = 0;
    bool failed_ = false;
    bool synced_ = false;
    bool committed_ = false;
};

bool endsWithIgnoringCase(std::string_view name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    const auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return std::equal(ending.begin(), ending.end(), name.end() - ending.size(), name.end(),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

}  // namespace

std::unique_ptr<InputFile> LocalFileSystem::openRead(const std::filesystem::path& path,
                                                     std::string& error) {
    // Non-blocking so that opening a fifo returns at once; it is refused below.
    UniqueFd fd(openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) {
        error = systemErrorText(errno);
        return nullptr;
    }
    struct stat st {};
    if (!statRegular(fd.get(), st, error)) return nullptr;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<LocalInputFile>(std::move(fd), static_cast<std::uint64_t>(st.st_size));
}

std::unique_ptr<OutputFile> LocalFileSystem::replaceFile(const std::filesystem::path& path,
                                                         std::string& error) {
    sweepOnce(folderOf(path));
    std::filesystem::path temporary;
    int err = 0;
    UniqueFd fd = createTemporaryBeside(path, O_WRONLY, temporary, err);
    if (!fd) {
        error = systemErrorText(err);
        return nullptr;
    }
    return std::make_unique<LocalOutputFile>(std::move(fd), path, std::move(temporary));
}

std::unique_ptr<LockedFile> LocalFileSystem::openLocked(const std::filesystem::path& path,
                                                        OpenMode mode, std::string& error) {
    if (mode == OpenMode::CreateIfAbsent) sweepOnce(folderOf(path));
    return openLocalLockedFile(path, mode, error);
}

std::vector<std::string> LocalFileSystem::list(const std::filesystem::path& folder,
                                               std::string_view extension) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;  // follows symbolic links
        std::string name = it->path().filename().string();
        if (endsWithIgnoringCase(name, extension)) names.push_back(std::move(name));
    }
    return names;
}

bool LocalFileSystem::exists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

bool LocalFileSystem::isDirectory(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool LocalFileSystem::remove(const std::filesystem::path& path, std::string& error) {
    if (::unlink(path.c_str()) == 0) return true;
    error = systemErrorText(errno);
    return false;
}

bool LocalFileSystem::createFolder(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

std::optional<std::int64_t> LocalFileSystem::lastWriteTime(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtime);
}

bool LocalFileSystem::setLastWriteTime(const std::filesystem::path& path, std::int64_t seconds) {
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;  // access time as it is
    times[1].tv_sec = static_cast<time_t>(seconds);
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::size_t LocalFileSystem::removeStaleTemporaries(const std::filesystem::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (isTemporaryName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    std::size_t removed = 0;
    for (const std::string& name : names) {
        const std::filesystem::path path = folder / name;
        UniqueFd fd(openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        if (!fd) continue;
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            now - static_cast<std::int64_t>(st.st_mtime) < kStaleTemporaryAge)
            continue;
        // A writer holds its temporary file locked, however long it takes.
        int err = 0;
        if (!lockExclusive(fd.get(), err)) continue;
        struct stat named {};
        if (::lstat(path.c_str(), &named) != 0 || named.st_ino != st.st_ino ||
            named.st_dev != st.st_dev)
            continue;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

void LocalFileSystem::sweepOnce(const std::filesystem::path& folder) {
    {
        const std::lock_guard<std::mutex> lock(sweptMutex_);
        if (!swept_.insert(folder).second) return;
    }
    removeStaleTemporaries(folder);
}

}  // namespace loom

#endif
