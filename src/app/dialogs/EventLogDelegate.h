#pragma once

#include <QFont>
#include <QStyledItemDelegate>
#include <vector>

#include "eventlog/LogEntry.h"

namespace loom {

// Draws an event log entry as one item of the list: its background colour over the whole
// item, the first line bold 2 pixels from the left edge, the others regular below it, in
// the entry's text colour. An item is one bold line, the other lines and half a regular
// line high, and as wide as the widest line of the log, so that the list scrolls
// sideways to the end of every line. The item's Qt::UserRole is the entry's index.
class EventLogDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    EventLogDelegate(const std::vector<LogEntry>& entries, QObject* parent);

    // The widest line of all entries (first lines bold, the others regular) and the
    // width of "X"; called once the entries are loaded.
    void measure();
    int itemWidth() const { return width_; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    const LogEntry* entryAt(const QModelIndex& index) const;

    const std::vector<LogEntry>& entries_;
    QFont bold_;
    QFont regular_;
    int boldLine_;
    int regularLine_;
    int width_ = 0;
};

}  // namespace loom
