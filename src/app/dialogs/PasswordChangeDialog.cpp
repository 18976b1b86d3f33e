#include "dialogs/PasswordChangeDialog.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "QtText.h"
#include "archive/PasswordChecks.h"
#include "dialogs/DialogParts.h"

namespace loom {

PasswordChangeDialog::PasswordChangeDialog(const PasswordChangeRequest& request, UserPrompt& prompt,
                                           QWidget* parent)
    : QDialog(parent), request_(request), prompt_(prompt) {
    setWindowTitle(QStringLiteral("Lösen"));
    auto* form = new QFormLayout;
    auto* user = new QLabel(toQt(request.userName), this);
    user->setAccessibleName(QStringLiteral("Användare"));
    user->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(user);
    auto* oldLabel = new QLabel(QStringLiteral("&Gammalt lösenord:"), this);
    auto* newLabel = new QLabel(QStringLiteral("&Nytt lösenord:"), this);
    auto* verificationLabel = new QLabel(QStringLiteral("&Verifiera lösenord:"), this);
    old_ = dialogparts::edit(oldLabel, this, true);
    new_ = dialogparts::edit(newLabel, this, true);
    verification_ = dialogparts::edit(verificationLabel, this, true);
    old_->setEnabled(request.checkOld);
    oldLabel->setEnabled(request.checkOld);
    form->addRow(oldLabel, old_);
    form->addRow(newLabel, new_);
    form->addRow(verificationLabel, verification_);
    // Wide enough for a long password to stay readable as dots.
    new_->setMinimumWidth(fontMetrics().averageCharWidth() * 24);

    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasswordChangeDialog::tryAccept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    (request.checkOld ? old_ : new_)->setFocus();
}

void PasswordChangeDialog::tryAccept() {
    const std::string newPassword = fromQt(new_->text());
    if (!acceptPasswordChange(request_, fromQt(old_->text()), newPassword,
                              fromQt(verification_->text()), prompt_))
        return;
    newPassword_ = newPassword;
    accept();
}

}  // namespace loom
