#pragma once

#include <filesystem>
#include <string>

namespace loom {

class AppContext;

// What an export or import dialog's OK did, for the dialog to refresh the search window.
struct CopyRunResult {
    bool ran = false;
    int copied = 0;
    int notCopied = 0;
    int failed = 0;  // writes that failed, each reported when it happened
};

// The bookkeeping that export and import share: the lists "Kopierade" and "Ej kopierade"
// are emptied when a run starts, each file's DATA.KQI line goes to one of them, and at the
// end each non-empty list is headed by the folder its files lie in and the counts are shown
// (message 58).
class CopyRun {
  public:
    explicit CopyRun(AppContext& context);
    void copied(std::string line);
    void notCopied(std::string line);
    void failed() { ++result_.failed; }
    CopyRunResult finish(const std::filesystem::path& copiedFolder,
                         const std::filesystem::path& notCopiedFolder);

  private:
    AppContext& context_;
    CopyRunResult result_;
};

}  // namespace loom
