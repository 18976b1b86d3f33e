#include "dialogs/TabbedRows.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

#include "QtText.h"

namespace loom {

void fillTabbedRows(QTreeWidget* list, const std::vector<std::string>& rows) {
    list->setUpdatesEnabled(false);
    list->clear();
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAllColumnsShowFocus(true);
    int columns = std::max(1, list->columnCount());
    QList<QTreeWidgetItem*> items;
    for (const std::string& row : rows) {
        const QStringList cells = toQt(row).split(QLatin1Char('\t'));
        columns = std::max(columns, static_cast<int>(cells.size()));
        items.append(new QTreeWidgetItem(cells));
    }
    list->setColumnCount(columns);
    list->addTopLevelItems(items);
    for (int c = 0; c < columns; ++c)
        list->resizeColumnToContents(c);
    list->setUpdatesEnabled(true);
}

}  // namespace loom
