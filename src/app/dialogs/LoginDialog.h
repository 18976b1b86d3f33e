#pragma once

#include <QDialog>

#include "archive/LoginController.h"

class QLineEdit;
class QPushButton;

namespace loom {

class AppContext;

// Dialog 169 "Inloggning": name, password and "Användare..." over the core's
// LoginController. It ends with Accepted only after a successful login (the context's
// current user is then set); anything else means the program ends.
class LoginDialog : public QDialog {
    Q_OBJECT
  public:
    explicit LoginDialog(AppContext& context, QWidget* parent = nullptr);

    // What the dialog does before it shows: reads the system password, or offers to
    // create a new password file. False: the login is over (the program ends).
    bool prepare();
    // prepare() and the modal dialog: true when the user logged in.
    static bool login(AppContext& context, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* passwordEdit() const { return password_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* usersButton() const { return users_; }

  private:
    void tryAccept();

    LoginController controller_;
    QLineEdit* name_;
    QLineEdit* password_;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* users_;
};

}  // namespace loom
