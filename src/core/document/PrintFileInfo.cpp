#include "document/PrintFileInfo.h"

#include <cstdint>
#include <optional>

#include "archive/ArchiveSearch.h"
#include "archive/FileId.h"
#include "common/Messages.h"
#include "platform/FileSystem.h"

namespace loom {

std::vector<std::string> printFileInfo(std::string_view product, const std::filesystem::path& file,
                                       const Clock& clock, FileSystem& files) {
    std::string created, computer, changed;
    std::uint32_t time = 0;
    char letter = 0;
    if (!file.empty() && ParseFileId(file.stem().string(), time, letter)) {
        created = swedishDate(clock, time);
        computer = std::string(1, letter);
    }
    if (!file.empty()) changed = swedishDate(clock, files.lastWriteTime(file));
    return {std::string(messageText(MessageId::PrintProduct)) + std::string(product),
            std::string(messageText(MessageId::PrintCreated)) + created,
            std::string(messageText(MessageId::PrintComputer)) + computer,
            std::string(messageText(MessageId::PrintChanged)) + changed};
}

}  // namespace loom
