#include "dialogs/TemporaryPasswordsDialog.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "QtText.h"
#include "dialogs/DialogParts.h"

namespace loom {

TemporaryPasswordsDialog::TemporaryPasswordsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Temporära lösenord"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dialogparts::wrappedText(
        QStringLiteral("En fil med felaktigt systemlösen har hittats. För att filen ska kunna "
                       "läsas måste filens systemlösen anges."),
        this, 40));
    auto* group = new QGroupBox(QStringLiteral("Möjliga systemlösen"), this);
    auto* fields = new QVBoxLayout(group);
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        edits_[i] = new QLineEdit(group);
        edits_[i]->setEchoMode(QLineEdit::Password);
        edits_[i]->setAccessibleName(QStringLiteral("Möjligt systemlösen %1").arg(i + 1));
        fields->addWidget(edits_[i]);
    }
    layout->addWidget(group);
    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edits_[0]->setFocus();
}

std::array<std::string, 3> TemporaryPasswordsDialog::texts() const {
    return {fromQt(edits_[0]->text()), fromQt(edits_[1]->text()), fromQt(edits_[2]->text())};
}

}  // namespace loom
