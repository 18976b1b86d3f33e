#include "document/PromDocument.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "archive/ArchiveSearch.h"
#include "archive/FileId.h"
#include "archive/IndexKey.h"
#include "archive/NewDataFile.h"
#include "archive/SystemPassword.h"
#include "archive/SystemSave.h"
#include "archive/TemplateLookup.h"
#include "context/AppContext.h"
#include "conversion/ConversionList.h"
#include "datafile/DataFile.h"
#include "document/DocumentView.h"
#include "document/PromDocumentImpl.h"
#include "link/PromLink.h"
#include "template/BitmapCache.h"
#include "template/FormInteraction.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "transfer/QueuedReceiver.h"
#include "transfer/TransferWorker.h"
#include "transfer/UiThread.h"

namespace loom {
namespace fs = std::filesystem;
namespace {

// The tree pane's width after a template load, and the margin around a page's controls.
constexpr int kTreeWidth = 100;
constexpr int kPageMargin = 10;

// Folders compare as text, but "FILES" and "FILES/" or "./FILES" are one folder.
bool sameFolder(const fs::path& a, const fs::path& b) {
    auto text = [](const fs::path& p) {
        fs::path n = p.lexically_normal();
        if (!n.has_filename() && n.has_parent_path()) n = n.parent_path();
        return n;
    };
    return text(a) == text(b);
}

bool samePath(const fs::path& a, const fs::path& b) {
    return a.lexically_normal() == b.lexically_normal();
}

}  // namespace

PromDocument::PromDocument(AppContext& context, UiThread& ui, DocumentView& view)
    : impl_(std::make_unique<Impl>(*this)),
      context_(context),
      ui_(ui),
      view_(view),
      queuedReceiver_(std::make_unique<QueuedReceiver>(ui, *this)) {
    job_.receiver = queuedReceiver_.get();
}

PromDocument::~PromDocument() {
    // Notifications still on their way find nobody from here on.
    queuedReceiver_->detach();
    if (worker_ && worker_->started()) {
        job_.cancel.set();
        job_.quit.set();
        job_.start.set();
        // The worker may be waiting for an answer of the user's thread; let it have one.
        while (!job_.ended.wait(std::chrono::milliseconds(20)))
            ui_.runPending();
        worker_.reset();
    }
    PromLink& link = context_.link();
    // A transfer cut short leaves the panel in the middle of an operation and the link
    // aborted: it is ended as a failed transfer would end it.
    if (linkInUse_) endConnection();
    // The link is the process's: it must not keep this document's event or dialog state.
    if (link.AbortEvent() == &job_.cancel) link.SetAbortEvent(nullptr);
    if (commActive_ != kIdle) link.SetTransferDialogOpen(false);
    // The interaction and the rules point into the form's controls. The views hear
    // nothing: they may be gone already.
    interaction_.reset();
    if (form_) context_.rules().clear();
}

void PromDocument::setTemplateEnvironment(DialogUnits units, BitmapLookup* bitmaps) {
    impl_->units = units;
    impl_->bitmaps = bitmaps;
}

void PromDocument::setReadsPictures(bool on) {
    impl_->readsPictures = on;
}

// ---- template ----

bool PromDocument::LoadTemplate(std::string_view name, bool selectFirstPage,
                                const fs::path& templatePath, bool keepValues) {
    const bool keepLoaded = keepValues && form_ && ConversionList::modelOf(form_->name()) == ConversionList::modelOf(name);
    if (!keepLoaded) {
        fs::path file = templatePath;
        if (file.empty()) {
            const std::optional<std::string> key = findTemplateForSystem(context_, name);
            if (!key || !isSafeIndexKey(*key)) return false;
            file = context_.programDirectory().folder(ProgramFolder::Forms) / pathFromText(*key);
        }
        // Only the very template the index names for the system stays loaded.
        if ((!form_ || !samePath(file, templatePath_)) && !replaceTemplate(file)) return false;
    }
    if (!form_) return false;
    if (!keepValues) {
        resetToDefaults();
        setModified(false);
        markSaved();
        view_.resetPageStates();
        showNoPage();
        if (selectFirstPage && form_->pageCount() > 0) view_.selectPage(0);
        view_.treeWidth(kTreeWidth);
    }
    return true;
}

// The views let go of the old template before any of it goes: the parser's messages
// that follow run an event loop in which widgets must not reach freed controls.
bool PromDocument::replaceTemplate(const fs::path& file) {
    unloadTemplate();
    std::unique_ptr<BitmapCache> pictures;
    if (impl_->readsPictures)
        pictures = std::make_unique<BitmapCache>(context_.files(), context_.prompt());
    ParserEnvironment env{tree_,
                          context_.eventTexts(),
                          context_.rules(),
                          context_.prompt(),
                          impl_->units,
                          pictures ? pictures.get() : impl_->bitmaps,
                          context_.programDirectory().root().string()};
    bool noErase = false;
    Parser parser;
    form_ = parser.Load(file.string(), env, noErase);
    if (form_ && pictures) form_->setBitmaps(std::move(pictures));
    if (form_) {
        templatePath_ = file;
        impl_->defaults = form_->store();
        interaction_ = std::make_unique<FormInteraction>(*form_, context_.rules(), impl_->relay,
                                                         context_.prompt());
        const fs::path help = helpFile();
        helpAvailable_ =
            !help.empty() && context_.files().exists(help) && !context_.files().isDirectory(help);
    } else {
        // A failed parse leaves part of its outline, an unreadable file the old one.
        tree_.clear();
    }
    view_.templateChanged();
    return form_ != nullptr;
}

void PromDocument::unloadTemplate() {
    if (form_) view_.templateGoing();
    interaction_.reset();
    templatePath_.clear();
    helpAvailable_ = false;
    DeleteContents();
    // The values shown belong to the template that goes: no file may receive them under
    // another template.
    path_.clear();
    context_.rules().clear();
    form_.reset();
    tree_.clear();
}

void PromDocument::resetToDefaults() {
    form_->setAllPages(impl_->defaults);
}

void PromDocument::markSaved() {
    if (!form_) return;
    for (FormControl* c : form_->controls())
        if (c->field != nullptr) c->initialValue = c->field->value;
    if (interaction_) interaction_->valuesSaved();
}

void PromDocument::DeleteContents() {
    setModified(false);
    showNoPage();
    setStatusDate({});
}

void PromDocument::setModified(bool on) {
    if (modified_ == on) return;
    modified_ = on;
    view_.modifiedChanged(on);
}

void PromDocument::showNoPage() {
    if (form_) form_->setShownPageIndex(-1);
    if (currentPage_ < 0) return;
    currentPage_ = -1;
    view_.pageChanged(-1);
}

void PromDocument::setStatusDate(std::string date) {
    if (date == statusDate_) return;
    statusDate_ = std::move(date);
    view_.statusDateChanged();
}

std::string PromDocument::fileDate(const fs::path& file) const {
    return swedishDate(context_.clock(), context_.files().lastWriteTime(file));
}

void PromDocument::setFormView(FormView* view) {
    impl_->relay.setTarget(view);
}

fs::path PromDocument::helpFile() const {
    if (!form_ || form_->helpPath().empty()) return {};
    return fs::path(form_->helpPath());
}

// ---- new ----

bool PromDocument::NewDocument() {
    if (commActive_ == kReading || !SaveModified() || !OnNewDocument()) return false;
    DropPromData();
    return true;
}

bool PromDocument::OnNewDocument() {
    if (commActive_ == kReading) return false;
    if (!started_) {
        started_ = true;
        if (form_) {
            unloadTemplate();
            view_.templateChanged();
        }
        clearDocument();
        return true;
    }
    const std::optional<ChosenTemplate> chosen = chooseSystem(context_, {});
    if (!chosen) return false;
    clearDocument();
    const fs::path file =
        context_.programDirectory().folder(ProgramFolder::Forms) / pathFromText(chosen->file);
    if (!LoadTemplate(chosen->name, true, file, false)) return false;
    AssignNewFileName();
    return true;
}

void PromDocument::clearDocument() {
    DeleteContents();
    path_.clear();
    impl_->newPath.clear();
    showingProm_ = false;
    sameIdFound_ = false;
    comparedFile_.clear();
}

// ---- files ----

bool PromDocument::OnOpenDocument(const fs::path& path) {
    if (commActive_ == kReading) return false;
    if (!SaveModified()) return false;
    DataFile data(context_);
    std::string templateName, password;
    if (!data.ReadHeader(path, templateName, password, true)) return false;
    if (password != context_.systemPassword() && !AcceptFilePassword(context_, password, true)) {
        context_.prompt().show(MessageId::WrongPassword, {}, MessageKind::Stop);
        return false;
    }
    if (!data.Read(path, true)) return false;
    if (!LoadTemplate(templateName, true, {}, false)) return false;
    form_->setAllPages(data.Store());
    for (int i = 0; i < form_->pageCount(); ++i)
        view_.markAvailable(i);
    path_ = path;
    impl_->newPath.clear();
    setModified(false);
    setStatusDate(fileDate(path));
    showingProm_ = false;
    sameIdFound_ = false;
    comparedFile_.clear();
    DropPromData();
    view_.valuesChanged();
    return true;
}

bool PromDocument::OnSaveDocument(const fs::path& path) {
    if (!form_ || promReadRunning()) return false;
    fs::path folder = path.parent_path();
    const fs::path name = path.filename();
    const fs::path files = context_.programDirectory().folder(ProgramFolder::Files);
    if (!sameFolder(folder, files)) {
        const Answer answer = context_.prompt().ask(MessageId::OtherFolder, Buttons::YesNoCancel,
                                                    MessageKind::Question);
        if (answer != Answer::Yes && answer != Answer::No) return false;
        if (answer == Answer::Yes) folder = files;
    }
    if (sameFolder(folder, files)) context_.files().createFolder(files);
    const fs::path target = folder / name;
    const FieldStore values = CollectValues();
    if (!SaveSystem(context_, target, form_->name(), context_.systemPassword(), values, true)
             .written)
        return false;
    setModified(false);
    markSaved();
    setStatusDate(fileDate(target));
    path_ = target;
    impl_->newPath.clear();
    return true;
}

bool PromDocument::Save() {
    if (path_.empty()) AssignNewFileName();
    const bool ok = path_ == impl_->newPath ? saveNew() : OnSaveDocument(path_);
    if (ok) DropPromData();
    return ok;
}

bool PromDocument::SaveAsNew() {
    if (promReadRunning() || !form_) return false;
    AssignNewFileName();
    const bool ok = saveNew();
    if (ok) DropPromData();
    return ok;
}

// A name is only claimed when the file is made: two documents (or two computers with one
// letter) given the same name within a second both keep their files.
bool PromDocument::saveNew() {
    if (!form_ || promReadRunning()) return false;
    const fs::path taken = SaveNewDataFile(context_, DataFile::fileTitle(path_), form_->name(),
                                           context_.systemPassword(), CollectValues(), true);
    if (taken.empty()) return false;
    setModified(false);
    markSaved();
    setStatusDate(fileDate(taken));
    path_ = taken;
    impl_->newPath.clear();
    return true;
}

bool PromDocument::SaveModified() {
    if (!modified_) return true;
    const Answer answer =
        context_.prompt().ask(MessageId::SaveChanges, Buttons::YesNoCancel, MessageKind::Question);
    if (answer == Answer::Yes) return Save();
    return answer == Answer::No;
}

void PromDocument::AssignNewFileName() {
    path_ = filesPath(NewFileId(context_));
    impl_->newPath = path_;
}

fs::path PromDocument::filesPath(std::string_view fileId) const {
    return dataFilePath(context_.programDirectory().folder(ProgramFolder::Files), fileId);
}

bool PromDocument::CanCloseFrame() {
    if (commActive_ != kIdle &&
        context_.prompt().ask(MessageId::CloseDuringTransfer, Buttons::YesNo,
                              MessageKind::Question) != Answer::Yes)
        return false;
    return SaveModified();
}

FieldStore PromDocument::CollectValues() const {
    FieldStore values;
    if (form_)
        for (int i = 0; i < form_->pageCount(); ++i)
            form_->storePage(i, values);
    return values;
}

// A PROM read fills the values shown: nothing may save them meanwhile. A log read leaves
// them alone, and its question whether to save before another template comes must work.
bool PromDocument::promReadRunning() const {
    return commActive_ == kReading && !job_.logFlag;
}

// ---- pages ----

void PromDocument::SetPage(int index) {
    if (!form_ || index == currentPage_ || index < 0 || index >= form_->pageCount()) return;
    currentPage_ = index;
    form_->setShownPageIndex(index);
    view_.pageChanged(index);
}

int PromDocument::pageCount() const {
    return form_ ? form_->pageCount() : 0;
}

std::string PromDocument::pageName(int index) const {
    if (index < 0 || index >= pageCount()) return {};
    return form_->page(index).name;
}

PageSize PromDocument::pageSize(int index) const {
    if (index < 0 || index >= pageCount()) return {};
    const FormPage& page = form_->page(index);
    return {page.extentWidth + kPageMargin, page.extentHeight + kPageMargin};
}

void PromDocument::NextPage() {
    if (!form_ || form_->pageCount() == 0) return;
    view_.selectPage(currentPage_ + 1 >= form_->pageCount() ? 0 : currentPage_ + 1);
}

void PromDocument::PreviousPage() {
    if (!form_ || form_->pageCount() == 0) return;
    view_.selectPage(currentPage_ <= 0 ? form_->pageCount() - 1 : currentPage_ - 1);
}

// ---- the file's and the PROM's values ----

void PromDocument::swapValueSets() {
    FieldStore shown = CollectValues();
    form_->setAllPages(otherValues_);
    otherValues_ = std::move(shown);
    view_.valuesChanged();
}

void PromDocument::ShowProm() {
    if (!promDiffers_ || showingProm_ || !form_) return;
    swapValueSets();
    showingProm_ = true;
}

void PromDocument::ShowFile() {
    if (!promDiffers_ || !showingProm_ || !form_) return;
    swapValueSets();
    showingProm_ = false;
}

void PromDocument::DropPromData() {
    const bool differed = promDiffers_;
    // The views ask what is left when they hear of it: nothing.
    promDiffers_ = false;
    otherValues_.clear();
    if (differed) view_.clearDifferences();
}

std::vector<FieldDifference> PromDocument::Differences() const {
    return impl_->differences;
}

}  // namespace loom
