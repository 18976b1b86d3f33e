#include "dialogs/ComputerIdDialog.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "QtText.h"
#include "dialogs/DialogParts.h"
#include "platform/Settings.h"
#include "platform/UserPrompt.h"

namespace loom {

ComputerIdDialog::ComputerIdDialog(std::string_view shown, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), prompt_(prompt) {
    setWindowTitle(QStringLiteral("Dator ID"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* label = new QLabel(QStringLiteral("&Ange en bokstav mellan A och Z"), this);
    edit_ = dialogparts::edit(label, this, false);
    edit_->setMaxLength(1);
    // Room for the widest letter and the frame, not a whole line.
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 4);
    form->addRow(label, edit_);
    layout->addLayout(form);
    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edit_->setText(toQt(filterComputerLetter(shown)));
    connect(edit_, &QLineEdit::textChanged, this, &ComputerIdDialog::filter);
    edit_->selectAll();
    edit_->setFocus();
}

std::string ComputerIdDialog::text() const {
    return fromQt(edit_->text());
}

void ComputerIdDialog::filter(const QString& text) {
    const QString filtered = toQt(filterComputerLetter(fromQt(text)));
    if (filtered == text) return;
    edit_->setText(filtered);
    if (filtered.size() != text.size()) prompt_.beep();
}

}  // namespace loom
