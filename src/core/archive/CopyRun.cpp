#include "archive/CopyRun.h"

#include "archive/FolderCheck.h"
#include "archive/SearchResults.h"
#include "context/AppContext.h"

namespace loom {

CopyRun::CopyRun(AppContext& context) : context_(context) {
    context_.searchResults().list(ResultList::Copied).clear();
    context_.searchResults().list(ResultList::NotCopied).clear();
    result_.ran = true;
}

void CopyRun::copied(std::string line) {
    context_.searchResults().list(ResultList::Copied).push_back(std::move(line));
    ++result_.copied;
}

void CopyRun::notCopied(std::string line) {
    context_.searchResults().list(ResultList::NotCopied).push_back(std::move(line));
    ++result_.notCopied;
}

CopyRunResult CopyRun::finish(const std::filesystem::path& copiedFolder,
                              const std::filesystem::path& notCopiedFolder) {
    std::vector<std::string>& copiedList = context_.searchResults().list(ResultList::Copied);
    std::vector<std::string>& notCopiedList = context_.searchResults().list(ResultList::NotCopied);
    SearchResults& results = context_.searchResults();
    if (!copiedList.empty()) copiedList.insert(copiedList.begin(), folderText(copiedFolder));
    if (!notCopiedList.empty())
        notCopiedList.insert(notCopiedList.begin(), folderText(notCopiedFolder));
    results.setFolder(ResultList::Copied, copiedFolder);
    results.setFolder(ResultList::NotCopied, notCopiedFolder);
    context_.prompt().show(MessageId::FilesCopied, {result_.copied, result_.notCopied},
                           MessageKind::Information);
    return result_;
}

}  // namespace loom
