#include "dialogs/SecurityCommands.h"

#include <QWidget>
#include <memory>

#include "archive/FileId.h"
#include "archive/PasswordChecks.h"
#include "archive/ReindexArchive.h"
#include "archive/SystemPassword.h"
#include "context/AppContext.h"
#include "dialogs/DialogParts.h"
#include "dialogs/QtDialogs.h"
#include "dialogs/RunProgress.h"

namespace loom {
namespace {

// The program's dialogs open over the command's window for the command's duration.
class DialogParent {
  public:
    DialogParent(AppContext& context, QWidget* parent)
        : dialogs_(dynamic_cast<QtDialogs*>(&context.dialogs())) {
        if (dialogs_ == nullptr) return;
        previous_ = dialogs_->parentWidget();
        dialogs_->setParent(parent);
    }
    ~DialogParent() {
        if (dialogs_ != nullptr) dialogs_->setParent(previous_);
    }
    DialogParent(const DialogParent&) = delete;
    DialogParent& operator=(const DialogParent&) = delete;

  private:
    QtDialogs* dialogs_;
    QWidget* previous_ = nullptr;
};

}  // namespace

bool runChangePersonalPassword(AppContext& context, QWidget* parent) {
    DialogParent over(context, parent);
    return changePersonalPassword(context);
}

bool runEditUsers(AppContext& context, QWidget* parent) {
    DialogParent over(context, parent);
    return editUsersAfterLogin(context);
}

bool runChangeSystemPassword(AppContext& context, QWidget* parent) {
    DialogParent over(context, parent);
    // Made when the first file is done: the questions before it have their own windows.
    std::unique_ptr<RunProgress> progress;
    return ChangeSystemPassword(context, [&](std::size_t done, std::size_t count) {
        if (!progress)
            progress = std::make_unique<RunProgress>(
                QStringLiteral("Systemlösen"), QStringLiteral("Krypterar om datafiler..."), parent);
        progress->step(done, count);
    });
}

bool runEditComputerId(AppContext& context, QWidget* parent) {
    DialogParent over(context, parent);
    return EditComputerId(context);
}

bool runRebuildIndex(AppContext& context, QWidget* parent) {
    DialogParent over(context, parent);
    if (!ConfirmReindex(context)) return false;
    dialogparts::WaitCursor wait;
    return ReindexArchive(context);
}

}  // namespace loom
