#pragma once

#include <QFont>
#include <QString>
#include <cstddef>
#include <span>
#include <vector>

#include "eventlog/LogEntry.h"

class QPagedPaintDevice;

namespace loom {

// Puts the event log's shown entries on paper or into a PDF: the pages and positions are
// LogPageLayout's, this only draws them, black on white, with the entries' fonts sized for
// the device.
class EventLogPrinter {
  public:
    static constexpr const char* kDocumentName = "Prom Logg";

    // The two fonts of an entry: the platform's default family, 12 points, bold and
    // regular. The list on screen uses them too.
    static QFont boldFont();
    static QFont regularFont();

    // False when nothing could be drawn on `device` (it cannot be opened).
    static bool paint(QPagedPaintDevice& device, const std::vector<LogEntry>& entries,
                      std::span<const std::size_t> shown);
    // A PDF of A4 pages, for "Spara...". Empty when it could not be made.
    static QByteArray pdf(const std::vector<LogEntry>& entries, std::span<const std::size_t> shown);
};

}  // namespace loom
