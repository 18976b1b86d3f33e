#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <memory>

#include "dialogs/SearchWindow.h"
#include "document/CommandTable.h"
#include "document/DocumentView.h"
#include "fields/FieldRecord.h"

class QPrinter;

namespace loom {

class AppContext;
class DifferencesPanel;
class FormPageView;
class MainFrame;
class PageTreeView;
class PromDocument;
class SearchWindow;
class TransferProgressDialog;
class UiThread;

// The program's document: the core document with the window's views around it. It turns
// the frame's commands into core calls and the core's notifications into what the tree,
// the form and the frame show. The core decides; this class only carries.
class ProgramDocument final : public QObject, public DocumentView {
    Q_OBJECT

  public:
    ProgramDocument(AppContext& context, UiThread& ui, MainFrame& frame);
    ~ProgramDocument() override;

    PromDocument& core() { return *core_; }
    PageTreeView& tree() { return *tree_; }
    FormPageView& form() { return *form_; }
    DifferencesPanel& differences() { return *differences_; }

    void run(CommandId id);
    // What the enabling of the commands reads.
    CommandContext commandContext() const;
    // The search window, the command line and a drop open a file this way.
    bool openFile(const std::filesystem::path& path);
    // Asked before the window closes: message 70 while a transfer runs, then 33.
    bool canClose();
    SearchWindow* searchWindow() const { return search_; }
    // The running transfer's progress dialog (null when none runs).
    TransferProgressDialog* progressDialog() const;

    // DocumentView.
    void templateGoing() override;
    void templateChanged() override;
    void pageChanged(int page) override;
    void valuesChanged() override;
    void modifiedChanged(bool modified) override;
    void statusDateChanged() override;
    void treeWidth(int width) override;
    void resetPageStates() override;
    void markAllUnavailable() override;
    void markAvailable(int page) override;
    void markDiffering(int page) override;
    void clearDifferences() override;
    void selectPage(int page) override;
    void openProgress(bool reading, std::string_view firstText) override;
    void setProgress(int percent) override;
    void setStatusText(std::string_view text) override;
    void setWaiting(int seconds, std::string_view text) override;
    void closeProgress() override;
    void activityStarted() override;
    void activityStopped() override;
    void openLogWindow(const std::filesystem::path& logFile) override;

  private:
    void showSearch();
    void showSystemHelp();
    void showPage();
    // The differences between file and PROM as the form's markers and the panel's rows.
    void showDifferences();
    void showDifferentField(int page, FieldAddress address);
    // The status bar's connection pane follows the core.
    void showConnection();
    QPrinter& printer();

    AppContext& context_;
    MainFrame& frame_;
    PageTreeView* tree_;
    FormPageView* form_;
    DifferencesPanel* differences_;
    bool differencesDue_ = false;  // a showDifferences() is on its way
    std::unique_ptr<PromDocument> core_;
    // The program's printer: "Välj skrivare..." and the print dialog keep their choices
    // in it for the rest of the session.
    std::unique_ptr<QPrinter> printer_;
    QPointer<SearchWindow> search_;
    QPointer<TransferProgressDialog> progress_;
};

}  // namespace loom
