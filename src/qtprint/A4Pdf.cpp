#include "A4Pdf.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace loom {

void setA4Page(QPdfWriter& writer, const QMarginsF& marginsMm) {
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, marginsMm,
                                     QPageLayout::Millimeter));
}

QByteArray a4PdfInMemory(const QString& title, const QMarginsF& marginsMm,
                         const std::function<bool(QPdfWriter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Loomcraft"));
        setA4Page(writer, marginsMm);
        if (!paint(writer)) return {};
    }
    return bytes;
}

}  // namespace loom
