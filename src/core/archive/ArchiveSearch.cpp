#include "archive/ArchiveSearch.h"

#include <algorithm>
#include <cstdio>

#include "archive/FileId.h"
#include "archive/FolderCheck.h"
#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "archive/SearchResults.h"
#include "archive/SwedishCollation.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "datafile/LabelTable.h"

namespace loom {

bool valuesMatch(const std::vector<std::string>& upperValues,
                 const std::vector<std::string>& upperKeywords) {
    return std::all_of(upperKeywords.begin(), upperKeywords.end(), [&](const std::string& k) {
        return std::any_of(upperValues.begin(), upperValues.end(),
                           [&k](const std::string& v) { return v.find(k) != std::string::npos; });
    });
}

bool searchArchive(AppContext& context, const std::vector<std::string>& keywords, bool useIndex,
                   std::vector<std::string>& found) {
    found.clear();
    IndexEngine index(context);
    if (useIndex) {
        if (!index.SearchIndex(kDataIndex, keywords, found)) return false;
        sortResultLines(found);
        return true;
    }
    std::vector<std::string> lines;
    if (!index.SearchIndex(kDataIndex, {}, lines)) return false;
    std::vector<std::string> upperKeywords;
    for (const std::string& k : keywords)
        upperKeywords.push_back(cp1252Upper(k));
    // Reading a data file refills the label table; the open system's names must survive.
    const LabelTable labels = context.labels();
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Files);
    DataFile data(context);
    std::vector<std::string> values;
    for (std::string& line : lines) {
        const std::string_view key = IndexEngine::keyOf(line);
        if (!isSafeIndexKey(key) || !data.Read(dataFilePath(folder, key), false)) continue;
        values.clear();
        data.Store().forEach(
            [&values](const FieldRecord& r) { values.push_back(cp1252Upper(r.value)); });
        if (valuesMatch(values, upperKeywords)) found.push_back(std::move(line));
    }
    context.labels() = labels;
    sortResultLines(found);
    return true;
}

std::string_view rowText(std::string_view line) {
    const std::size_t tab = line.find('\t');
    return tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
}

std::filesystem::path resultFilePath(AppContext& context, ResultList which,
                                     const std::vector<std::string>& list, std::string_view line) {
    const std::string_view key = IndexEngine::keyOf(line);
    if (!isSafeIndexKey(key)) return {};
    if (which == ResultList::Found)
        return dataFilePath(context.programDirectory().folder(ProgramFolder::Files), key);
    if (list.empty() || list.front().empty()) return {};
    const SearchResults& results = context.searchResults();
    return dataFilePath(
        &list == &results.list(which) ? results.folder(which) : pathFromText(list.front()), key);
}

FileInfo readFileInfo(AppContext& context, const std::filesystem::path& path,
                      std::string_view key) {
    FileInfo info;
    if (path.empty()) return info;
    std::string templateName, password;
    DataFile data(context);
    if (!data.ReadHeader(path, templateName, password, true)) return info;
    std::uint32_t time = 0;
    char letter = 0;
    if (ParseFileId(key, time, letter)) {
        info.created = swedishDate(context.clock(), time);
        info.computer = std::string(1, letter);
    }
    info.modified = swedishDate(context.clock(), context.files().lastWriteTime(path));
    info.system = std::move(templateName);
    info.fileName = std::string(key) + std::string(ProgramDirectory::kDataExtension);
    return info;
}

std::string swedishDate(const Clock& clock, std::optional<std::int64_t> seconds) {
    if (!seconds) return {};
    const CivilTime local = clock.toLocal(*seconds);
    std::string text = std::to_string(local.day);
    text += ' ';
    text += swedishMonthName(local.month);
    text += ", ";
    text += std::to_string(local.year);
    return text;
}

}  // namespace loom
