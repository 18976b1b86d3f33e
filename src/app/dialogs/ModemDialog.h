#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QLineEdit;

namespace loom {

// Dialog 200 "Koppla modem": the telephone number to dial and the panel's ID code, filled
// with the last ones used. Nothing is checked here: the ID code goes to the panel as typed.
class ModemDialog : public QDialog {
    Q_OBJECT
  public:
    ModemDialog(std::string_view phone, std::string_view idCode, QWidget* parent = nullptr);

    // Code page 1252.
    std::string phone() const;
    std::string idCode() const;
    QLineEdit* phoneEdit() const { return phone_; }
    QLineEdit* idCodeEdit() const { return idCode_; }

  private:
    QLineEdit* phone_;
    QLineEdit* idCode_;
};

}  // namespace loom
