#include "archive/Exporter.h"

#include "archive/ExportDate.h"
#include "archive/FolderCheck.h"
#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "archive/OpenDocument.h"
#include "archive/SearchResults.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "platform/Settings.h"

namespace loom {

CopyRunResult Exporter::ok(const ExportRequest& request) {
    const std::optional<std::filesystem::path> destination = checkFolder(context_, request.folder);
    if (!destination) return {};
    std::filesystem::path source;
    std::vector<std::string> lines;
    if (!select(request, source, lines)) return {};
    CopyRunResult result = copyRun(source, *destination, lines);
    Settings(context_.settings())
        .setText(setting::kLatestExport, exportDateToday(context_.clock()));
    return result;
}

bool Exporter::select(const ExportRequest& request, std::filesystem::path& source,
                      std::vector<std::string>& lines) {
    const std::filesystem::path files = context_.programDirectory().folder(ProgramFolder::Files);
    switch (request.selection) {
        case ExportSelection::All:
            source = files;
            // An index that cannot be read (message 4 shown) must not pass for an empty
            // archive: the run would report nothing to copy and move LatestExport on.
            return IndexEngine(context_).SearchIndex(kDataIndex, {}, lines);
        case ExportSelection::ChangedAfter: {
            const std::optional<std::int64_t> limit =
                parseExportDate(context_.clock(), request.dateText);
            if (!limit) {
                context_.prompt().show(MessageId::BadExportDate);
                return false;
            }
            source = files;
            std::vector<std::string> all;
            if (!IndexEngine(context_).SearchIndex(kDataIndex, {}, all)) return false;
            for (std::string& line : all) {
                const std::string_view key = IndexEngine::keyOf(line);
                // A key that is no plain name names no file of the archive.
                if (!isSafeIndexKey(key)) continue;
                const std::optional<std::int64_t> written =
                    context_.files().lastWriteTime(dataFilePath(files, key));
                if (written && *written >= *limit) lines.push_back(std::move(line));
            }
            return true;
        }
        case ExportSelection::FilesInList: {
            source = files;
            if (!request.chosenList) return true;
            const std::vector<std::string>& list =
                context_.searchResults().list(*request.chosenList);
            if (*request.chosenList == ResultList::Found || list.empty()) {
                lines = list;
                return true;
            }
            source = context_.searchResults().folder(*request.chosenList);
            lines.assign(list.begin() + 1, list.end());
            return true;
        }
        case ExportSelection::Current:
            return selectCurrent(source, lines);
    }
    return false;
}

bool Exporter::selectCurrent(std::filesystem::path& source, std::vector<std::string>& lines) {
    if (document_ == nullptr || document_->path().empty()) return false;
    if (document_->modified() && context_.prompt().ask(MessageId::SaveBeforeExport, Buttons::YesNo,
                                                       MessageKind::Question) == Answer::Yes) {
        // Exporting the old file after a failed save would hand out what the user just
        // asked to replace: stop, with the dialog still open.
        if (!document_->save()) return false;
    }
    const std::filesystem::path path = document_->path();
    DataFile file(context_);
    if (!file.Read(path, true)) return false;
    source = path.parent_path();
    lines.push_back(file.DisplayName());
    return true;
}

CopyRunResult Exporter::copyRun(const std::filesystem::path& source,
                                const std::filesystem::path& destination,
                                const std::vector<std::string>& lines) {
    CopyRun run(context_);
    bool cancelAll = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string_view key = IndexEngine::keyOf(line);
        if (beforeFile) beforeFile(key, i, lines.size());
        bool copied = false;
        if (isSafeIndexKey(key) && !cancelAll) {
            const std::filesystem::path from = dataFilePath(source, key);
            const std::filesystem::path to = dataFilePath(destination, key);
            FileSystem& files = context_.files();
            const std::optional<std::int64_t> toTime =
                files.exists(to) ? files.lastWriteTime(to) : std::nullopt;
            const std::optional<std::int64_t> fromTime = files.lastWriteTime(from);
            const bool upToDate = toTime && fromTime && *toTime >= *fromTime;
            if (!upToDate) copied = copyOne(from, to, cancelAll);
        }
        if (copied)
            run.copied(line);
        else
            run.notCopied(line);
    }
    return run.finish(source, source);
}

bool Exporter::copyOne(const std::filesystem::path& from, const std::filesystem::path& to,
                       bool& cancelAll) {
    for (;;) {
        std::string error;
        if (context_.files().copyFile(from, to, error)) return true;
        const Answer answer = context_.prompt().askWith(
            error + formatMessage(MessageId::RetryCopy), Buttons::YesNoCancel, MessageKind::Warning,
            UserPrompt::optionsOf(MessageId::RetryCopy));
        if (answer == Answer::Yes) continue;
        if (answer != Answer::No) cancelAll = true;
        return false;
    }
}

}  // namespace loom
