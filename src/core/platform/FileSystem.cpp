#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <system_error>

#include "common/Cp1252.h"
#include "common/Messages.h"

namespace loom {
namespace {

constexpr std::size_t kChunk = 16384;

std::optional<MessageId> reasonFor(int err) {
    switch (err) {
        case ENOSPC:
            return MessageId::ReasonNoSpace;
        case EROFS:
            return MessageId::ReasonReadOnly;
        case EACCES:
            return MessageId::ReasonAccessDenied;
        case EPERM:
            return MessageId::ReasonNotPermitted;
        case ENOENT:
            return MessageId::ReasonNotFound;
        case ENOTDIR:
            return MessageId::ReasonNotADirectory;
        case EISDIR:
            return MessageId::ReasonIsADirectory;
        case EEXIST:
            return MessageId::ReasonExists;
        case EIO:
            return MessageId::ReasonIo;
        case EBUSY:
        case ETXTBSY:
            return MessageId::ReasonBusy;
#ifdef EDQUOT
        case EDQUOT:
            return MessageId::ReasonQuota;
#endif
        case EFBIG:
        case EOVERFLOW:
            return MessageId::ReasonTooLarge;
        case ENAMETOOLONG:
            return MessageId::ReasonNameTooLong;
        case EMFILE:
        case ENFILE:
            return MessageId::ReasonTooManyOpen;
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case ENOLCK:
            return MessageId::ReasonHeldElsewhere;
        case ELOOP:
            return MessageId::ReasonLinkLoop;
        case ENOMEM:
            return MessageId::ReasonNoMemory;
#ifdef ESTALE
        case ESTALE:
            return MessageId::ReasonStale;
#endif
        case EXDEV:
            return MessageId::ReasonCrossDevice;
        case ENOTSUP:
#if EOPNOTSUPP != ENOTSUP
        case EOPNOTSUPP:
#endif
            return MessageId::ReasonNotSupported;
        case EMLINK:
            return MessageId::ReasonTooManyLinks;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::string systemErrorText(int err) {
    if (const std::optional<MessageId> id = reasonFor(err)) return std::string(messageText(*id));
    // The system's text is in the locale's encoding, which is UTF-8 wherever it is not
    // plain ASCII.
    return utf8ToCp1252(std::generic_category().message(err));
}

std::string fileMessage(MessageId what, const std::filesystem::path& path,
                        std::string_view reason) {
    std::string text = formatMessage(what, {pathText(path)});
    if (!reason.empty()) {
        text += '\n';
        text += reason;
    }
    return text;
}

bool LockedFile::readChunks(const std::function<bool(std::string_view)>& sink,
                            std::uint64_t limit) {
    std::string content;
    if (!readAll(content, limit)) return false;
    return content.empty() || sink(content);
}

bool FileSystem::readWhole(const std::filesystem::path& path, std::string& content,
                           std::string& error, std::uint64_t limit) {
    content.clear();
    std::unique_ptr<InputFile> file = openRead(path, error);
    if (!file) return false;
    if (file->size() > limit) {
        error = systemErrorText(EFBIG);
        return false;
    }
    content.reserve(static_cast<std::size_t>(file->size()));
    // The size is only a hint: the file may grow while it is read, so the limit is kept
    // on the bytes actually read.
    std::array<std::uint8_t, kChunk> buffer;
    for (;;) {
        const std::size_t n = file->read(buffer);
        if (n == 0) break;
        if (content.size() + n > limit) {
            content.clear();
            error = systemErrorText(EFBIG);
            return false;
        }
        content.append(reinterpret_cast<const char*>(buffer.data()), n);
    }
    if (file->failed()) {
        content.clear();
        error = systemErrorText(EIO);
        return false;
    }
    return true;
}

bool FileSystem::writeWhole(const std::filesystem::path& path, std::string_view content,
                            std::string& error) {
    std::unique_ptr<OutputFile> file = replaceFile(path, error);
    if (!file) return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(content.data());
    for (std::size_t at = 0; at < content.size(); at += kChunk) {
        if (!file->write({bytes + at, std::min(kChunk, content.size() - at)})) {
            error = file->error();
            return false;
        }
    }
    if (!file->commit()) {
        error = file->error();
        return false;
    }
    return true;
}

bool FileSystem::copyFile(const std::filesystem::path& from, const std::filesystem::path& to,
                          std::string& error) {
    std::unique_ptr<InputFile> source = openRead(from, error);
    if (!source) return false;
    const std::optional<std::int64_t> time = lastWriteTime(from);
    std::unique_ptr<OutputFile> target = replaceFile(to, error);
    if (!target) return false;
    std::array<std::uint8_t, kChunk> buffer;
    for (;;) {
        const std::size_t n = source->read(buffer);
        if (n == 0) break;
        if (!target->write({buffer.data(), n})) {
            error = target->error();
            return false;
        }
    }
    if (source->failed()) {
        error = systemErrorText(EIO);
        return false;
    }
    if (!target->commit()) {
        error = target->error();
        return false;
    }
    if (time) setLastWriteTime(to, *time);
    return true;
}

std::string pathText(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return utf8ToCp1252(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

std::filesystem::path pathFromText(std::string_view text) {
    const std::string utf8 = cp1252ToUtf8(text);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace loom
