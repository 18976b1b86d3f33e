#pragma once

#include <filesystem>
#include <string_view>

namespace loom {

// What the document asks of the windows around it: the tree's page states, the progress
// dialog, the activity indicator and the event log window. The program's frame and views
// implement it; the CLI prints progress; tests record. Every call comes on the user's
// thread. Texts are code page 1252.
class DocumentView {
  public:
    virtual ~DocumentView() = default;

    // The tree's page states.
    virtual void resetPageStates() {}
    virtual void markAllUnavailable() {}
    virtual void markAvailable(int /*page*/) {}
    virtual void markDiffering(int /*page*/) {}
    virtual void clearDifferences() {}
    virtual void updateAllViews() {}
    // Selects a page through the tree (which then shows it).
    virtual void selectPage(int /*page*/) {}

    // The transfer progress dialog: caption 86 for reading, 85 for writing.
    virtual void openProgress(bool /*reading*/, std::string_view /*firstText*/) {}
    virtual void setProgress(int /*percent*/) {}
    virtual void setStatusText(std::string_view /*text*/) {}
    // The panel has been silent for `seconds` while the transfer waits for it: `text`
    // says so, beside the status text. Seconds 0 and no text once the panel answers.
    virtual void setWaiting(int /*seconds*/, std::string_view /*text*/) {}
    virtual void closeProgress() {}
    // The toolbar's activity indicator.
    virtual void activityStarted() {}
    virtual void activityStopped() {}

    // The event log window on a log file (after a log read, and "Logg" in the menu).
    virtual void openLogWindow(const std::filesystem::path& /*logFile*/) {}
};

}  // namespace loom
