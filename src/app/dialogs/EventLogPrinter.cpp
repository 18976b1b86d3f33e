#include "dialogs/EventLogPrinter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "A4Pdf.h"
#include "QtText.h"
#include "eventlog/LogPageLayout.h"

namespace loom {
namespace {

constexpr int kPointSize = 12;

QFont entryFont(QFont::Weight weight) {
    QFont font(QApplication::font().family());
    font.setPointSize(kPointSize);
    font.setWeight(weight);
    return font;
}

QRect toRect(const LogPageLayout::Rect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

}  // namespace

QFont EventLogPrinter::boldFont() {
    return entryFont(QFont::Bold);
}

QFont EventLogPrinter::regularFont() {
    return entryFont(QFont::Normal);
}

bool EventLogPrinter::paint(QPagedPaintDevice& device, const std::vector<LogEntry>& entries,
                            std::span<const std::size_t> shown) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QFont bold = boldFont();
    const QFont regular = regularFont();
    const QFontMetrics boldMetrics(bold, &device);
    const QFontMetrics regularMetrics(regular, &device);
    std::vector<std::size_t> lineCounts;
    lineCounts.reserve(shown.size());
    for (const std::size_t index : shown)
        lineCounts.push_back(entries.at(index).lines.size());
    const LogPageLayout layout(
        {device.width(), device.height(), boldMetrics.lineSpacing(), regularMetrics.lineSpacing()},
        lineCounts);
    const int left = layout.area().left;
    painter.setPen(Qt::black);

    int page = -1;
    const auto beginPage = [&](int next) {
        while (page < next) {
            if (page >= 0) device.newPage();
            ++page;
            painter.setFont(regular);
            painter.drawText(toRect(layout.numberBox()), Qt::AlignHCenter | Qt::AlignTop,
                             QString::fromStdString(LogPageLayout::pageNumber(page)));
        }
    };
    beginPage(0);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const LogPageLayout::Placement& at = layout.placements()[i];
        beginPage(at.page);
        const LogEntry& entry = entries[shown[i]];
        for (std::size_t line = 0; line < at.lines; ++line) {
            const bool first = line == 0;
            painter.setFont(first ? bold : regular);
            const int y = at.y + LogPageLayout::lineOffset(line, boldMetrics.lineSpacing(),
                                                           regularMetrics.lineSpacing());
            const int height = first ? boldMetrics.lineSpacing() : regularMetrics.lineSpacing();
            // A line wider than the page runs into the right margin rather than losing words.
            painter.drawText(QRect(left, y, device.width() - left, height),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             toQt(LogEntry::shownLine(entry.lines[line])));
        }
    }
    return painter.end();
}

QByteArray EventLogPrinter::pdf(const std::vector<LogEntry>& entries,
                                std::span<const std::size_t> shown) {
    // The log's own layout keeps its margins inside the page.
    return a4PdfInMemory(QString::fromLatin1(kDocumentName), QMarginsF(0, 0, 0, 0),
                         [&](QPdfWriter& writer) { return paint(writer, entries, shown); });
}

}  // namespace loom
