#include "document/ProgramDocument.h"

#include <QDesktopServices>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <optional>

#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/ArchiveCommands.h"
#include "dialogs/DialogParts.h"
#include "dialogs/EventLogWindow.h"
#include "dialogs/PrintSettingsDialog.h"
#include "dialogs/SearchWindow.h"
#include "dialogs/SecurityCommands.h"
#include "dialogs/TransferProgressDialog.h"
#include "document/ConnectionCommands.h"
#include "document/FormPrinting.h"
#include "document/PromDocument.h"
#include "frame/ActivityIndicator.h"
#include "frame/HelpWindow.h"
#include "frame/MainFrame.h"
#include "pictures/PictureWidget.h"
#include "platform/FileSystem.h"
#include "template/Form.h"
#include "views/DialogBaseUnits.h"
#include "views/DifferencesPanel.h"
#include "views/FormPageView.h"
#include "views/PageTreeView.h"

namespace loom {

ProgramDocument::ProgramDocument(AppContext& context, UiThread& ui, MainFrame& frame)
    : context_(context),
      frame_(frame),
      tree_(new PageTreeView(context.prompt(), &frame)),
      form_(new FormPageView(context.prompt(), &frame)),
      differences_(new DifferencesPanel(&frame)) {
    tree_->setAccessibleName(QStringLiteral("Sidor"));
    form_->setAccessibleName(QStringLiteral("Formulär"));
    frame_.setPanes(tree_, form_);
    frame_.addDockWidget(Qt::RightDockWidgetArea, differences_);
    connect(differences_, &DifferencesPanel::fieldChosen, this,
            &ProgramDocument::showDifferentField);
    // Its close button changes what "Skillnader" shows; not once this document is gone.
    connect(differences_, &QDockWidget::visibilityChanged, this,
            [this] { frame_.updateCommands(); });
    core_ = std::make_unique<PromDocument>(context, ui, *this);
    core_->setFormView(form_);
    DialogUnits units = dialogUnitsOf(form_->font());
    // Picture controls are sized with the edge their frames really have.
    units.edgeWidth = units.edgeHeight = PictureWidget::kEdge;
    core_->setTemplateEnvironment(units, nullptr);
    core_->setReadsPictures(true);
    connect(tree_, &PageTreeView::pageChosen, this, [this](int page) { core_->SetPage(page); });
    connect(form_, &FormPageView::insertModeChanged, &frame_, &MainFrame::showInsertMode);
    connect(&frame_, &MainFrame::commandTriggered, this, &ProgramDocument::run);
    connect(&frame_, &MainFrame::fileDropped, this,
            [this](const QString& path) { openFile(pathFromQt(path)); });
    frame_.setStateSource([this] { return commandContext(); });
    frame_.setCloseCheck([this] { return canClose(); });
    frame_.showInsertMode(form_->insertMode());
    // The link to the panel is checked every 3 s; a lost link is disconnected.
    auto* linkCheck = new QTimer(this);
    linkCheck->setInterval(3000);
    connect(linkCheck, &QTimer::timeout, this, [this] {
        core_->SuperviseLink();
        frame_.updateCommands();
        showConnection();
    });
    linkCheck->start();
    // Transfers open and end links without a command.
    connect(&frame_, &MainFrame::idleTick, this, &ProgramDocument::showConnection);
}

ProgramDocument::~ProgramDocument() {
    // The core cancels a running transfer and waits for its worker; its last notifications
    // must still find the views.
    core_.reset();
    delete progress_;
}

CommandContext ProgramDocument::commandContext() const {
    CommandContext c;
    c.hasTemplate = core_->form() != nullptr;
    c.comm = core_->CommActive();
    c.linkInUse = core_->LinkInUse();
    c.promDiffers = core_->PromDiffers();
    c.showingProm = core_->ShowingProm();
    c.helpAvailable = core_->helpAvailable();
    c.differencesShown = !differences_->isHidden();
    return c;
}

void ProgramDocument::run(CommandId id) {
    if (!commandState(id, commandContext()).enabled) return;
    QWidget* parent = &frame_;
    switch (id) {
        case CommandId::New:
            core_->NewDocument();
            break;
        case CommandId::Open:
            showSearch();
            break;
        case CommandId::Save:
            core_->Save();
            break;
        case CommandId::SaveAsNew:
            core_->SaveAsNew();
            break;
        case CommandId::Print:
            FormPrinting(*core_, context_, form_->font(), parent, &printer()).print();
            break;
        case CommandId::PrintPreview:
            FormPrinting(*core_, context_, form_->font(), parent, &printer()).preview();
            break;
        case CommandId::PrintSetup:
            FormPrinting::setUpPrinter(printer(), parent);
            break;
        case CommandId::Exit:
            frame_.close();
            break;
        case CommandId::PreviousPage:
            core_->PreviousPage();
            break;
        case CommandId::NextPage:
            core_->NextPage();
            break;
        case CommandId::ReadProm:
            core_->ReadProm();
            break;
        case CommandId::WriteProm:
            core_->WriteProm();
            break;
        case CommandId::WriteVerify:
            core_->WriteAndVerify();
            break;
        case CommandId::ReadLog:
            core_->ReadLog();
            break;
        case CommandId::ViewLog:
            core_->ViewLog();
            break;
        case CommandId::Disconnect:
            runDisconnect(*core_);
            break;
        case CommandId::ConnectModem:
            runConnectModem(*core_, parent);
            break;
        case CommandId::ConnectTcp:
            runConnectTcp(*core_, context_, parent);
            break;
        case CommandId::Port:
            runPortDialog(context_, *core_, parent);
            break;
        case CommandId::CancelTransfer:
            core_->CancelTransfer();
            break;
        case CommandId::ShowProm:
            core_->ShowProm();
            break;
        case CommandId::ShowFile:
            core_->ShowFile();
            break;
        case CommandId::DifferencesPanel:
            differences_->setVisible(differences_->isHidden());
            break;
        case CommandId::ComputerId:
            runEditComputerId(context_, parent);
            break;
        case CommandId::CreateIndex:
            runRebuildIndex(context_, parent);
            if (search_) search_->refreshResults();
            break;
        case CommandId::OwnPassword:
            runChangePersonalPassword(context_, parent);
            break;
        case CommandId::Users:
            runEditUsers(context_, parent);
            break;
        case CommandId::PrintFormat:
            runPrintSettings(context_, parent);
            break;
        case CommandId::SystemPassword:
            runChangeSystemPassword(context_, parent);
            break;
        case CommandId::Export:
            runExport(context_, *core_, parent, search_);
            break;
        case CommandId::Import:
            runImport(context_, parent, search_);
            break;
        case CommandId::HelpTopics: {
            auto* help = new HelpWindow(parent);
            help->setAttribute(Qt::WA_DeleteOnClose);
            help->show();
            break;
        }
        case CommandId::SystemHelp:
            showSystemHelp();
            break;
        case CommandId::About: {
            AboutBox about(parent);
            about.exec();
            break;
        }
        default:
            break;
    }
    showConnection();
}

QPrinter& ProgramDocument::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void ProgramDocument::showConnection() {
    const QString text = toQt(core_->connectionText());
    if (frame_.connectionPaneText() != text) frame_.showConnection(text);
}

bool ProgramDocument::openFile(const std::filesystem::path& path) {
    return core_->OnOpenDocument(path);
}

bool ProgramDocument::canClose() {
    if (!core_->CanCloseFrame()) return false;
    // A transfer left running goes with the document; its window goes with the frame.
    if (progress_) progress_->hide();
    return true;
}

TransferProgressDialog* ProgramDocument::progressDialog() const {
    return progress_;
}

void ProgramDocument::showSearch() {
    if (!search_)
        search_ = new SearchWindow(
            context_, [this](const std::filesystem::path& path) { return openFile(path); },
            &frame_);
    search_->present();
}

void ProgramDocument::showSystemHelp() {
    const std::filesystem::path file = core_->helpFile();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(pathToQt(file))))
        context_.prompt().show(MessageId::HelpFileNotShown, {pathText(file)}, MessageKind::Stop);
}

