#include "dialogs/ImportDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "dialogs/DialogParts.h"
#include "dialogs/FolderField.h"
#include "dialogs/RunProgress.h"

namespace loom {

ImportDialog::ImportDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), importer_(context) {
    setWindowTitle(QStringLiteral("Importera"));
    auto* from = new QGroupBox(QStringLiteral("Importera från &katalog"), this);
    folder_ = new FolderField(QStringLiteral("Importera från katalog"), from);
    auto* fromLayout = new QVBoxLayout(from);
    fromLayout->addWidget(folder_);
    replace_ = new QCheckBox(QStringLiteral("&Byt ut gammal kundinformation"), this);

    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportDialog::runImport);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(from);
    layout->addWidget(replace_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    folder_->setFocus();
}

void ImportDialog::runImport() {
    importer_.folder = folder_->folder();
    importer_.replaceCustomerInfo = replace_->isChecked();
    dialogparts::WaitCursor wait;
    RunProgress progress(windowTitle(), QStringLiteral("Kopierar filer..."), this);
    importer_.beforeFile = [&progress](std::string_view, std::size_t index, std::size_t count) {
        progress.step(index, count);
    };
    result_ = importer_.ok();
    importer_.beforeFile = nullptr;
    if (result_.ran) accept();
}

}  // namespace loom
