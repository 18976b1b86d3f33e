#pragma once

#include <QByteArray>
#include <QFont>
#include <array>

#include "template/FormPrintLayout.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPaintDevice;
class QPainter;

namespace loom {

// Prints a system's form pages on a paint device: the three print fonts made for the
// device, the core's FormPrintLayout fed with their metrics, and its operations drawn,
// black on white, one sheet per page of the device.
class FormPrinter {
  public:
    static constexpr const char* kDocumentName = "Prom";

    // F1 is a fixed-pitch font of the platform's default size on `device`; F2 is three
    // quarters of it, F3 half.
    static std::array<QFont, 3> fontsFor(QPaintDevice& device);
    // `job` with the device's size, the fonts' metrics and the file information's widths
    // filled in (its pages, range, screen metrics and texts as given).
    static FormPrintLayout::Input measured(QPaintDevice& device, const std::array<QFont, 3>& fonts,
                                           FormPrintLayout::Input job);
    // Draws one sheet's operations with `fonts`.
    static void paintSheet(QPainter& painter, const FormPrintLayout::Sheet& sheet,
                           const std::array<QFont, 3>& fonts);
    // The whole job, a new device page per sheet: the number of sheets, -1 when the device
    // cannot be opened.
    static int print(QPagedPaintDevice& device, const FormPrintLayout::Input& job);
    // A4 at 300 dpi with 10 mm all round that nothing is drawn on, as a printer has.
    static void setPdfPage(QPdfWriter& writer);
    // The job as a PDF of A4 pages, with its number of sheets in `sheets`; empty when it
    // could not be made.
    static QByteArray pdf(const FormPrintLayout::Input& job, int* sheets = nullptr);
};

}  // namespace loom
