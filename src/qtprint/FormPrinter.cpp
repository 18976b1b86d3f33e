#include "FormPrinter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "A4Pdf.h"
#include "QtText.h"

namespace loom {
namespace {

QRect toQRect(const EdgeRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

}  // namespace

std::array<QFont, 3> FormPrinter::fontsFor(QPaintDevice& device) {
    QFont f1 = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f1.setStyleHint(QFont::TypeWriter);
    const qreal size = QGuiApplication::font().pointSizeF();
    f1.setPointSizeF(size > 0 ? size : 10);
    // Sized for the device: its point sizes are the device's.
    f1 = QFont(f1, &device);
    QFont f2 = f1, f3 = f1;
    f2.setPointSizeF(f1.pointSizeF() * 3 / 4);
    f3.setPointSizeF(f1.pointSizeF() / 2);
    return {f1, f2, f3};
}

FormPrintLayout::Input FormPrinter::measured(QPaintDevice& device,
                                             const std::array<QFont, 3>& fonts,
                                             FormPrintLayout::Input job) {
    job.printerWidth = device.width();
    job.printerHeight = device.height();
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        const QFontMetrics metrics(fonts[i], &device);
        job.fonts[i] = {metrics.averageCharWidth(), metrics.height()};
    }
    const QFontMetrics first(fonts[0], &device);
    for (FormPrintLayout::InfoLine& line : job.fileInfo)
        line.width = first.horizontalAdvance(toQt(line.text));
    return job;
}

void FormPrinter::paintSheet(QPainter& painter, const FormPrintLayout::Sheet& sheet,
                             const std::array<QFont, 3>& fonts) {
    using Kind = FormPrintLayout::Op::Kind;
    painter.save();
    // Texts are set on white, so a caption hides the frame line it stands on.
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    const QPen pen(Qt::black, 1);
    for (const FormPrintLayout::Op& op : sheet.ops) {
        const QRect r = toQRect(op.rect);
        painter.setPen(pen);
        switch (op.kind) {
            case Kind::Text: {
                int flags = Qt::AlignLeft | Qt::AlignTop;
                if (op.wrap) flags |= Qt::TextWordWrap;
                painter.setFont(fonts[static_cast<std::size_t>(op.font)]);
                const QString text = toQt(op.text);
                const int width = painter.fontMetrics().horizontalAdvance(text);
                if (op.wrap || width <= r.width() || r.width() <= 0) {
                    painter.drawText(r, flags, text);
                    break;
                }
                // The printer's fixed-pitch face runs wider than the screen's: a line that
                // would be cut at its box is narrowed to fit instead.
                painter.save();
                painter.translate(r.topLeft());
                painter.scale(static_cast<qreal>(r.width()) / width, 1.0);
                painter.drawText(QRect(0, 0, width, r.height()), flags, text);
                painter.restore();
                break;
            }
            case Kind::Frame:
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(r);
                break;
            case Kind::Circle:
                painter.setBrush(op.filled ? Qt::black : Qt::white);
                painter.drawEllipse(r);
                break;
            case Kind::Square:
                painter.setBrush(op.filled ? Qt::black : Qt::white);
                painter.drawRect(r);
                break;
        }
    }
    painter.restore();
}

int FormPrinter::print(QPagedPaintDevice& device, const FormPrintLayout::Input& job) {
    QPainter painter;
    if (!painter.begin(&device)) return -1;
    const std::array<QFont, 3> fonts = fontsFor(device);
    const FormPrintLayout layout(measured(device, fonts, job));
    bool first = true;
    for (const FormPrintLayout::Sheet& sheet : layout.sheets()) {
        if (!first) device.newPage();
        first = false;
        paintSheet(painter, sheet, fonts);
    }
    if (!painter.end()) return -1;
    return static_cast<int>(layout.sheets().size());
}

void FormPrinter::setPdfPage(QPdfWriter& writer) {
    // A printer's page keeps a margin all round; so does the PDF's.
    setA4Page(writer, QMarginsF(10, 10, 10, 10));
}

QByteArray FormPrinter::pdf(const FormPrintLayout::Input& job, int* sheets) {
    return a4PdfInMemory(QString::fromLatin1(kDocumentName), QMarginsF(10, 10, 10, 10),
                         [&](QPdfWriter& writer) {
                             const int count = print(writer, job);
                             if (sheets != nullptr && count >= 0) *sheets = count;
                             return count >= 0;
                         });
}

}  // namespace loom