// ---- what the core tells the views ----

void ProgramDocument::templateGoing() {
    form_->templateGoing();
    differences_->setRows({});
    tree_->clear();
}

void ProgramDocument::templateChanged() {
    if (core_->form() != nullptr) {
        tree_->rebuild(core_->tree());
    } else {
        tree_->clear();
        frame_.setTreeWidth(0);
    }
    form_->setTemplateLoaded(core_->form() != nullptr);
    frame_.updateCommands();
}

void ProgramDocument::pageChanged(int page) {
    if (page < 0) tree_->showNoPage();
    showPage();
}

void ProgramDocument::valuesChanged() {
    showPage();
    frame_.updateCommands();
}

void ProgramDocument::showPage() {
    Form* form = core_->form();
    if (form == nullptr || core_->interaction() == nullptr || core_->currentPage() < 0) {
        form_->clearPage();
    } else {
        form_->showPage(*form, *core_->interaction(), core_->currentPage(), form->bitmaps());
    }
    showDifferences();
}

void ProgramDocument::showDifferences() {
    differencesDue_ = false;
    form_->setDifferenceMarks(core_->differenceMarks(form_->shownPage()));
    differences_->setRows(core_->differenceRows());
}

void ProgramDocument::showDifferentField(int page, FieldAddress address) {
    core_->SelectPage(page);
    if (core_->currentPage() != page) return;  // not available (yet)
    if (const FormControl* control = core_->fieldControl(page, address))
        form_->focusField(*control);
}

