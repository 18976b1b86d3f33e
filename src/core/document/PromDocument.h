#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Messages.h"
#include "fields/BlockComparison.h"
#include "fields/FieldStore.h"
#include "fields/PromImage.h"
#include "platform/UserPrompt.h"
#include "template/DialogUnits.h"
#include "template/Form.h"
#include "template/TreeOutline.h"
#include "transfer/TransferJob.h"
#include "transfer/TransferReceiver.h"

namespace loom {

class AppContext;
class BitmapLookup;
class DocumentView;
class FormInteraction;
class FormView;
class QueuedReceiver;
class TransferWorker;
class UiThread;

// One field whose value read from the PROM differs from the archived file's.
struct FieldDifference {
    int page = -1;
    FieldAddress address = 0;
    std::string fileValue;  // code page 1252
    std::string promValue;
};

// A control of a page that shows a field whose file and PROM values differ, and where its
// marker goes: with its right edge at x and its top at y (the control's left edge and top,
// in the page's pixels), just left of the control.
struct DifferenceMark {
    const FormControl* control = nullptr;
    int x = 0;
    int y = 0;
};

// A differing field as the list of differences shows it: the first page that shows it,
// its caption and both values as the form shows them. Texts are code page 1252.
struct DifferenceRow {
    int page = -1;
    FieldAddress address = 0;
    std::string pageName;
    std::string caption;
    std::string fileText;
    std::string promText;
    bool operator==(const DifferenceRow&) const = default;
};

// The size a page needs in the form view, in pixels.
struct PageSize {
    int width = 0;
    int height = 0;
    bool operator==(const PageSize&) const = default;
};

// The open system: its template with the values shown, the file's path, the PROM data of
// a read, the connection to the panel and the transfer that runs. No window: the program's
// document wraps it and the CLI drives it. Lives on the user's thread; the transfer
// worker reaches it only through its notifications, posted to `ui`.
class PromDocument final : public TransferReceiver {
  public:
    enum Comm { kIdle = 0, kReading = 1, kWriting = 2 };

    PromDocument(AppContext& context, UiThread& ui, DocumentView& view);
    // Cancels a running transfer and waits for the worker; disconnects a link in use when
    // no transfer runs.
    ~PromDocument() override;
    PromDocument(const PromDocument&) = delete;
    PromDocument& operator=(const PromDocument&) = delete;

    // ---- file and template ----
    // "Ny" (57600): offers to save, then OnNewDocument, then drops PROM data.
    bool NewDocument();
    // Refused while a PROM read runs. The first call in the document's life empties the
    // document and leaves it without a template (the program's start); later calls let
    // the user choose a system (dialog 150) and load its template with a new file name.
    // Cancel or no system found (message 32) leave the document as it was.
    bool OnNewDocument();
    // An empty template path: the template for `name` comes from the index; while the
    // template the index names for it is loaded, it stays (its values are reset unless
    // kept).
    bool LoadTemplate(std::string_view name, bool selectFirstPage,
                      const std::filesystem::path& templatePath, bool keepValues);
    bool OnOpenDocument(const std::filesystem::path& path);
    bool OnSaveDocument(const std::filesystem::path& path);
    // Save to the document's path (a new name in FILES when it has none), then drop PROM
    // data.
    bool Save();
    // Save as new (57604): a new name in FILES, then save; refused while a PROM read runs.
    bool SaveAsNew();
    bool SaveModified();
    // A new file identifier's name in FILES as the path; the save that follows makes a new
    // file, never replacing one (a taken name gives way to the next second's).
    void AssignNewFileName();
    bool CanCloseFrame();
    // Clears the modified flag, the current page and the status date.
    void DeleteContents();
    // The units and pictures of the windows that will show the template (the defaults suit
    // a document without windows).
    void setTemplateEnvironment(DialogUnits units, BitmapLookup* bitmaps);
    // On: every template load gives its form a picture cache of its own (Form::bitmaps()),
    // reading PICTURES through the context's files and prompt, in place of the lookup
    // above. The window turns it on; without windows the sizes come from the template.
    void setReadsPictures(bool on);

    // ---- pages ----
    // The tree's selection changed to `index`: it becomes the page shown.
    void SetPage(int index);
    // 0 without a template.
    int pageCount() const;
    // Empty without a template or out of range.
    std::string pageName(int index) const;
    // The page's extent and a margin of 10 pixels; 0 by 0 without a template or out of
    // range.
    PageSize pageSize(int index) const;
    int currentPage() const { return currentPage_; }
    // Selects a page through the tree, as the user would (an unavailable page is refused).
    void SelectPage(int index);
    // "Nästa" and "Föregående": select the next or previous page through the tree, wrapping.
    void NextPage();
    void PreviousPage();

