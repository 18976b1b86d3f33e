#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace loom {

class SettingsStore;
class UserPrompt;

// "Ange IP-Adress": the panel's address and port, kept in the settings "IP-ADDR" and
// "IP-PORT", and the ID code, which starts empty each time. OK is enabled only while the
// address and the port are valid; an ID code that is not six digits is refused with
// "Felaktigt Produkt-ID" and the dialog stays open.
class IpAddressDialog : public QDialog {
    Q_OBJECT
  public:
    IpAddressDialog(SettingsStore& settings, UserPrompt& prompt, QWidget* parent = nullptr);

    // The ID code accepted (code page 1252).
    std::string idCode() const;

    QLineEdit* addressEdit() const { return address_; }
    QLineEdit* portEdit() const { return port_; }
    QLineEdit* idCodeEdit() const { return idCode_; }
    QPushButton* okButton() const { return ok_; }

  public slots:
    // Checks the ID code, stores the address and the port, closes.
    void accept() override;

  private:
    void validate();

    SettingsStore& settings_;
    UserPrompt& prompt_;
    QLineEdit* address_;
    QLineEdit* port_;
    QLineEdit* idCode_;
    QPushButton* ok_ = nullptr;
};

}  // namespace loom
