// The document's side of PROM transfers: starting them, taking the worker's notifications
// and completing them.
#include <algorithm>
#include <array>
#include <span>
#include <unordered_map>
#include <utility>

#include "archive/FileId.h"
#include "context/AppContext.h"
#include "conversion/ConversionList.h"
#include "datafile/DataFile.h"
#include "document/DocumentView.h"
#include "document/PromDocument.h"
#include "document/PromDocumentImpl.h"
#include "eventlog/LogFile.h"
#include "fields/FieldCodec.h"
#include "fields/PromImageBuilder.h"
#include "link/PromLink.h"
#include "platform/Settings.h"
#include "transfer/QueuedReceiver.h"
#include "transfer/TransferWorker.h"

namespace loom {
namespace fs = std::filesystem;
namespace {

std::uint64_t endOf(const FieldRecord& r) {
    return byteAddress(r.address) +
           (std::uint64_t{bitOffset(r.address)} + sizeInBits(r.size) + 7) / 8;
}

// An erased PROM reads 0xFF throughout; a panel may send such blocks or none at all.
bool holdsProgrammedBlock(const PromImage& image) {
    for (const PromBlock& block : image.blocks())
        if (std::any_of(block.data.begin(), block.data.end(),
                        [](std::uint8_t b) { return b != PromImage::kErased; }))
            return true;
    return false;
}

}  // namespace

// ---- starting ----

bool PromDocument::PrepareTransfer() {
    if (commActive_ != kIdle) {
        context_.prompt().show(MessageId::TransferRunning);
        return false;
    }
    PromLink& link = context_.link();
    link.RefreshProduct();
    if (!link.AwaitSupervisionAck()) {
        Disconnect();
        return false;
    }
    job_.resetEvents();
    if (!worker_) {
        worker_ = std::make_unique<TransferWorker>(context_, job_);
        worker_->start();
    }
    job_.snapshot.reset();
    job_.receiver = queuedReceiver_.get();
    link.SetAbortEvent(&job_.cancel);
    if (!link.IsOpen() && !OpenLocalPort(Settings(context_.settings()).text(setting::kLocalPort)))
        return false;
    return true;
}

void PromDocument::startOperation() {
    ++operation_;
    lastMessage_.reset();
    ownFailure_ = TransferFailure::None;
    promEmpty_ = false;
    lastLogAdded_ = 0;
    job_.start.set();
    openProgress(commActive_ == kReading);
}

void PromDocument::startRead(bool log) {
    commActive_ = kReading;
    job_.readFlag = true;
    job_.logFlag = log;
    job_.productAddress = -1;
    job_.idAddress = -1;
    startOperation();
}

bool PromDocument::ReadProm() {
    // The read replaces the values shown: unsaved changes are offered a save first.
    if (commActive_ == kIdle && !SaveModified()) return false;
    if (!PrepareTransfer()) return false;
    sameIdFound_ = false;
    // The marks of an earlier read go with its data, even when this read fails early.
    DropPromData();
    startRead(false);
    return true;
}

bool PromDocument::WriteProm() {
    if (!form_) return false;
    if (context_.prompt().ask(MessageId::ConfirmWriteProm, Buttons::YesNo, MessageKind::Question) !=
        Answer::Yes)
        return false;
    if (!PrepareTransfer()) return false;
    if (modified_ && context_.prompt().ask(MessageId::AlsoSave, Buttons::YesNo,
                                           MessageKind::Question) == Answer::Yes)
        Save();
    job_.snapshot = std::make_unique<FieldStore>(CollectValues());
    job_.templateModel = form_->name();
    const std::vector<std::uint8_t> idForm = FileIdToBytes(DataFile::fileTitle(path_));
    job_.fileIdForm.assign(idForm.begin(), idForm.end());
    commActive_ = kWriting;
    job_.readFlag = false;
    job_.logFlag = false;
    job_.idAddress = form_->idAddress();
    job_.productAddress = form_->productAddress();
    job_.noErase = form_->noErase();
    startOperation();
    return true;
}

bool PromDocument::ReadLog() {
    if (!PrepareTransfer()) return false;
    startRead(true);
    return true;
}

void PromDocument::CancelTransfer() {
    if (commActive_ == kIdle) return;
    // The transfer may end while the question is open, and the next may have begun.
    const unsigned asked = operation_;
    if (context_.prompt().ask(MessageId::ConfirmCancelTransfer, Buttons::YesNo,
                              MessageKind::Question) == Answer::Yes &&
        commActive_ != kIdle && operation_ == asked)
        job_.cancel.set();
}

void PromDocument::CancelFromProgress() {
    if (commActive_ != kIdle) job_.cancel.set();
}

void PromDocument::openProgress(bool reading) {
    std::string first;
    if (Settings(context_.settings()).text(setting::kProduct) == "VT 340")
        first = messageText(MessageId::PressResetButton);
    context_.link().SetTransferDialogOpen(true);
    view_.openProgress(reading, first);
}

void PromDocument::closeProgress() {
    view_.closeProgress();
    context_.link().SetTransferDialogOpen(false);
}

void PromDocument::say(MessageId id, MessageKind kind) {
    lastMessage_ = id;
    context_.prompt().show(id, {}, kind);
}

// ---- notifications ----

void PromDocument::transferBegun() {
    view_.activityStarted();
}

void PromDocument::progress(int percent) {
    view_.setProgress(percent);
}

void PromDocument::statusText(std::unique_ptr<std::string> text) {
    if (text) view_.setStatusText(*text);
}

void PromDocument::waiting(int seconds) {
    if (commActive_ == kIdle) return;
    view_.setWaiting(seconds,
                     seconds > 0 ? formatMessage(MessageId::WaitingForPanel, {seconds}) : "");
}

void PromDocument::panelIdentity(bool logRead, std::unique_ptr<std::string> identity) {
    if (commActive_ != kReading) return;
    panelIdentity_ = identity ? *identity : std::string();
    if (verifying_) {
        // The write has checked the model; the read-back only collects the bytes.
        job_.proceed.set();
        return;
    }
    if (logRead) {
        // The log window decodes with the panel's template; the open system stays when it
        // is of that model, and is offered a save before it makes room for another.
        const bool sameModel = form_ && ConversionList::modelOf(form_->name()) == ConversionList::modelOf(panelIdentity_);
        if ((!sameModel && !SaveModified()) || !LoadTemplate(panelIdentity_, true, {}, true)) {
            ownFailure_ = TransferFailure::Refused;
            job_.cancel.set();
            return;
        }
        job_.proceed.set();
        return;
    }
    if (!LoadTemplate(panelIdentity_, false, {}, false)) {
        ownFailure_ = TransferFailure::Refused;
        job_.cancel.set();
        return;
    }
    prepareRead();
    job_.noErase = form_->noErase();
    job_.proceed.set();
}

void PromDocument::prepareRead() {
    promDiffers_ = false;
    showingProm_ = false;
    sameIdFound_ = false;
    otherValues_.clear();
    comparedFile_.clear();
    // Until the read has ended well the values are no file's: nothing may save them over one.
    path_.clear();
    setStatusDate({});
    setModified(false);
    identified_ = form_->idAddress() < 0;
    promImage_.clear();

    Impl& s = *impl_;
    s.waiting.clear();
    s.nextWaiting = 0;
    s.readFinished = false;
    s.readFileId.clear();
    s.comparedValues.clear();
    s.differences.clear();
    const int pages = form_->pageCount();
    s.pagePending.assign(static_cast<std::size_t>(pages), 0);
    s.pageDiffers.assign(static_cast<std::size_t>(pages), 0);

    std::unordered_map<FieldAddress, std::size_t> index;
    for (int p = 0; p < pages; ++p) {
        for (FormControl* c : form_->page(p).allControls) {
            if (c->field == nullptr || isAddressless(c->field->address)) continue;
            const auto [it, fresh] = index.try_emplace(c->field->address, s.waiting.size());
            if (fresh) s.waiting.push_back(WaitingField{endOf(*c->field), c->field, {}, {}});
            WaitingField& w = s.waiting[it->second];
            w.controls.push_back(c);
            if (w.pages.empty() || w.pages.back() != p) {
                w.pages.push_back(p);
                ++s.pagePending[static_cast<std::size_t>(p)];
            }
        }
    }
    std::stable_sort(s.waiting.begin(), s.waiting.end(),
                     [](const WaitingField& a, const WaitingField& b) { return a.end < b.end; });

    view_.markAllUnavailable();
    for (int p = 0; p < pages; ++p)
        if (s.pagePending[static_cast<std::size_t>(p)] == 0) view_.markAvailable(p);
}

void PromDocument::blockReceived(std::unique_ptr<ReceivedBlock> block) {
    if (!block || commActive_ != kReading || job_.logFlag) return;
    if (verifying_) {
        if (block->address >= 0)
            verifyImage_.write(static_cast<std::uint32_t>(block->address), block->data);
        return;
    }
    if (!form_ || impl_->readFinished) return;
    if (block->address < 0) {
        finishRead();
        return;
    }
    const auto address = static_cast<std::uint32_t>(block->address);
    promImage_.write(address, block->data);
    const std::uint64_t reach = std::uint64_t{address} + 16;
    if (!identified_ && reach >= static_cast<std::uint64_t>(form_->idAddress()) + 8 &&
        idBlocksPresent()) {
        identifyReadFile();
        identified_ = true;
    }
    if (!identified_) return;
    Impl& s = *impl_;
    while (s.nextWaiting < s.waiting.size() && s.waiting[s.nextWaiting].end <= reach) {
        WaitingField& w = s.waiting[s.nextWaiting++];
        const bool differs = completeField(w);
        for (int p : w.pages) {
            if (differs) s.pageDiffers[static_cast<std::size_t>(p)] = 1;
            pageFieldDone(p);
        }
    }
}

void PromDocument::pageFieldDone(int page) {
    const auto p = static_cast<std::size_t>(page);
    if (--impl_->pagePending[p] != 0) return;
    view_.markAvailable(page);
    if (impl_->pageDiffers[p]) view_.markDiffering(page);
    if (page == currentPage_) view_.valuesChanged();
}

bool PromDocument::idBlocksPresent() const {
    const auto id = static_cast<std::uint32_t>(form_->idAddress());
    return promImage_.hasBlock(id & ~15u) && promImage_.hasBlock((id + 7) & ~15u);
}

void PromDocument::identifyReadFile() {
    if (form_->idAddress() < 0) return;
    std::array<std::uint8_t, kFileIdLength> bytes{};
    promImage_.readInto(static_cast<std::uint32_t>(form_->idAddress()), bytes);
    const std::string fileId = FileIdFromBytes(bytes);
    if (!IsWellFormedFileId(fileId)) return;
    impl_->readFileId = fileId;
    const fs::path file = filesPath(fileId);
    if (!context_.files().exists(file)) return;
    DataFile data(context_);
    if (!data.Read(file, true)) return;
    sameIdFound_ = true;
    comparedFile_ = file;
    impl_->comparedValues = std::move(data.Store());

    // The file's value set, as opening it would show it.
    otherValues_ = CollectValues();
    for (FieldRecord* r : otherValues_.ordered())
        if (const FieldRecord* f = impl_->comparedValues.find(r->address)) r->value = f->value;
    // The PROM has no place for address-less values: they stay the file's, or a save of
    // the values read would wipe them from the file.
    FieldStore addressless;
    impl_->comparedValues.forEach([&](const FieldRecord& r) {
        if (isAddressless(r.address)) addressless.copyIn(r);
    });
    form_->setAllPages(addressless);
}

bool PromDocument::completeField(WaitingField& w) {
    FieldRecord& record = *w.record;
    std::string text;
    const bool decoded =
        Decode(record.type, record.address, record.size, promImage_, text) == CodecResult::Ok;
    if (decoded) record.value = text;
    for (FormControl* c : w.controls) {
        c->initialValue = record.value;
        form_->refreshText(*c);
    }
    if (!sameIdFound_) return false;
    FieldRecord fileRecord = record;
    if (const FieldRecord* f = impl_->comparedValues.find(record.address)) {
        fileRecord.value = f->value;
    } else if (const FieldRecord* d = impl_->defaults.find(record.address)) {
        fileRecord.value = d->value;
    }
    std::string expected;
    if (!normaliseValue(fileRecord, expected)) expected = fileRecord.value;
    if (decoded && text == expected) return false;
    impl_->differences.push_back(FieldDifference{w.pages.empty() ? -1 : w.pages.front(),
                                                 record.address, fileRecord.value,
                                                 decoded ? text : std::string()});
    promDiffers_ = true;
    return true;
}

void PromDocument::finishRead() {
    Impl& s = *impl_;
    if (!identified_) {
        identifyReadFile();
        identified_ = true;
    }
    // Every field once more from the whole image: a block that came out of address order
    // cannot leave a value decoded before its bytes were in.
    promDiffers_ = false;
    s.differences.clear();
    std::fill(s.pageDiffers.begin(), s.pageDiffers.end(), 0);
    for (WaitingField& w : s.waiting)
        if (completeField(w))
            for (int p : w.pages)
                s.pageDiffers[static_cast<std::size_t>(p)] = 1;
    s.nextWaiting = s.waiting.size();
    std::fill(s.pagePending.begin(), s.pagePending.end(), 0);
    view_.clearDifferences();
    for (int p = 0; p < form_->pageCount(); ++p) {
        view_.markAvailable(p);
        if (s.pageDiffers[static_cast<std::size_t>(p)]) view_.markDiffering(p);
    }
    s.readFinished = true;
    view_.valuesChanged();
}

// ---- completion ----

void PromDocument::transferDone(const TransferOutcome& outcome) {
    if (commActive_ == kIdle) return;
    const bool writing = commActive_ == kWriting;
    const bool verifyNext = std::exchange(verifyAfterWrite_, false);
    const bool verified = std::exchange(verifying_, false);
    commActive_ = kIdle;
    view_.activityStopped();
    closeProgress();
    lastResult_ = outcome.result;
    const bool failed = outcome.result == 0;
    // The document's own refusal (no template, no save) explains a cancel it set itself.
    lastFailure_ = !failed                                ? TransferFailure::None
                   : ownFailure_ != TransferFailure::None ? ownFailure_
                                                          : outcome.failure;
    promIncomplete_ = failed && writing && outcome.promIncomplete;
    if (failed) {
        if (const std::optional<MessageId> reason = failureMessage(lastFailure_))
            context_.prompt().show(*reason, {}, MessageKind::Warning);
        say(MessageId::TransferAborted, MessageKind::Warning);
        // Last, so that it is what the user is left with.
        if (promIncomplete_)
            context_.prompt().show(MessageId::PromIncomplete, {}, MessageKind::Stop);
        Disconnect();
        return;
    }
    if (writing) {
        sentImage_ = job_.sentImage;
        promImage_ = sentImage_;
        say(MessageId::WriteDone);
        if (verifyNext && !startVerifyRead()) say(MessageId::TransferAborted, MessageKind::Warning);
        return;
    }
    if (verified) {
        completeVerify();
        return;
    }
    if (job_.logFlag) {
        completeLogRead();
        return;
    }
    completePromRead();
}

void PromDocument::completePromRead() {
    if (!form_) return;
    if (!impl_->readFinished) finishRead();
    showingProm_ = true;
    promEmpty_ = !holdsProgrammedBlock(promImage_);
    if (promEmpty_) {
        // The template's values over an erased PROM are no system: nothing to offer for
        // saving, no name for it, and message 80 would announce a new one.
        path_.clear();
        setModified(false);
        say(MessageId::PromEmpty);
        return;
    }
    // The values read can be saved: under the PROM's own identifier when it has one.
    if (impl_->readFileId.empty()) {
        AssignNewFileName();
    } else {
        path_ = filesPath(impl_->readFileId);
    }
    if (!sameIdFound_) {
        setModified(true);
        say(MessageId::ReadDoneNoFile);
    } else {
        say(promDiffers_ ? MessageId::ReadDoneDiffers : MessageId::ReadDoneIdentical);
    }
}

void PromDocument::completeLogRead() {
    lastLogStored_ = false;
    lastLogAdded_ = 0;
    const fs::path remembered = path_;
    if (!job_.lastFileId.empty()) path_ = filesPath(job_.lastFileId);
    const fs::path log = LogFilePath();
    if (!log.empty()) {
        LogMergeCounts counts;
        const std::span<const std::uint8_t> received(
            reinterpret_cast<const std::uint8_t*>(job_.logText.data()), job_.logText.size());
        lastLogStored_ = MergeLog(context_.files(), log, received, &counts);
        lastLogAdded_ = lastLogStored_ ? counts.added : 0;
        context_.prompt().beep();
        view_.openLogWindow(log);
    }
    path_ = remembered;
}

fs::path PromDocument::LogFilePath() const {
    return loom::LogFilePath(context_.programDirectory(), path_);
}

void PromDocument::ViewLog() {
    const fs::path log = LogFilePath();
    if (!log.empty()) view_.openLogWindow(log);
}

PromImage PromDocument::logImage() const {
    return PromImageBuilder::build(CollectValues());
}

}  // namespace loom
