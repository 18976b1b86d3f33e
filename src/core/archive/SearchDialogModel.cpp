#include "archive/SearchDialogModel.h"

#include <algorithm>
#include <system_error>

#include "archive/IndexEngine.h"
#include "archive/KeywordParser.h"
#include "archive/SearchResults.h"
#include "common/Cp1252.h"
#include "common/Messages.h"
#include "context/AppContext.h"

namespace loom {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return cp1252Upper(x) == cp1252Upper(y);
           });
}

}  // namespace

std::vector<std::string>& SearchDialogModel::list() {
    return context_.searchResults().list(tab_);
}

void SearchDialogModel::remember(std::string_view text) {
    if (text.empty()) return;
    const bool known = std::any_of(history_.begin(), history_.end(), [text](const std::string& h) {
        return sameIgnoringCase(h, text);
    });
    if (known) return;
    history_.insert(history_.begin(), std::string(text));
    if (history_.size() > kHistorySize) history_.resize(kHistorySize);
}

bool SearchDialogModel::search(std::string_view text) {
    if (!useIndex_ && context_.prompt().ask(MessageId::SearchWithoutIndex, Buttons::YesNo,
                                            MessageKind::Question) != Answer::Yes)
        return false;
    remember(text);
    const std::vector<std::string> keywords = KeywordParser::parse(text, context_.prompt());
    std::vector<std::string>& found = context_.searchResults().list(ResultList::Found);
    // A failed read of the index has said so already (message 4); "no files found" would
    // wrongly claim the archive was searched.
    const bool searched = searchArchive(context_, keywords, useIndex_, found);
    if (searched && found.empty())
        context_.prompt().show(MessageId::NoFilesFound, {}, MessageKind::Information);
    if (tab_ == ResultList::Found) showList();
    return searched;
}

void SearchDialogModel::selectTab(ResultList which) {
    tab_ = which;
    showList();
}

void SearchDialogModel::showList() {
    rows_.clear();
    const std::vector<std::string>& lines = list();
    for (std::size_t i = firstLine(); i < lines.size(); ++i)
        rows_.emplace_back(rowText(lines[i]));
    clearSelection();
}

void SearchDialogModel::clearSelection() {
    selected_.reset();
    selectedPath_.clear();
    info_ = FileInfo{};
}

void SearchDialogModel::selectRow(std::size_t row) {
    clearSelection();
    const std::vector<std::string>& lines = list();
    const std::size_t at = firstLine() + row;
    if (row >= rows_.size() || at >= lines.size()) return;
    selected_ = row;
    selectedPath_ = resultFilePath(context_, tab_, lines, lines[at]);
    info_ = readFileInfo(context_, selectedPath_, IndexEngine::keyOf(lines[at]));
}

bool SearchDialogModel::inArchiveFolder(const std::filesystem::path& path) const {
    const std::filesystem::path folder = context_.programDirectory().folder(ProgramFolder::Files);
    const std::filesystem::path parent = path.parent_path();
    if (parent.lexically_normal() == folder.lexically_normal()) return true;
    std::error_code error;
    return std::filesystem::equivalent(parent, folder, error);
}

bool SearchDialogModel::deleteSelected() {
    if (!canDelete()) return false;
    if (context_.prompt().ask(MessageId::ConfirmDelete, Buttons::YesNo, MessageKind::Question) !=
        Answer::Yes)
        return false;
    std::string error;
    if (!context_.files().remove(selectedPath_, error)) {
        context_.prompt().show(MessageId::FileNotDeleted);
        return false;
    }
    std::vector<std::string>& lines = list();
    const std::size_t at = firstLine() + *selected_;
    const std::string key(IndexEngine::keyOf(lines[at]));
    // A file deleted from an export or import folder leaves the archive's own file, and
    // so its index line, in place.
    if (tab_ == ResultList::Found || inArchiveFolder(selectedPath_))
        IndexEngine(context_).RemoveIndexLine(kDataIndex, key);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*selected_));
    clearSelection();
    context_.prompt().show(MessageId::FileDeleted, {}, MessageKind::Information);
    return true;
}

}  // namespace loom