void ProgramDocument::modifiedChanged(bool modified) {
    frame_.showModified(modified);
    frame_.updateCommands();
}

void ProgramDocument::statusDateChanged() {
    frame_.showDate(toQt(core_->statusDate()));
}

void ProgramDocument::treeWidth(int width) {
    // At least the ideal width; more when the page names need it, up to a third of the
    // window, so that no name is cut short.
    frame_.setTreeWidth(std::max(width, std::min(tree_->naturalWidth(), frame_.width() / 3)));
}

void ProgramDocument::resetPageStates() {
    tree_->resetPageStates();
}
void ProgramDocument::markAllUnavailable() {
    tree_->markAllUnavailable();
}
void ProgramDocument::markAvailable(int page) {
    tree_->markAvailable(page);
}
void ProgramDocument::markDiffering(int page) {
    tree_->markDiffering(page);
    // A read marks page after page: the views follow once it lets the event loop run.
    if (differencesDue_) return;
    differencesDue_ = true;
    QTimer::singleShot(0, this, [this] {
        if (differencesDue_) showDifferences();
    });
}
void ProgramDocument::clearDifferences() {
    tree_->clearDifferences();
    showDifferences();
    frame_.updateCommands();
}
void ProgramDocument::selectPage(int page) {
    tree_->selectPage(page);
}

void ProgramDocument::openProgress(bool reading, std::string_view firstText) {
    delete progress_;
    progress_ = new TransferProgressDialog(reading, toQt(firstText), &frame_);
    // Queued: the question 71 must not run inside the dialog's own event handling.
    connect(
        progress_, &TransferProgressDialog::cancelRequested, this,
        [this, dialog = progress_] {
            if (dialog && dialog == progress_) core_->CancelTransfer();
        },
        Qt::QueuedConnection);
    progress_->show();
}
void ProgramDocument::setProgress(int percent) {
    if (progress_) progress_->setPercent(percent);
}
void ProgramDocument::setStatusText(std::string_view text) {
    if (progress_) progress_->setText(toQt(text));
}
void ProgramDocument::setWaiting(int seconds, std::string_view text) {
    if (progress_) progress_->setWaiting(seconds > 0 ? toQt(text) : QString());
}
void ProgramDocument::closeProgress() {
    delete progress_;
}
void ProgramDocument::activityStarted() {
    frame_.indicator()->start();
    frame_.updateCommands();
}
void ProgramDocument::activityStopped() {
    frame_.indicator()->stop();
    frame_.updateCommands();
}

void ProgramDocument::openLogWindow(const std::filesystem::path& logFile) {
    // Building the names' image and decoding a long log take a moment.
    std::optional<dialogparts::WaitCursor> wait(std::in_place);
    const PromImage image = core_->logImage();
    EventLogWindow window(context_.prompt(), context_.files(), logFile, context_.eventTexts(),
                          context_.labels(), &image, &frame_);
    wait.reset();
    window.exec();
}

}  // namespace loom