    Form* form() { return form_.get(); }
    const Form* form() const { return form_.get(); }
    const TreeOutline& tree() const { return tree_; }
    // The loaded template's file (empty without one).
    const std::filesystem::path& templatePath() const { return templatePath_; }
    const std::filesystem::path& path() const { return path_; }
    void setPath(std::filesystem::path path) { path_ = std::move(path); }
    bool modified() const { return modified_; }
    // Tells the view when the flag changes.
    void setModified(bool on);
    // The data file's last change as the status bar shows it ("24 december, 1997"); empty
    // without a file or when its time cannot be read.
    const std::string& statusDate() const { return statusDate_; }
    // "Aktuellt system": the template names a help file that exists below HELP (checked
    // when the template is loaded), and that file.
    bool helpAvailable() const { return helpAvailable_; }
    std::filesystem::path helpFile() const;

    // The widgets of the form. The document owns the interaction of the loaded template
    // (null without one; it goes before the form, after DocumentView::templateGoing())
    // and routes it to `view` (null: nowhere); the first value entry after a load or a
    // save marks the document modified, whatever the view does.
    void setFormView(FormView* view);
    FormInteraction* interaction() { return interaction_.get(); }
    // The shown values of every page, in page order.
    FieldStore CollectValues() const;

    // ---- transfer ----
    bool PrepareTransfer();
    bool ReadProm();
    bool WriteProm();
    bool ReadLog();
    // "Skriv och kontrollera": WriteProm, and once its message 92 has been seen, a read of
    // the PROM that compares every block sent with the block read back and says so. The
    // read-back replaces nothing: the document keeps showing the system written.
    bool WriteAndVerify();
    // Asks message 71; Yes cancels the transfer that was running when it was asked.
    void CancelTransfer();
    // The progress dialog's "Avbryt": cancels without asking.
    void CancelFromProgress();
    int CommActive() const { return commActive_; }

    bool PromDiffers() const { return promDiffers_; }
    bool ShowingProm() const { return showingProm_; }
    bool SameIdFound() const { return sameIdFound_; }
    void ShowProm();
    void ShowFile();
    void DropPromData();
    // The bytes of the last PROM read (or sent by the last write).
    const PromImage& promImage() const { return promImage_; }
    // The image the last write built and sent (after id, product and conversion).
    const PromImage& sentImage() const { return sentImage_; }
    // After a read that found the archived file: every field that differs.
    std::vector<FieldDifference> Differences() const;
    // While PromDiffers: the marks of `page`, every control that shows a differing field
    // (an option group by its first button; hidden controls too: a view leaves them out
    // while they are hidden). Empty otherwise.
    std::vector<DifferenceMark> differenceMarks(int page) const;
    // While PromDiffers: every differing field once, in page order. The values are the
    // file's and the PROM's whichever set is shown. Empty otherwise.
    std::vector<DifferenceRow> differenceRows() const;
    // The control that stands for the field at `address` on `page` in the form view (an
    // option group's first button); null when the page shows no such field.
    const FormControl* fieldControl(int page, FieldAddress address) const;
    // The path of the file a read compared with (empty when none).
    const std::filesystem::path& comparedFile() const { return comparedFile_; }
    // Result of the last finished transfer (0 failed, -1 none yet) and the message shown.
    int lastResult() const { return lastResult_; }
    std::optional<MessageId> lastMessage() const { return lastMessage_; }
    // Why the last transfer failed (None after a success).
    TransferFailure lastFailure() const { return lastFailure_; }
    // The last write failed after it had begun to change the panel's PROM.
    bool promIncomplete() const { return promIncomplete_; }
    // The last PROM read found no programmed block: nothing to compare or save.
    bool promEmpty() const { return promEmpty_; }
    // The last read-back check of WriteAndVerify (nothing compared before one ended).
    const BlockComparison& lastVerify() const { return lastVerify_; }
    // The identity the panel reported in the last transfer.
    const std::string& panelIdentityText() const { return panelIdentity_; }

    // ---- log ----
    std::filesystem::path LogFilePath() const;
    void ViewLog();
    // The FileId the panel named at the start of the last log read, or empty.
    const std::string& lastPromFileId() const { return job_.lastFileId; }
    // The image the event log window takes its area and section names from: the values
    // shown now, as a write would send them (without identity and product text).
    PromImage logImage() const;
    // The records the last log read added to the log file.
    std::size_t lastLogRecordsAdded() const { return lastLogAdded_; }
    // Whether the last log read's records went into a log file. The window shows nothing
    // of a failed merge; a script must hear of it.
    bool lastLogStored() const { return lastLogStored_; }

