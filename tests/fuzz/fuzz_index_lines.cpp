// Index file content and a search text to the index engine, the search dialog, the template
// lookup and the result sorting: the whole-content search finds exactly the lines the
// line-by-line check accepts, a stored line is last and alone with its key, and no key
// names a path outside its folder.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/ArchiveSearch.h"
#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "archive/KeywordParser.h"
#include "archive/SearchDialogModel.h"
#include "archive/SearchResults.h"
#include "archive/SwedishCollation.h"
#include "archive/TemplateLookup.h"

#include "FuzzHome.h"

using loom::fuzz::Bytes;
using loom::fuzz::check;

namespace {

// The lines as the index engine defines them: split at LF, one CR before it dropped,
// empty lines skipped, and text after the last LF (a line cut off) is none.
std::vector<std::string_view> linesOf(std::string_view content) {
    content = content.substr(0, content.rfind('\n') + 1);  // npos + 1 is 0
    std::vector<std::string_view> lines;
    for (std::size_t at = 0, end; at < content.size(); at = end + 1) {
        end = content.find('\n', at);
        std::string_view line = content.substr(at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // [search text length][search text][content]
    loom::fuzz::Input in{{data, size}};
    const std::string text(in.text(in.byte()));
    const std::string content(in.rest());

    loom::fuzz::MemoryHome home(true);
    loom::ProgramState& context = home.context;
    Bytes& dataIndex = home.files.files["home/INDEX/DATA.KQI"];
    dataIndex = home.files.files["home/INDEX/FORM.KQI"] = Bytes(content.begin(), content.end());

    const std::vector<std::string> keywords = loom::KeywordParser::parse(text).keywords;

    // The fast search agrees with the line-by-line definition.
    std::vector<std::string> found;
    loom::IndexEngine::searchContent(content, keywords, found);
    std::vector<std::string> expected;
    for (const std::string_view line : linesOf(content))
        if (loom::IndexEngine::lineMatches(line, keywords)) expected.emplace_back(line);
    check(expected == found);

    // Rows, paths and file information of what the search dialog shows.
    auto& results = context.searchResults();
    results.list(loom::ResultList::Found) = found;
    loom::sortResultLines(results.list(loom::ResultList::Found));
    results.list(loom::ResultList::Copied) = found;
    for (std::size_t i = 0; i < found.size() && i < 16; ++i) {
        const std::filesystem::path path = loom::resultFilePath(
            context, loom::ResultList::Found, results.list(loom::ResultList::Found), found[i]);
        check(path.empty() || path.parent_path() == "home/FILES");
        (void)loom::rowText(found[i]);
        (void)loom::readFileInfo(context, path, loom::IndexEngine::keyOf(found[i]));
    }
    loom::SearchDialogModel model(context);
    for (const loom::ResultList tab : {loom::ResultList::Found, loom::ResultList::Copied}) {
        model.selectTab(tab);
        if (model.count() > 0) model.selectRow(model.count() - 1);
        // The name is compared as the key was: in code page 1252, not as the file system's
        // UTF-8, which is longer.
        check(!model.canOpen() ||
              loom::isSafeIndexKey(loom::pathText(model.selectedPath().stem())));
    }

    // The template lookup never offers a key that leaves FORMS (every dialog cancels).
    (void)loom::findTemplateForSystem(context, text);

    // Removing and storing keep one line per key, the stored one last.
    loom::IndexEngine engine(context);
    if (!found.empty())
        engine.RemoveIndexLine(loom::kDataIndex, loom::IndexEngine::keyOf(found[0]));
    check(engine.StoreIndexLine(loom::kDataIndex, text));
    std::string clean = text;
    std::erase_if(clean, [](char c) { return c == '\n' || c == '\r'; });
    if (!clean.empty()) {
        const std::vector<std::string_view> lines = linesOf(
            std::string_view(reinterpret_cast<const char*>(dataIndex.data()), dataIndex.size()));
        check(!lines.empty() && lines.back() == clean);
        const std::string_view key = loom::IndexEngine::keyOf(clean);
        check(std::ranges::count_if(lines, [&](std::string_view line) {
                  return loom::IndexEngine::keyOf(line) == key;
              }) == 1);
    }
    return 0;
}
