#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QLineEdit;

namespace loom {

class UserPrompt;

// Dialog 136 "Dator ID": one letter A-Z. Every change of the edit goes through the core's
// letter filter; a refused keystroke sounds the warning beep.
class ComputerIdDialog : public QDialog {
    Q_OBJECT
  public:
    ComputerIdDialog(std::string_view shown, UserPrompt& prompt, QWidget* parent = nullptr);

    // The edit's text (code page 1252).
    std::string text() const;
    QLineEdit* edit() const { return edit_; }

  private:
    void filter(const QString& text);

    UserPrompt& prompt_;
    QLineEdit* edit_;
};

}  // namespace loom
