#include "dialogs/PrintPagesDialog.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/DialogParts.h"

namespace loom {

PrintPagesDialog::PrintPagesDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Skriv ut"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Vilka sidor ska skrivas ut"), this);
    auto* choices = new QVBoxLayout(group);
    // "A" is Avbryt's key.
    all_ = new QRadioButton(QStringLiteral("A&lla sidor"), group);
    current_ = new QRadioButton(QStringLiteral("Aktuell &sida"), group);
    all_->setAccessibleName(QStringLiteral("Alla sidor"));
    current_->setAccessibleName(QStringLiteral("Aktuell sida"));
    choices->addWidget(all_);
    choices->addWidget(current_);
    layout->addWidget(group);
    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    for (QAbstractButton* b : buttons->buttons())
        if (buttons->buttonRole(b) == QDialogButtonBox::RejectRole)
            b->setText(QStringLiteral("&Avbryt"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    current_->setChecked(true);
    current_->setFocus();
}

bool PrintPagesDialog::currentPageOnly() const {
    return current_->isChecked();
}

void PrintPagesDialog::setCurrentPageOnly(bool on) {
    (on ? current_ : all_)->setChecked(true);
}

}  // namespace loom
