// The local disk's locked files: index files and LOGIN.KEY, held without sharing.

#include "platform/LocalLockedFile.h"

#if defined(_WIN32)
#error "LocalLockedFile is implemented for POSIX systems only"
#else

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/PosixFiles.h"

namespace loom {
namespace {

using namespace posixfiles;

// Callers read a file before they add to it, each within its own limit; this one only
// keeps a link to something else from being copied whole into memory.
constexpr std::uint64_t kLinkCopyLimit = std::uint64_t{1} << 30;

// Holds an exclusive lock on the file at `path_` through `fd_`. replace() writes a new
// file, locks it before renaming it over the path and then swaps descriptors: the path
// is never unlocked, and later reads and appends act on the new file. A file reached
// through a symbolic link (`viaLink`) is only read there: a change replaces the link.
class LocalLockedFile final : public LockedFile {
  public:
    LocalLockedFile(UniqueFd fd, std::filesystem::path path, bool viaLink)
        : fd_(std::move(fd)), path_(std::move(path)), viaLink_(viaLink) {}

    bool readAll(std::string& content, std::uint64_t limit) override {
        content.clear();
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0) return fail(errno);
        if (static_cast<std::uint64_t>(st.st_size) > limit) return fail(EFBIG);
        // One allocation of the expected size instead of a chain of growing copies.
        content.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[16384];
        off_t offset = 0;
        for (;;) {
            const ssize_t n = ::pread(fd_.get(), buffer, sizeof buffer, offset);
            if (n < 0) {
                if (errno == EINTR) continue;
                return fail(errno);
            }
            if (n == 0) return true;
            // The file may grow while it is read.
            if (content.size() + static_cast<std::size_t>(n) > limit) return fail(EFBIG);
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
                return fail(errno);
            }
            if (n == 0) return true;
            total += static_cast<std::uint64_t>(n);
            if (total > limit) return fail(EFBIG);
            if (!sink(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return false;
            offset += n;
        }
    }

    bool append(std::string_view bytes) override {
        if (viaLink_) {
            std::string content;
            if (!readAll(content, kLinkCopyLimit)) return false;
            content += bytes;
            return replace(content);
        }
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0) return fail(errno);
        int err = 0;
        if (writeAll(fd_.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                     err, st.st_size) &&
            ::fdatasync(fd_.get()) == 0)
            return true;
        if (err == 0) err = errno;
        // Half a line at the end would be read as a line of its own by older readers.
        if (::ftruncate(fd_.get(), st.st_size) == 0) ::fdatasync(fd_.get());
        return fail(err);
    }

    bool replace(std::string_view content) override {
        std::filesystem::path temporary;
        int err = 0;
        UniqueFd fd = createTemporaryBeside(path_, O_RDWR, temporary, err);
        if (!fd) return fail(err);
        // The hold passes to the new file before it takes the path.
        if (!lockExclusive(fd.get(), err) ||
            !writeAll(fd.get(), reinterpret_cast<const std::uint8_t*>(content.data()),
                      content.size(), err)) {
            ::unlink(temporary.c_str());
            return fail(err);
        }
        if (!publishTemporary(fd.get(), temporary, path_, err)) return fail(err);
        fd_ = std::move(fd);
        viaLink_ = false;
        return true;
    }

    std::string error() const override { return systemErrorText(err_ != 0 ? err_ : EIO); }

  private:
    bool fail(int err) {
        err_ = err != 0 ? err : EIO;
        return false;
    }

    UniqueFd fd_;
    std::filesystem::path path_;
    bool viaLink_;
    int err_ = 0;
};

// Puts an empty file of its own where a symbolic link that leads nowhere is, so that
// creating the file does not create it wherever the link points.
bool replaceDanglingLink(const std::filesystem::path& path, std::string& error) {
    std::filesystem::path temporary;
    int err = 0;
    UniqueFd fd = createTemporaryBeside(path, O_WRONLY, temporary, err);
    if (!fd) {
        error = systemErrorText(err);
        return false;
    }
    if (!publishTemporary(fd.get(), temporary, path, err)) {
        error = systemErrorText(err);
        return false;
    }
    return true;
}

bool isSymbolicLink(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

std::unique_ptr<LockedFile> openLocalLockedFile(const std::filesystem::path& path, OpenMode mode,
                                                std::string& error) {
    const bool create = mode == OpenMode::CreateIfAbsent;
    // No O_CREAT through a symbolic link: it would make the file wherever the link points.
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    // Another holder may rename a new file over the path between our open and our lock;
    // the lock then sits on a file nobody reaches by name any more, so try again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        UniqueFd fd(openRetrying(path.c_str(), flags, 0644));
        int openError = fd ? 0 : errno;
        bool viaLink = false;
        if (!fd && isSymbolicLink(path)) {
            fd = UniqueFd(openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC));
            openError = fd ? 0 : errno;
            if (!fd && openError == ENOENT && create) {
                if (!replaceDanglingLink(path, error)) return nullptr;
                continue;
            }
            viaLink = true;
        }
        if (!fd) {
            error = systemErrorText(openError);
            return nullptr;
        }
        struct stat held {};
        if (!statRegular(fd.get(), held, error)) return nullptr;
        int err = 0;
        if (!lockExclusive(fd.get(), err)) {
            error = systemErrorText(err);
            return nullptr;
        }
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino)
            return std::make_unique<LocalLockedFile>(std::move(fd), path, viaLink);
    }
    error = systemErrorText(EBUSY);
    return nullptr;
}

}  // namespace loom

#endif
