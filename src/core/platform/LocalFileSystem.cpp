// The local disk through POSIX calls. Everything that differs between operating systems
// is in this file, so that a Windows build needs a second implementation here only.

#include "platform/FileSystem.h"

#if defined(_WIN32)
#error "LocalFileSystem is implemented for POSIX systems only; Windows needs its own branch here"
#else

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <system_error>
#include <utility>

namespace loom {
namespace {

std::string systemText(int err) {
    return std::generic_category().message(err);
}

// A file descriptor, closed when destroyed.
class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
};

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of `bytes` at the descriptor's position, or at `offset` when given.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size, int& err,
              std::optional<off_t> offset = std::nullopt) {
    while (size > 0) {
        const ssize_t n = offset ? ::pwrite(fd, data, size, *offset) : ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        if (offset) *offset += n;
    }
    return true;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    std::filesystem::path parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// Makes a rename inside `folder` durable. Some file systems refuse fsync on a folder;
// the rename has happened all the same, so failures are ignored.
void syncFolder(const std::filesystem::path& folder) {
    Descriptor fd(openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

// Creates a new file beside `target` that nobody else can have opened: a random name,
// created exclusively.
Descriptor createTemporaryBeside(const std::filesystem::path& target, int flags,
                                 std::filesystem::path& temporary, std::string& error) {
    static constexpr char kHex[] = "0123456789abcdef";
    // Seeded once per thread: reading the system's entropy for every save was a tenth of
    // the time of re-enciphering a large archive. The exclusive create, not the name,
    // is what keeps the file ours.
    thread_local std::mt19937_64 random{std::random_device{}()};
    int err = EEXIST;
    for (int attempt = 0; attempt < 64 && err == EEXIST; ++attempt) {
        std::uint64_t bits = random();
        std::string suffix = ".tmp";
        for (int i = 0; i < 16; ++i, bits >>= 4)
            suffix.push_back(kHex[bits & 0xF]);
        temporary = target;
        temporary += suffix;
        Descriptor fd(openRetrying(temporary.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (fd.valid()) {
            // The new content takes the place of the old file and keeps its permissions:
            // a password file made private must not turn readable by a rewrite.
            struct stat old {};
            if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                ::fchmod(fd.get(), old.st_mode & 07777);
            return fd;
        }
        err = errno;
    }
    error = systemText(err);
    temporary.clear();
    return Descriptor();
}

class LocalInputFile final : public InputFile {
  public:
    LocalInputFile(Descriptor fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

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
    Descriptor fd_;
    std::uint64_t size_;
    bool failed_ = false;
};

class LocalOutputFile final : public OutputFile {
  public:
    LocalOutputFile(Descriptor fd, std::filesystem::path target, std::filesystem::path temporary)
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
        if (failed_ || committed_) return false;
        int err = 0;
        if (!writeAll(fd_.get(), bytes.data(), bytes.size(), err)) failed_ = true;
        return !failed_;
    }

    bool commit() override {
        if (failed_ || committed_) return false;
        if (::fsync(fd_.get()) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
            failed_ = true;
            return false;
        }
        committed_ = true;
        fd_.reset();
        syncFolder(folderOf(target_));
        return true;
    }

  private:
    Descriptor fd_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool failed_ = false;
    bool committed_ = false;
};

bool lockExclusive(int fd, int& err) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        err = errno;
        return false;
    }
}

// Holds an exclusive lock on the file at `path_` through `fd_`. replace() writes a new
// file, locks it before renaming it over the path and then swaps descriptors: the path
// is never unlocked, and later reads and appends act on the new file.
class LocalLockedFile final : public LockedFile {
  public:
    LocalLockedFile(Descriptor fd, std::filesystem::path path)
        : fd_(std::move(fd)), path_(std::move(path)) {}

    bool readAll(std::string& content, std::uint64_t limit) override {
        content.clear();
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0 || static_cast<std::uint64_t>(st.st_size) > limit)
            return false;
        // One allocation of the expected size instead of a chain of growing copies.
        content.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[16384];
        off_t offset = 0;
        for (;;) {
            const ssize_t n = ::pread(fd_.get(), buffer, sizeof buffer, offset);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (n == 0) return true;
            // The file may grow while it is read.
            if (content.size() + static_cast<std::size_t>(n) > limit) return false;
            content.append(buffer, static_cast<std::size_t>(n));
            offset += n;
        }
    }

    bool readChunks(const std::function<bool(std::string_view)>& sink,
                    std::uint64_t limit) override {
        // A piece that stays in the cache while the reader works on it.
        std::vector<char> buffer(64 * 1024);
        off_t offset = 0;
        std::uint64_t total = 0;
        for (;;) {
            const ssize_t n = ::pread(fd_.get(), buffer.data(), buffer.size(), offset);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (n == 0) return true;
            total += static_cast<std::uint64_t>(n);
            if (total > limit) return false;
            if (!sink(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return false;
            offset += n;
        }
    }

    bool append(std::string_view bytes) override {
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0) return false;
        int err = 0;
        return writeAll(fd_.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
                        bytes.size(), err, st.st_size) &&
               ::fdatasync(fd_.get()) == 0;
    }

    bool replace(std::string_view content) override {
        std::filesystem::path temporary;
        std::string error;
        Descriptor fd = createTemporaryBeside(path_, O_RDWR, temporary, error);
        if (!fd.valid()) return false;
        int err = 0;
        if (!lockExclusive(fd.get(), err) ||
            !writeAll(fd.get(), reinterpret_cast<const std::uint8_t*>(content.data()),
                      content.size(), err) ||
            ::fsync(fd.get()) != 0 || ::rename(temporary.c_str(), path_.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        fd_ = std::move(fd);
        syncFolder(folderOf(path_));
        return true;
    }

  private:
    Descriptor fd_;
    std::filesystem::path path_;
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
    Descriptor fd(openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        error = systemText(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = systemText(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error = systemText(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        return nullptr;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<LocalInputFile>(std::move(fd), static_cast<std::uint64_t>(st.st_size));
}

std::unique_ptr<OutputFile> LocalFileSystem::replaceFile(const std::filesystem::path& path,
                                                         std::string& error) {
    std::filesystem::path temporary;
    Descriptor fd = createTemporaryBeside(path, O_WRONLY, temporary, error);
    if (!fd.valid()) return nullptr;
    return std::make_unique<LocalOutputFile>(std::move(fd), path, std::move(temporary));
}

std::unique_ptr<LockedFile> LocalFileSystem::openLocked(const std::filesystem::path& path,
                                                        OpenMode mode, std::string& error) {
    const int flags = O_RDWR | O_CLOEXEC | (mode == OpenMode::CreateIfAbsent ? O_CREAT : 0);
    // Another holder may rename a new file over the path between our open and our lock;
    // the lock then sits on a file nobody reaches by name any more, so try again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        Descriptor fd(openRetrying(path.c_str(), flags, 0644));
        if (!fd.valid()) {
            error = systemText(errno);
            return nullptr;
        }
        struct stat held {};
        if (::fstat(fd.get(), &held) != 0) {
            error = systemText(errno);
            return nullptr;
        }
        if (!S_ISREG(held.st_mode)) {
            error = systemText(S_ISDIR(held.st_mode) ? EISDIR : EINVAL);
            return nullptr;
        }
        int err = 0;
        if (!lockExclusive(fd.get(), err)) {
            error = systemText(err);
            return nullptr;
        }
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino)
            return std::make_unique<LocalLockedFile>(std::move(fd), path);
    }
    error = systemText(EBUSY);
    return nullptr;
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
    error = systemText(errno);
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

}  // namespace loom

#endif
