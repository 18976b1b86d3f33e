#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "archive/CopyRun.h"

#include "archive/ExportRequest.h"

namespace loom {

class AppContext;
class OpenDocument;

// How an export or import ended. Without a run the dialog stays open with its input.
// The export dialog's OK: checks the folder, selects the DATA.KQI lines, copies their
// files, fills "Kopierade" and "Ej kopierade", reports the counts (message 58) and
// remembers the day as LatestExport.
class Exporter {
  public:
    // `document` is the open system, or null when none is open.
    Exporter(AppContext& context, OpenDocument* document)
        : context_(context), document_(document) {}

    CopyRunResult ok(const ExportRequest& request);

    // Called with each line's key before its file is handled, with its number (from 0)
    // and the number of lines (progress, retry bounds).
    std::function<void(std::string_view key, std::size_t index, std::size_t count)> beforeFile;

  private:
    bool select(const ExportRequest& request, std::filesystem::path& source,
                std::vector<std::string>& lines);
    bool selectCurrent(std::filesystem::path& source, std::vector<std::string>& lines);
    CopyRunResult copyRun(const std::filesystem::path& source,
                          const std::filesystem::path& destination,
                          const std::vector<std::string>& lines);
    bool copyOne(const std::filesystem::path& from, const std::filesystem::path& to,
                 bool& cancelAll);

    AppContext& context_;
    OpenDocument* document_;
};

}  // namespace loom
