#include "dialogs/SecurityCommands.h"

#include <QWidget>

#include "archive/FileId.h"
#include "archive/PasswordChecks.h"
#include "archive/ReindexArchive.h"
#include "context/AppContext.h"
#include "dialogs/DialogParts.h"
#include "dialogs/QtDialogs.h"

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
