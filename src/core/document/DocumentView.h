#pragma once

#include <filesystem>
#include <string_view>

namespace loom {

// What the document asks of the windows around it: the template and the values shown,
// the tree's page states, the status bar, the progress dialog, the activity indicator and
// the event log window. The program's frame and views implement it; the CLI prints
// progress; tests record. Every call comes on the user's thread. Texts are code page 1252.
class DocumentView {
  public:
    virtual ~DocumentView() = default;

    // ---- the template and the values shown ----
    // The template is about to go, with its form, its rules and the form's interaction:
    // drop every widget and every pointer into them now. Nothing of it is destroyed yet;
    // a message box may follow before templateChanged().
    virtual void templateGoing() {}
    // Another template, or none, is loaded: the tree rebuilds itself from the document's
    // tree(), the form view shows no page.
    virtual void templateChanged() {}
    // `page` is the page shown (-1: none): the form view builds its widgets (and then
    // reports them with interaction()->pageShown()). The only time a page is built.
    virtual void pageChanged(int /*page*/) {}
    // The values shown were replaced (a file opened, the PROM's and the file's values
    // exchanged, a read filled them): the widgets of the shown page take them again.
    virtual void valuesChanged() {}
    // The status bar's "MOD".
    virtual void modifiedChanged(bool /*modified*/) {}
    // The status bar's date pane: the document's statusDate().
    virtual void statusDateChanged() {}
    // The tree pane's ideal width in pixels (after a template load).
    virtual void treeWidth(int /*idealWidth*/) {}

    // The tree's page states.
    virtual void resetPageStates() {}
    virtual void markAllUnavailable() {}
    virtual void markAvailable(int /*page*/) {}
    virtual void markDiffering(int /*page*/) {}
    virtual void clearDifferences() {}
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
