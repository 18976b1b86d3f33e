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

std::optional<std::filesystem::path> checkFolder(AppContext& context, std::string_view text) {
    if (text.empty() || !context.files().isDirectory(pathFromText(text))) {
        context.prompt().show(MessageId::FolderMissing);
        return std::nullopt;
    }
    std::string withSeparator(text);
    if (!endsInSeparator(withSeparator))
        withSeparator += static_cast<char>(std::filesystem::path::preferred_separator);
    return pathFromText(withSeparator);
}

std::string folderText(const std::filesystem::path& folder) {
    std::string text = pathText(folder);
    if (!endsInSeparator(text))
        text += static_cast<char>(std::filesystem::path::preferred_separator);
    return text;
}

}  // namespace loom
