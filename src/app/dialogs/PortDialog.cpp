#include "dialogs/PortDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "QtText.h"
#include "dialogs/DialogParts.h"

namespace loom {
namespace {

// Rows a list shows before it scrolls.
constexpr int kRows = 6;

QListWidget* listIn(QGroupBox* group, const std::vector<std::string>& entries, int selected) {
    auto* list = new QListWidget(group);
    list->setAccessibleName(dialogparts::plainCaption(group->title()));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    int widest = list->fontMetrics().horizontalAdvance(QStringLiteral("COM9"));
    for (const std::string& entry : entries) {
        list->addItem(toQt(entry));
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(toQt(entry)));
    }
    if (selected >= 0 && selected < list->count()) list->setCurrentRow(selected);
    // Every entry whole, room for the scroll bar, and a few rows without scrolling.
    const int frame = 2 * list->frameWidth();
    const int rowHeight = std::max(list->fontMetrics().height() + 4, list->sizeHintForRow(0));
    list->setMinimumWidth(widest + list->verticalScrollBar()->sizeHint().width() + frame +
                          2 * list->fontMetrics().averageCharWidth());
    list->setFixedHeight(rowHeight * kRows + frame);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(list);
    return list;
}

int selectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

}  // namespace

PortDialog::PortDialog(PortChoices choices, QWidget* parent)
    : QDialog(parent), choices_(std::move(choices)) {
    setWindowTitle(QStringLiteral("Port"));
    auto* localGroup = new QGroupBox(QStringLiteral("&Lokal programmering"), this);
    auto* remoteGroup = new QGroupBox(QStringLiteral("&Fjärrprogrammering (modem)"), this);
    auto* productGroup = new QGroupBox(QStringLiteral("&Typ av produkt"), this);
    local_ = listIn(localGroup, choices_.ports, choices_.local);
    remote_ = listIn(remoteGroup, choices_.ports, choices_.remote);
    std::vector<std::string> products;
    for (const std::string_view product : PortChoices::kProducts)
        products.emplace_back(product);
    product_ = listIn(productGroup, products, choices_.product);

    auto* groups = new QHBoxLayout;
    for (QGroupBox* group : {localGroup, remoteGroup, productGroup})
        groups->addWidget(group, 0, Qt::AlignTop);
    QDialogButtonBox* buttons = dialogparts::okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    local_->setFocus();
}

PortChoices PortDialog::choices() const {
    PortChoices c = choices_;
    c.local = selectedRow(local_);
    c.remote = selectedRow(remote_);
    c.product = selectedRow(product_);
    return c;
}

}  // namespace loom
