#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveSearch.h"
#include "archive/SearchResults.h"

namespace loom {

class AppContext;

// The state and actions of the search dialog ("Sök"), which finds, opens and deletes data
// files. A window only shows what this holds and passes the user's actions on; the result
// lists themselves live in the context, where export and import fill them too. Texts are
// code page 1252.
class SearchDialogModel {
  public:
    static constexpr std::size_t kHistorySize = 5;

    explicit SearchDialogModel(AppContext& context) : context_(context) {}

    // "Sökord": the texts searched for, newest first.
    const std::vector<std::string>& history() const { return history_; }
    // "Sök i index", checked at first.
    bool useIndex() const { return useIndex_; }
    void setUseIndex(bool on) { useIndex_ = on; }

    // "Sök" with the combo's text. False when the user declined a search without the
    // index or the index could not be read.
    bool search(std::string_view text);

    // The tab control; selecting a tab shows its list.
    ResultList tab() const { return tab_; }
    void selectTab(ResultList which);
    // Shows the selected tab's list again (after export and import changed it).
    void showList();

    // The list's rows: the lines without their key.
    const std::vector<std::string>& rows() const { return rows_; }
    // "Antal filer:".
    std::size_t count() const { return rows_.size(); }
    std::optional<std::size_t> selectedRow() const { return selected_; }
    // Selects a row and reads its file's header for the information texts.
    void selectRow(std::size_t row);
    const FileInfo& info() const { return info_; }
    // "Öppna fil" and "Radera fil".
    bool canOpen() const { return selected_.has_value() && !selectedPath_.empty(); }
    bool canDelete() const { return canOpen(); }
    // The data file of the selected row, for "Öppna fil" (empty without one).
    const std::filesystem::path& selectedPath() const { return selectedPath_; }

    // "Radera fil": asks message 28, deletes the file, and on success drops its row and
    // index line (message 29); message 30 when it cannot be deleted.
    bool deleteSelected();

  private:
    std::vector<std::string>& list();
    // Where the tab's rows begin in its list: after the folder for the two copy lists.
    std::size_t firstLine() const { return tab_ == ResultList::Found ? 0 : 1; }
    void clearSelection();
    void remember(std::string_view text);
    bool inArchiveFolder(const std::filesystem::path& path) const;

    AppContext& context_;
    std::vector<std::string> history_;
    bool useIndex_ = true;
    ResultList tab_ = ResultList::Found;
    std::vector<std::string> rows_;
    std::optional<std::size_t> selected_;
    std::filesystem::path selectedPath_;
    FileInfo info_;
};

}  // namespace loom