    // ---- connection ----
    // Opens the local serial port as a transfer does when no link is open (message 72 on
    // failure, with the port's reason below it).
    bool OpenLocalPort(std::string_view portName);
    // Whether "Koppla upp" may begin: no connection of any kind is up.
    bool CanConnect() const { return !linkInUse_ && !modemLink_ && !tcpLink_; }
    bool ConnectModemCommand(std::string_view phone, std::string_view idCode);
    bool ConnectTcpCommand(std::string_view address, std::string_view port,
                           std::string_view idCode);
    // Ends the connection: the panel's goodbye when the link is open, then the
    // bookkeeping. Refused (false, nothing touched) while a transfer runs: the worker owns
    // the link until its end, whose failure path disconnects after the transfer is over.
    bool Disconnect();
    // The view's 3-second timer: link supervision, and the disconnect bookkeeping when the
    // link is lost. A call made while one runs (from a message box's event loop) does
    // nothing.
    void SuperviseLink();
    // What the status bar shows of the connection: "Lokal", "Modem", "TCP/IP address:port"
    // or nothing. Never the ID code.
    std::string connectionText() const;
    bool LinkInUse() const { return linkInUse_; }
    bool ModemLink() const { return modemLink_; }
    bool TcpLink() const { return tcpLink_; }
    const std::string& RemoteIdText() const { return remoteIdText_; }
    // The serial port the local or modem connection holds open; empty otherwise.
    const std::string& SerialPortInUse() const { return serialPort_; }
    // The modem dialog's last number and ID code, kept for the next dial.
    const std::string& modemPhone() const { return modemPhone_; }
    const std::string& modemIdCode() const { return modemIdCode_; }

    // ---- notifications from the worker (user's thread) ----
    void transferBegun() override;
    void transferDone(const TransferOutcome& outcome) override;
    void panelIdentity(bool logRead, std::unique_ptr<std::string> identity) override;
    void blockReceived(std::unique_ptr<ReceivedBlock> block) override;
    void progress(int percent) override;
    void statusText(std::unique_ptr<std::string> text) override;
    void waiting(int seconds) override;

  private:
    struct Impl;
    struct WaitingField;
    class FormViewRelay;

    void endConnection();
    bool promReadRunning() const;
    bool replaceTemplate(const std::filesystem::path& file);
    void unloadTemplate();
    void clearDocument();
    void showNoPage();
    void setStatusDate(std::string date);
    std::string fileDate(const std::filesystem::path& file) const;
    bool saveNew();
    void resetToDefaults();
    void markSaved();
    void swapValueSets();
    std::filesystem::path filesPath(std::string_view fileId) const;
    void openProgress(bool reading);
    void closeProgress();
    void startOperation();
    // A PROM read (or, with `log`, an event log read) begins.
    void startRead(bool log);
    void say(MessageId id, MessageKind kind = MessageKind::Information);
    void prepareRead();
    void identifyReadFile();
    bool idBlocksPresent() const;
    bool completeField(WaitingField& field);
    void pageFieldDone(int page);
    void finishRead();
    void completePromRead();
    void completeLogRead();
    bool startVerifyRead();
    void completeVerify();

    std::unique_ptr<Impl> impl_;

    AppContext& context_;
    UiThread& ui_;
    DocumentView& view_;
    TreeOutline tree_;
    std::unique_ptr<Form> form_;
    // Points into form_ and is attached to the rules: it goes first.
    std::unique_ptr<FormInteraction> interaction_;
    std::filesystem::path templatePath_;
    std::filesystem::path path_;
    bool modified_ = false;
    int currentPage_ = -1;
    std::string statusDate_;
    bool helpAvailable_ = false;
    bool started_ = false;  // the first OnNewDocument has run

    int commActive_ = kIdle;
    bool promDiffers_ = false;
    bool showingProm_ = false;
    bool sameIdFound_ = false;
    bool identified_ = false;
    PromImage promImage_;
    PromImage sentImage_;
    FieldStore otherValues_;  // the value set not shown while PromDiffers
    std::filesystem::path comparedFile_;
    int lastResult_ = -1;
    std::optional<MessageId> lastMessage_;
    TransferFailure lastFailure_ = TransferFailure::None;
    TransferFailure ownFailure_ = TransferFailure::None;  // the document stopped it itself
    bool promIncomplete_ = false;
    bool promEmpty_ = false;
    std::string panelIdentity_;
    std::size_t lastLogAdded_ = 0;
    bool lastLogStored_ = false;
    // Counts the operations started, so that an answer given after one ended cannot
    // cancel the next.
    unsigned operation_ = 0;
    bool verifyAfterWrite_ = false;  // WriteAndVerify: the write runs
    bool verifying_ = false;         // its read-back runs
    PromImage verifyImage_;          // what the read-back received
    BlockComparison lastVerify_;

    bool linkInUse_ = false;
    bool modemLink_ = false;
    bool tcpLink_ = false;
    std::string remoteIdText_;
    std::string tcpAddress_;  // what the TCP link was connected to
    std::string tcpPort_;
    std::string serialPort_;
    bool supervising_ = false;
    std::string modemPhone_;
    std::string modemIdCode_;

    TransferJob job_;
    std::unique_ptr<QueuedReceiver> queuedReceiver_;  // posts to ui_, then to this
    std::unique_ptr<TransferWorker> worker_;
};

}  // namespace loom
