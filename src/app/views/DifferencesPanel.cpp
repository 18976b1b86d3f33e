#include "views/DifferencesPanel.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

#include "QtText.h"

namespace loom {
namespace {

QTableWidgetItem* cell(const std::string& text) {
    auto* item = new QTableWidgetItem(toQt(text));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(item->text());
    return item;
}

}  // namespace

DifferencesPanel::DifferencesPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Skillnader"), parent), table_(new QTableWidget(this)) {
    setObjectName(QStringLiteral("differences"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    table_->setColumnCount(4);
    table_->setHorizontalHeaderLabels({QStringLiteral("Sida"), QStringLiteral("Fält"),
                                       QStringLiteral("Fil"), QStringLiteral("Prom")});
    table_->verticalHeader()->hide();
    // Page and caption whole; the values share what is left, shortened with "..." when
    // they must be (each cell's tip has its whole text).
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    header->setSectionResizeMode(3, QHeaderView::Stretch);
    table_->setTextElideMode(Qt::ElideRight);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setTabKeyNavigation(false);
    table_->setAccessibleName(QStringLiteral("Fält som skiljer sig mellan filen och promet"));
    setWidget(table_);
    connect(table_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.row() < 0 || index.row() >= static_cast<int>(rows_.size())) return;
        const DifferenceRow& row = rows_[static_cast<std::size_t>(index.row())];
        emit fieldChosen(row.page, row.address);
    });
    hide();
}

void DifferencesPanel::setRows(const std::vector<DifferenceRow>& rows) {
    // Asked again at every page change: the same rows keep the user's place in the list.
    if (rows == rows_) return;
    const bool arriving = rows_.empty() && !rows.empty();
    rows_ = rows;
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rows_.size()));
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        const DifferenceRow& r = rows_[static_cast<std::size_t>(i)];
        table_->setItem(i, 0, cell(r.pageName));
        table_->setItem(i, 1, cell(r.caption));
        table_->setItem(i, 2, cell(r.fileText));
        table_->setItem(i, 3, cell(r.promText));
    }
    if (rows_.empty()) {
        hide();
        return;
    }
    if (arriving) {
        table_->setCurrentCell(0, 0);
        show();
    }
    // Rows come one by one while a read runs: the width follows them, once the dock has
    // its place in the window's layout (before, a resize is lost).
    QTimer::singleShot(0, this, &DifferencesPanel::fitWidth);
}

void DifferencesPanel::fitWidth() {
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (window == nullptr || isFloating()) return;
    // Every column whole when the window has room, at most two fifths of it. Measured from
    // the texts: a dock just shown has laid out none of its rows yet.
    const QFontMetrics metrics(table_->font());
    const int padding = 2 * table_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    int wanted = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table_->columnCount(); ++column) {
        int widest = table_->horizontalHeader()->sectionSizeHint(column);
        for (int row = 0; row < table_->rowCount(); ++row)
            if (const QTableWidgetItem* item = table_->item(row, column))
                widest = std::max(widest, metrics.horizontalAdvance(item->text()) + padding);
        wanted += widest;
    }
    window->resizeDocks({this}, {std::min(wanted, window->width() * 2 / 5)}, Qt::Horizontal);
}

}  // namespace loom
