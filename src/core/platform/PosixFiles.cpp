#include "platform/PosixFiles.h"

#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "common/Messages.h"
#include "platform/FileSystem.h"

namespace loom::posixfiles {
namespace {

constexpr std::string_view kTemporaryMark = ".tmp";
constexpr std::size_t kTemporaryDigits = 16;

}  // namespace

int openRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size, int& err,
              std::optional<off_t> offset) {
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

// Some file systems refuse fsync on a folder; the rename has happened all the same, so
// failures are ignored.
void syncFolder(const std::filesystem::path& folder) {
    UniqueFd fd(openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) ::fsync(fd.get());
}

bool lockExclusive(int fd, int& err) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        err = errno;
        return false;
    }
}

UniqueFd createTemporaryBeside(const std::filesystem::path& target, int flags,
                               std::filesystem::path& temporary, int& err) {
    static constexpr char kHex[] = "0123456789abcdef";
    // Seeded once per thread: reading the system's entropy for every save was a tenth of
    // the time of re-enciphering a large archive. The exclusive create, not the name,
    // is what keeps the file ours.
    thread_local std::mt19937_64 random{std::random_device{}()};
    err = EEXIST;
    for (int attempt = 0; attempt < 64 && err == EEXIST; ++attempt) {
        std::uint64_t bits = random();
        std::string suffix(kTemporaryMark);
        for (std::size_t i = 0; i < kTemporaryDigits; ++i, bits >>= 4)
            suffix.push_back(kHex[bits & 0xF]);
        temporary = target;
        temporary += suffix;
        UniqueFd fd(openRetrying(temporary.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (fd) {
            // The lock tells a sweep for leftovers that the file is being written; a file
            // system without locks still saves.
            int lockError = 0;
            lockExclusive(fd.get(), lockError);
            // The new content takes the place of the old file and keeps its permissions:
            // a password file made private must not turn readable by a rewrite.
            struct stat old {};
            if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                ::fchmod(fd.get(), old.st_mode & 07777);
            return fd;
        }
        err = errno;
    }
    temporary.clear();
    return UniqueFd();
}

bool isTemporaryName(std::string_view name) {
    const std::size_t tail = kTemporaryMark.size() + kTemporaryDigits;
    if (name.size() <= tail) return false;
    const std::string_view end = name.substr(name.size() - tail);
    if (end.substr(0, kTemporaryMark.size()) != kTemporaryMark) return false;
    return std::all_of(end.begin() + static_cast<std::ptrdiff_t>(kTemporaryMark.size()), end.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string notRegularText(const struct stat& st) {
    return S_ISDIR(st.st_mode) ? systemErrorText(EISDIR)
                               : std::string(messageText(MessageId::ReasonNotRegularFile));
}

bool statRegular(int fd, struct stat& st, std::string& error) {
    if (::fstat(fd, &st) != 0) {
        error = systemErrorText(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = notRegularText(st);
        return false;
    }
    return true;
}

bool publishTemporary(int fd, const std::filesystem::path& temporary,
                      const std::filesystem::path& target, int& err) {
    if (::fsync(fd) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folderOf(target));
    return true;
}

}  // namespace loom::posixfiles

#endif
