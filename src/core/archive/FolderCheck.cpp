#include "archive/FolderCheck.h"

#include "common/Cp1252.h"
#include "common/Messages.h"
#include "context/AppContext.h"

namespace loom {
namespace {

bool endsInSeparator(std::string_view text) {
    return !text.empty() && (text.back() == '/' || text.back() == '\\');
}

}  // namespace

std::optional<std::filesystem::path> checkFolder(AppContext& context,
                                                 const std::filesystem::path& folder) {
    if (folder.empty() || !context.files().isDirectory(folder)) {
        context.prompt().show(MessageId::FolderMissing);
        return std::nullopt;
    }
    std::filesystem::path withSeparator = folder;
    const auto& native = withSeparator.native();
    if (native.back() != '/' && native.back() != std::filesystem::path::preferred_separator)
        withSeparator += std::filesystem::path::preferred_separator;
    return withSeparator;
}

std::string folderText(const std::filesystem::path& folder) {
    std::string text = pathText(folder);
    if (!endsInSeparator(text))
        text += static_cast<char>(std::filesystem::path::preferred_separator);
    return text;
}

}  // namespace loom
