#include "dialogs/FolderField.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>

#include "QtText.h"
#include "dialogs/DialogParts.h"

namespace loom {

FolderField::FolderField(const QString& accessibleName, QWidget* parent)
    : QWidget(parent),
      edit_(new QLineEdit(this)),
      browse_(dialogparts::button(QStringLiteral("Blä&ddra..."), this)) {
    edit_->setAccessibleName(accessibleName);
    // Room for a usual path without scrolling.
    edit_->setMinimumWidth(edit_->fontMetrics().averageCharWidth() * 40);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_, 1);
    layout->addWidget(browse_);
    setFocusProxy(edit_);
    connect(browse_, &QPushButton::clicked, this, &FolderField::browse);
}

std::filesystem::path FolderField::folder() const {
    return pathFromQt(edit_->text());
}

void FolderField::browse() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Välj katalog"), edit_->text(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return;
    edit_->setText(QDir::toNativeSeparators(chosen));
    edit_->setFocus();
}

}  // namespace loom
