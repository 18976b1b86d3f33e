#include "dialogs/PasswordPromptDialog.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "QtText.h"
#include "archive/PasswordChecks.h"
#include "dialogs/DialogParts.h"

namespace loom {

PasswordPromptDialog::PasswordPromptDialog(std::string_view expected, UserPrompt& prompt,
                                           QWidget* parent)
    : QDialog(parent), expected_(expected), prompt_(prompt) {
    setWindowTitle(QStringLiteral("Ange systemlösen"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dialogparts::wrappedText(
        QStringLiteral("För att få ändra tillåtna användare måste först aktuellt användarlösen "
                       "anges."),
        this, 40));
    auto* form = new QFormLayout;
    auto* label = new QLabel(QStringLiteral("&Användarlösen:"), this);
    password_ = dialogparts::edit(label, this, true);
    form->addRow(label, password_);
    layout->addLayout(form);
    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasswordPromptDialog::tryAccept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    password_->setFocus();
}

void PasswordPromptDialog::tryAccept() {
    if (acceptPasswordPrompt(expected_, fromQt(password_->text()), prompt_)) accept();
}

}  // namespace loom
