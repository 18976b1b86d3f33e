#include "dialogs/SearchWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "QtText.h"
#include "archive/SearchResults.h"
#include "dialogs/DialogParts.h"
#include "dialogs/TabbedRows.h"

namespace loom {
SearchWindow::SearchWindow(AppContext& context,
                           std::function<bool(const std::filesystem::path&)> openFile,
                           QWidget* parent)
    : QDialog(parent), model_(context), openFile_(std::move(openFile)) {
    setWindowTitle(QStringLiteral("Sök"));
    setModal(false);

    auto* parameters = new QGroupBox(QStringLiteral("Sökparametrar"), this);
    auto* parameterLayout = new QGridLayout(parameters);
    auto* keywordLabel = new QLabel(QStringLiteral("Sök&ord:"), parameters);
    keywords_ = new QComboBox(parameters);
    keywords_->setEditable(true);
    // The model keeps the history; the combo only shows it.
    keywords_->setInsertPolicy(QComboBox::NoInsert);
    keywords_->setAccessibleName(QStringLiteral("Sökord"));
    keywords_->setMinimumContentsLength(32);
    keywordLabel->setBuddy(keywords_);
    useIndex_ = new QCheckBox(QStringLiteral("Sök i &index"), parameters);
    useIndex_->setAccessibleName(QStringLiteral("Sök i index"));
    useIndex_->setChecked(model_.useIndex());
    search_ = dialogparts::button(QStringLiteral("Sö&k"), parameters);
    search_->setDefault(true);
    parameterLayout->addWidget(keywordLabel, 0, 0);
    parameterLayout->addWidget(keywords_, 0, 1);
    parameterLayout->addWidget(search_, 0, 2);
    parameterLayout->addWidget(useIndex_, 1, 1);
    parameterLayout->setColumnStretch(1, 1);

    auto* found = new QGroupBox(QStringLiteral("Funna filer"), this);
    auto* foundLayout = new QVBoxLayout(found);
    tabs_ = new QTabBar(found);
    tabs_->setAccessibleName(QStringLiteral("Funna filer"));
    for (const ResultList which : {ResultList::Found, ResultList::Copied, ResultList::NotCopied})
        tabs_->addTab(toQt(SearchResults::tabName(which)));
    tabs_->setExpanding(false);
    list_ = new QTreeWidget(found);
    list_->setAccessibleName(QStringLiteral("Filer"));
    list_->setHeaderHidden(true);
    list_->setMinimumSize(fontMetrics().averageCharWidth() * 72, fontMetrics().height() * 10);
    foundLayout->addWidget(tabs_);
    foundLayout->setSpacing(0);
    foundLayout->addWidget(list_, 1);

    auto* details = new QHBoxLayout;
    auto* info = new QFormLayout;
    info->setHorizontalSpacing(fontMetrics().averageCharWidth() * 2);
    auto* countCaption = new QLabel(QStringLiteral("Antal filer:"), found);
    count_ = new QLabel(found);
    count_->setAccessibleName(QStringLiteral("Antal filer"));
    info->addRow(countCaption, count_);
    const QString captions[] = {QStringLiteral("skapad datum:"), QStringLiteral("skapad på dator:"),
                                QStringLiteral("senast ändrad:"), QStringLiteral("system:"),
                                QStringLiteral("filnamn:")};
    for (std::size_t i = 0; i < info_.size(); ++i) {
        info_[i] = new QLabel(found);
        info_[i]->setAccessibleName(dialogparts::plainCaption(captions[i]));
        info_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        info->addRow(new QLabel(captions[i], found), info_[i]);
    }
    auto* fileButtons = new QVBoxLayout;
    open_ = dialogparts::button(QStringLiteral("&Öppna fil"), found);
    delete_ = dialogparts::button(QStringLiteral("&Radera fil"), found);
    fileButtons->addWidget(open_);
    fileButtons->addWidget(delete_);
    fileButtons->addStretch();
    details->addLayout(info, 1);
    details->addLayout(fileButtons);
    foundLayout->addSpacing(fontMetrics().height() / 2);
    foundLayout->addLayout(details);

    auto* close = dialogparts::button(QStringLiteral("&Stäng"), this);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(parameters);
    layout->addWidget(found, 1);
    layout->addLayout(closeRow);

    connect(search_, &QPushButton::clicked, this, &SearchWindow::runSearch);
    connect(useIndex_, &QCheckBox::toggled, this, [this](bool on) { model_.setUseIndex(on); });
    connect(tabs_, &QTabBar::currentChanged, this, &SearchWindow::tabChanged);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &SearchWindow::rowChanged);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &SearchWindow::openSelected);
    // Enter in the list opens the selected file; elsewhere it searches.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr || now->window() != this) return;
        open_->setDefault(now == list_);
        search_->setDefault(now != list_);
    });
    connect(open_, &QPushButton::clicked, this, &SearchWindow::openSelected);
    connect(delete_, &QPushButton::clicked, this, &SearchWindow::deleteSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    refreshResults();
    keywords_->setFocus();
}

void SearchWindow::present() {
    show();
    raise();
    activateWindow();
    keywords_->setFocus();
}

void SearchWindow::refreshResults() {
    model_.showList();
    showModel();
}

void SearchWindow::runSearch() {
    const QString text = keywords_->currentText();
    model_.search(fromQt(text));
    keywords_->clear();
    for (const std::string& entry : model_.history())
        keywords_->addItem(toQt(entry));
    keywords_->setEditText(text);
    showModel();
}

void SearchWindow::tabChanged(int index) {
    if (index < 0) return;
    model_.selectTab(static_cast<ResultList>(index));
    showModel();
}

void SearchWindow::rowChanged() {
    if (filling_) return;
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    model_.selectRow(static_cast<std::size_t>(list_->indexOfTopLevelItem(selected.front())));
    showInfo();
}

void SearchWindow::openSelected() {
    if (!model_.canOpen() || !openFile_) return;
    if (openFile_(model_.selectedPath())) hide();
}

void SearchWindow::deleteSelected() {
    if (!model_.deleteSelected()) return;
    showModel();
    list_->setFocus();
}

void SearchWindow::showModel() {
    filling_ = true;
    fillTabbedRows(list_, model_.rows());
    filling_ = false;
    showInfo();
}

void SearchWindow::showInfo() {
    count_->setText(QString::number(model_.count()));
    const FileInfo& info = model_.info();
    const std::string* texts[] = {&info.created, &info.computer, &info.modified, &info.system,
                                  &info.fileName};
    for (std::size_t i = 0; i < info_.size(); ++i)
        info_[i]->setText(toQt(*texts[i]));
    open_->setEnabled(model_.canOpen());
    delete_->setEnabled(model_.canDelete());
}

}  // namespace loom
