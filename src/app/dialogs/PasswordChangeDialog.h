#pragma once

#include <QDialog>
#include <string>

#include "platform/Dialogs.h"

class QLineEdit;

namespace loom {

class UserPrompt;

// Dialog 138 "Lösen": the user's name, the old password (disabled when it is not
// checked), the new one and its verification. OK runs the core's checks, which say what
// is wrong; the dialog stays until they pass or it is cancelled.
class PasswordChangeDialog : public QDialog {
    Q_OBJECT
  public:
    PasswordChangeDialog(const PasswordChangeRequest& request, UserPrompt& prompt,
                         QWidget* parent = nullptr);

    // The accepted new password (code page 1252).
    const std::string& newPassword() const { return newPassword_; }

  private:
    void tryAccept();

    PasswordChangeRequest request_;
    UserPrompt& prompt_;
    QLineEdit* old_;
    QLineEdit* new_;
    QLineEdit* verification_;
    std::string newPassword_;
};

}  // namespace loom
