#include "dialogs/ChooseSystemDialog.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "QtText.h"
#include "dialogs/DialogParts.h"
#include "dialogs/TabbedRows.h"

namespace loom {

ChooseSystemDialog::ChooseSystemDialog(const std::vector<std::string>& rows, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Välj system"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setAccessibleName(QStringLiteral("System"));
    list_->setHeaderHidden(true);
    list_->setColumnCount(2);
    fillTabbedRows(list_, rows);
    list_->setMinimumWidth(fontMetrics().averageCharWidth() * 56);
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
    layout->addWidget(list_);
    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    list_->setFocus();
}

std::optional<std::size_t> ChooseSystemDialog::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(list_->indexOfTopLevelItem(selected.front()));
}

}  // namespace loom
