#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QString>
#include <functional>

class QPdfWriter;

namespace loom {

// A4 portrait at a resolution fine enough for text and small enough for the file, with
// margins in millimetres: the page every PDF of the program is drawn on.
void setA4Page(QPdfWriter& writer, const QMarginsF& marginsMm);

// Draws a PDF into memory, so that the file is written whole through the one safe file
// write or not at all. Empty when `paint` fails.
QByteArray a4PdfInMemory(const QString& title, const QMarginsF& marginsMm,
                         const std::function<bool(QPdfWriter&)>& paint);

}  // namespace loom
