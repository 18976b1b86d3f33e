#include "dialogs/IpAddressDialog.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtText.h"
#include "dialogs/DialogParts.h"
#include "platform/Settings.h"
#include "platform/UserPrompt.h"

namespace loom {
namespace {

constexpr int kIdCodeLength = 16;  // the ID code buffer
constexpr std::size_t kStoredLength = 31;

}  // namespace

IpAddressDialog::IpAddressDialog(SettingsStore& settings, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), settings_(settings), prompt_(prompt) {
    setWindowTitle(QStringLiteral("Ange IP-Adress"));
    auto* form = new QFormLayout;
    auto* addressLabel = new QLabel(QStringLiteral("&IP-Adress:"), this);
    auto* portLabel = new QLabel(QStringLiteral("&Port:"), this);
    auto* idLabel = new QLabel(QStringLiteral("I&D-kod:"), this);
    address_ = dialogparts::edit(addressLabel, this, false);
    port_ = dialogparts::edit(portLabel, this, false);
    idCode_ = dialogparts::edit(idLabel, this, true);
    idCode_->setMaxLength(kIdCodeLength);
    // Room for "255.255.255.255" with some to spare; the port and code take less.
    const int average = fontMetrics().averageCharWidth();
    address_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255")) +
                              6 * average);
    port_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("65535")) + 6 * average);
    idCode_->setMinimumWidth(port_->minimumWidth());
    form->addRow(addressLabel, address_);
    form->addRow(portLabel, port_);
    form->addRow(idLabel, idCode_);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    for (QAbstractButton* b : buttons->buttons())
        if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
            ok_ = qobject_cast<QPushButton*>(b);
    connect(buttons, &QDialogButtonBox::accepted, this, &IpAddressDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const Settings stored(settings_);
    address_->setText(toQt(stored.text(setting::kIpAddress)));
    port_->setText(toQt(stored.text(setting::kIpPort)));
    connect(address_, &QLineEdit::textChanged, this, &IpAddressDialog::validate);
    connect(port_, &QLineEdit::textChanged, this, &IpAddressDialog::validate);
    validate();
    // The code is what is typed each time; the address usually stays.
    QLineEdit* first = ok_->isEnabled() ? idCode_ : address_;
    first->selectAll();
    first->setFocus();
}

std::string IpAddressDialog::idCode() const {
    return fromQt(idCode_->text()).substr(0, kIdCodeLength);
}

void IpAddressDialog::validate() {
    ok_->setEnabled(isIpAddress(fromQt(address_->text())) && isIpPort(fromQt(port_->text())));
}

void IpAddressDialog::accept() {
    // Enter reaches here through the default button only while it is enabled.
    if (!ok_->isEnabled()) return;
    if (!isTcpIdCode(idCode())) {
        prompt_.show(MessageId::BadProductId, {}, MessageKind::Stop);
        idCode_->selectAll();
        idCode_->setFocus();
        return;
    }
    Settings stored(settings_);
    stored.setText(setting::kIpAddress, fromQt(address_->text()).substr(0, kStoredLength));
    stored.setText(setting::kIpPort, fromQt(port_->text()).substr(0, kStoredLength));
    QDialog::accept();
}

}  // namespace loom
