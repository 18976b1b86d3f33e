#include "dialogs/ExportDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "QtText.h"
#include "archive/Exporter.h"
#include "archive/SearchResults.h"
#include "dialogs/DialogParts.h"
#include "dialogs/FolderField.h"
#include "dialogs/RunProgress.h"

namespace loom {

ExportDialog::ExportDialog(AppContext& context, OpenDocument* document, QWidget* parent)
    : QDialog(parent),
      context_(context),
      document_(document),
      opening_(ExportRequest::opening(context, document)) {
    setWindowTitle(QStringLiteral("Exportera"));
    auto* which = new QGroupBox(QStringLiteral("Vilka filer ska exporteras"), this);
    all_ = new QRadioButton(QStringLiteral("&Alla"), which);
    changedAfter_ = new QRadioButton(QStringLiteral("Ä&ndrade efter (ÅÅÅÅ-MM-DD)"), which);
    current_ = new QRadioButton(QStringLiteral("Ak&tuell"), which);
    filesInList_ = new QRadioButton(QStringLiteral("&Filer i listan"), which);
    date_ = new QLineEdit(toQt(opening_.dateText), which);
    date_->setAccessibleName(QStringLiteral("Datum (ÅÅÅÅ-MM-DD)"));
    date_->setMaxLength(10);
    date_->setMinimumWidth(date_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) +
                           4 * date_->fontMetrics().averageCharWidth());
    lists_ = new QComboBox(which);
    lists_->setAccessibleName(QStringLiteral("Lista"));
    for (const ResultList list : opening_.offeredLists)
        lists_->addItem(toQt(SearchResults::tabName(list)), static_cast<int>(list));
    lists_->setCurrentIndex(opening_.offeredLists.empty() ? -1 : 0);
    lists_->setEnabled(opening_.filesInListEnabled());
    filesInList_->setEnabled(opening_.filesInListEnabled());
    current_->setEnabled(opening_.currentEnabled);
    QRadioButton* checked =
        opening_.selection == ExportSelection::ChangedAfter ? changedAfter_ : all_;
    checked->setChecked(true);
    // Typing a date or choosing a list means that choice.
    connect(date_, &QLineEdit::textEdited, changedAfter_,
            [this] { changedAfter_->setChecked(true); });
    connect(lists_, &QComboBox::activated, filesInList_, [this] {
        if (filesInList_->isEnabled()) filesInList_->setChecked(true);
    });

    auto* grid = new QGridLayout(which);
    grid->addWidget(all_, 0, 0);
    grid->addWidget(changedAfter_, 1, 0);
    grid->addWidget(date_, 1, 1);
    grid->addWidget(current_, 2, 0);
    grid->addWidget(filesInList_, 3, 0);
    grid->addWidget(lists_, 3, 1);
    grid->setColumnStretch(2, 1);

    auto* to = new QGroupBox(QStringLiteral("Exportera till &katalog"), this);
    folder_ = new FolderField(QStringLiteral("Exportera till katalog"), to);
    auto* toLayout = new QVBoxLayout(to);
    toLayout->addWidget(folder_);

    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::runExport);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(which);
    layout->addWidget(to);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    checked->setFocus();
}

ExportRequest ExportDialog::request() const {
    ExportRequest r = opening_;
    if (changedAfter_->isChecked())
        r.selection = ExportSelection::ChangedAfter;
    else if (current_->isChecked())
        r.selection = ExportSelection::Current;
    else if (filesInList_->isChecked())
        r.selection = ExportSelection::FilesInList;
    else
        r.selection = ExportSelection::All;
    r.dateText = fromQt(date_->text());
    r.chosenList.reset();
    if (lists_->currentIndex() >= 0)
        r.chosenList = static_cast<ResultList>(lists_->currentData().toInt());
    r.folder = folder_->folder();
    return r;
}

void ExportDialog::runExport() {
    const ExportRequest r = request();
    dialogparts::WaitCursor wait;
    RunProgress progress(windowTitle(), QStringLiteral("Kopierar filer..."), this);
    Exporter exporter(context_, document_);
    exporter.beforeFile = [&progress](std::string_view, std::size_t index, std::size_t count) {
        progress.step(index, count);
    };
    result_ = exporter.ok(r);
    if (result_.ran) accept();
}

}  // namespace loom
