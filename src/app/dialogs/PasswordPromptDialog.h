#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QLineEdit;

namespace loom {

class UserPrompt;

// Dialog 172 "Ange systemlösen": the password that allows a change of the users. OK
// passes only with the expected password (the core's check says when it is wrong).
class PasswordPromptDialog : public QDialog {
    Q_OBJECT
  public:
    PasswordPromptDialog(std::string_view expected, UserPrompt& prompt, QWidget* parent = nullptr);

  private:
    void tryAccept();

    std::string expected_;
    UserPrompt& prompt_;
    QLineEdit* password_;
};

}  // namespace loom
