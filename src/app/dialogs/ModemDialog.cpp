#include "dialogs/ModemDialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "QtText.h"
#include "dialogs/DialogParts.h"

namespace loom {
namespace {

// The ID code buffer holds 16 characters.
constexpr int kIdCodeLength = 16;

QLineEdit* editIn(QGroupBox* group, bool password) {
    auto* edit = new QLineEdit(group);
    if (password) edit->setEchoMode(QLineEdit::Password);
    edit->setAccessibleName(dialogparts::plainCaption(group->title()));
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 30);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(edit);
    return edit;
}

}  // namespace

ModemDialog::ModemDialog(std::string_view phone, std::string_view idCode, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Koppla modem"));
    auto* phoneGroup = new QGroupBox(QStringLiteral("&Telefonnummer"), this);
    auto* idGroup = new QGroupBox(QStringLiteral("&ID-kod"), this);
    phone_ = editIn(phoneGroup, false);
    idCode_ = editIn(idGroup, true);
    idCode_->setMaxLength(kIdCodeLength);
    phone_->setText(toQt(phone));
    idCode_->setText(toQt(idCode.substr(0, kIdCodeLength)));

    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phoneGroup);
    layout->addWidget(idGroup);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    phone_->selectAll();
    phone_->setFocus();
}

std::string ModemDialog::phone() const {
    return fromQt(phone_->text());
}

std::string ModemDialog::idCode() const {
    return fromQt(idCode_->text());
}

}  // namespace loom
