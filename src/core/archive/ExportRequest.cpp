#include "archive/ExportRequest.h"

#include "archive/OpenDocument.h"
#include "archive/SearchResults.h"
#include "context/AppContext.h"
#include "platform/Settings.h"

namespace loom {

ExportRequest ExportRequest::opening(AppContext& context, const OpenDocument* document) {
    ExportRequest request;
    for (const ResultList list : {ResultList::Found, ResultList::Copied, ResultList::NotCopied}) {
        if (!context.searchResults().list(list).empty()) request.offeredLists.push_back(list);
    }
    if (!request.offeredLists.empty()) request.chosenList = request.offeredLists.front();
    request.currentEnabled = document != nullptr && !document->path().empty();
    const std::string latest = Settings(context.settings()).text(setting::kLatestExport);
    if (!latest.empty()) {
        request.selection = ExportSelection::ChangedAfter;
        request.dateText = latest;
    }
    return request;
}

}  // namespace loom
