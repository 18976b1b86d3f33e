#include "dialogs/QtDialogs.h"

#include <QApplication>

#include "archive/UsersList.h"
#include "context/AppContext.h"
#include "dialogs/ChooseSystemDialog.h"
#include "dialogs/ComputerIdDialog.h"
#include "dialogs/PasswordChangeDialog.h"
#include "dialogs/PasswordPromptDialog.h"
#include "dialogs/TemporaryPasswordsDialog.h"
#include "dialogs/UsersDialog.h"

namespace loom {

QWidget* QtDialogs::parent() const {
    if (parent_ != nullptr) return parent_;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

std::optional<std::string> QtDialogs::changePassword(const PasswordChangeRequest& request) {
    PasswordChangeDialog dialog(request, context_.prompt(), parent());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.newPassword();
}

bool QtDialogs::promptPassword(std::string_view expected) {
    PasswordPromptDialog dialog(expected, context_.prompt(), parent());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<std::array<std::string, 3>> QtDialogs::temporaryPasswords() {
    TemporaryPasswordsDialog dialog(parent());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.texts();
}

std::optional<std::string> QtDialogs::computerId(std::string_view shown) {
    ComputerIdDialog dialog(shown, context_.prompt(), parent());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.text();
}

bool QtDialogs::users() {
    UsersList list(context_);
    if (!list.open()) return false;
    UsersDialog dialog(list, parent());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<std::size_t> QtDialogs::chooseSystem(const std::vector<std::string>& rows) {
    ChooseSystemDialog dialog(rows, parent());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedRow();
}

}  // namespace loom
