#include "dialogs/EventLogDelegate.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "QtText.h"
#include "dialogs/EventLogPrinter.h"
#include "eventlog/LogPageLayout.h"

namespace loom {
namespace {

constexpr int kTextIndent = 2;

QColor toColour(const LogColour& c) {
    return QColor(c.red, c.green, c.blue);
}

}  // namespace

EventLogDelegate::EventLogDelegate(const std::vector<LogEntry>& entries, QObject* parent)
    : QStyledItemDelegate(parent),
      entries_(entries),
      bold_(EventLogPrinter::boldFont()),
      regular_(EventLogPrinter::regularFont()),
      boldLine_(QFontMetrics(bold_).lineSpacing()),
      regularLine_(QFontMetrics(regular_).lineSpacing()) {}

void EventLogDelegate::measure() {
    const QFontMetrics bold(bold_);
    const QFontMetrics regular(regular_);
    int widest = 0;
    // Every line counts, so that no line can lie beyond the scroll range.
    for (const LogEntry& entry : entries_)
        for (std::size_t i = 0; i < entry.lines.size(); ++i) {
            const QString text = toQt(LogEntry::shownLine(entry.lines[i]));
            widest = std::max(widest, (i == 0 ? bold : regular).horizontalAdvance(text));
        }
    width_ = kTextIndent + widest + regular.horizontalAdvance(QLatin1Char('X'));
}

const LogEntry* EventLogDelegate::entryAt(const QModelIndex& index) const {
    bool ok = false;
    const qulonglong at = index.data(Qt::UserRole).toULongLong(&ok);
    return ok && at < entries_.size() ? &entries_[at] : nullptr;
}

QSize EventLogDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const LogEntry* entry = entryAt(index);
    const std::size_t lines = entry ? entry->lines.size() : 1;
    return QSize(width_, LogPageLayout::entryHeight(lines, boldLine_, regularLine_));
}

void EventLogDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const LogEntry* entry = entryAt(index);
    if (entry == nullptr) return;
    painter->save();
    const QRect rect = option.rect;
    painter->fillRect(rect, toColour(entry->background));
    painter->setPen(toColour(entry->textColour));
    for (std::size_t i = 0; i < entry->lines.size(); ++i) {
        const bool first = i == 0;
        painter->setFont(first ? bold_ : regular_);
        const int y = rect.top() + LogPageLayout::lineOffset(i, boldLine_, regularLine_);
        painter->drawText(QRect(rect.left() + kTextIndent, y, rect.width() - kTextIndent,
                                first ? boldLine_ : regularLine_),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          toQt(LogEntry::shownLine(entry->lines[i])));
    }
    // The selection is a frame, so that the entry's own colours stay readable.
    if (option.state & QStyle::State_Selected) {
        QPen pen(option.palette.color(QPalette::Highlight));
        pen.setWidth(2);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(1, 1, -1, -1));
    }
    painter->restore();
}

}  // namespace loom
