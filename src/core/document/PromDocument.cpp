#include "document/PromDocument.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "archive/FileId.h"
#include "archive/IndexKey.h"
#include "archive/NewDataFile.h"
#include "archive/SystemPassword.h"
#include "archive/TemplateLookup.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/DocumentView.h"
#include "document/PromDocumentImpl.h"
#include "template/BitmapCache.h"
#include "template/Parser.h"
#include "transfer/QueuedReceiver.h"
#include "transfer/TransferWorker.h"
#include "transfer/UiThread.h"

namespace loom {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kModelLength = 13;

std::string_view modelOf(std::string_view name) {
    return name.substr(0, std::min(name.size(), kModelLength));
}

// Folders compare as text, but "FILES" and "FILES/" or "./FILES" are one folder.
bool sameFolder(const fs::path& a, const fs::path& b) {
    auto text = [](const fs::path& p) {
        fs::path n = p.lexically_normal();
        if (!n.has_filename() && n.has_parent_path()) n = n.parent_path();
        return n;
    };
    return text(a) == text(b);
}

}  // namespace

PromDocument::PromDocument(AppContext& context, UiThread& ui, DocumentView& view)
    : impl_(std::make_unique<Impl>()),
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
    if (linkInUse_) Disconnect();
    // The link is the process's: it must not keep this document's event or dialog state.
    if (link.AbortEvent() == &job_.cancel) link.SetAbortEvent(nullptr);
    if (commActive_ != kIdle) link.SetTransferDialogOpen(false);
    // The rules point into the form's controls.
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
    const bool keepLoaded = keepValues && form_ && modelOf(form_->name()) == modelOf(name);
    if (!keepLoaded) {
        fs::path file = templatePath;
        if (file.empty()) {
            const std::optional<std::string> key = findTemplateForSystem(context_, name);
            if (!key || !isSafeIndexKey(*key)) return false;
            file = context_.programDirectory().folder(ProgramFolder::Forms) / pathFromText(*key);
        }
        if (!form_ || file != templatePath_) {
            templatePath_.clear();
            DeleteContents();
            // The values shown belong to the template that goes: no file may receive them
            // under another template.
            path_.clear();
            context_.rules().clear();
            form_.reset();
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
            view_.updateAllViews();
            if (!form_) return false;
            templatePath_ = file;
            impl_->defaults = form_->store();
        }
    }
    if (!form_) return false;
    if (!keepValues) {
        resetToDefaults();
        modified_ = false;
        markSaved();
        view_.resetPageStates();
        currentPage_ = -1;
        form_->setShownPageIndex(-1);
        view_.updateAllViews();
        if (selectFirstPage && form_->pageCount() > 0) view_.selectPage(0);
    }
    return true;
}

void PromDocument::resetToDefaults() {
    for (int i = 0; i < form_->pageCount(); ++i)
        form_->setPage(i, impl_->defaults);
}

void PromDocument::markSaved() {
    if (!form_) return;
    for (FormControl* c : form_->controls())
        if (c->field != nullptr) c->initialValue = c->field->value;
}

void PromDocument::DeleteContents() {
    modified_ = false;
    currentPage_ = -1;
    if (form_) form_->setShownPageIndex(-1);
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
    for (int i = 0; i < form_->pageCount(); ++i) {
        form_->setPage(i, data.Store());
        view_.markAvailable(i);
    }
    path_ = path;
    impl_->newPath.clear();
    modified_ = false;
    showingProm_ = false;
    sameIdFound_ = false;
    comparedFile_.clear();
    DropPromData();
    view_.updateAllViews();
    return true;
}

bool PromDocument::OnSaveDocument(const fs::path& path) {
    if (!form_ || promReadRunning()) return false;
    fs::path folder = path.parent_path();
    const fs::path name = path.filename();
    const fs::path files = context_.programDirectory().folder(ProgramFolder::Files);
    if (!sameFolder(folder, files)) {
        const Answer answer = context_.prompt().ask(messageText(MessageId::OtherFolder),
                                                    Buttons::YesNoCancel, MessageKind::Question);
        if (answer != Answer::Yes && answer != Answer::No) return false;
        if (answer == Answer::Yes) folder = files;
    }
    if (sameFolder(folder, files)) context_.files().createFolder(files);
    const fs::path target = folder / name;
    const FieldStore values = CollectValues();
    if (!DataFile(context_).Write(target, form_->name(), context_.systemPassword(), values, true))
        return false;
    modified_ = false;
    markSaved();
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
    modified_ = false;
    markSaved();
    path_ = taken;
    impl_->newPath.clear();
    return true;
}

bool PromDocument::SaveModified() {
    if (!modified_) return true;
    const Answer answer = context_.prompt().ask(messageText(MessageId::SaveChanges),
                                                Buttons::YesNoCancel, MessageKind::Question);
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
        context_.prompt().ask(messageText(MessageId::CloseDuringTransfer), Buttons::YesNo,
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
    view_.updateAllViews();
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
    for (int i = 0; i < form_->pageCount(); ++i)
        form_->setPage(i, otherValues_);
    otherValues_ = std::move(shown);
    view_.updateAllViews();
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
    if (promDiffers_) {
        view_.clearDifferences();
        view_.updateAllViews();
    }
    promDiffers_ = false;
    otherValues_.clear();
}

std::vector<FieldDifference> PromDocument::Differences() const {
    return impl_->differences;
}

}  // namespace loom
