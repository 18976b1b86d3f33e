#include "archive/TemplateLookup.h"

#include <algorithm>
#include <vector>

#include "archive/ArchiveSearch.h"
#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "common/Cp1252.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "conversion/ConversionList.h"

namespace loom {
namespace {

// The lines of FORM.KQI that match; lines whose key could not name a file in FORMS are
// left out, since choosing one could only fail or reach outside the folder.
std::vector<std::string> findTemplates(AppContext& context, std::vector<std::string> keywords) {
    std::vector<std::string> lines;
    IndexEngine(context).SearchIndex(kFormIndex, keywords, lines);
    std::erase_if(
        lines, [](const std::string& line) { return !isSafeIndexKey(IndexEngine::keyOf(line)); });
    return lines;
}

}  // namespace

std::optional<ChosenTemplate> chooseSystem(AppContext& context, std::string_view searchText) {
    std::vector<std::string> keywords;
    if (!searchText.empty()) keywords.emplace_back(searchText);
    const std::vector<std::string> lines = findTemplates(context, keywords);
    if (lines.empty()) {
        context.prompt().show(MessageId::NoSystemsFound);
        return std::nullopt;
    }
    std::vector<std::string> rows;
    rows.reserve(lines.size());
    for (const std::string& line : lines)
        rows.emplace_back(rowText(line));
    const std::optional<std::size_t> chosen = context.dialogs().chooseSystem(rows);
    if (!chosen || *chosen >= lines.size()) return std::nullopt;
    const std::string_view row = rows[*chosen];
    return ChosenTemplate{std::string(IndexEngine::keyOf(lines[*chosen])),
                          std::string(row.substr(0, row.find('\t')))};
}

std::optional<std::string> findTemplateForSystem(AppContext& context, std::string_view systemName) {
    std::string keyword = cp1252Upper(ConversionList::modelOf(systemName));
    const std::vector<std::string> lines = findTemplates(context, {keyword});
    if (lines.size() == 1) return std::string(IndexEngine::keyOf(lines.front()));
    if (lines.empty()) {
        if (context.prompt().ask(MessageId::TemplateNotFound, Buttons::YesNo, MessageKind::Question,
                                 {systemName}) != Answer::Yes)
            return std::nullopt;
        keyword.clear();
    }
    const std::optional<ChosenTemplate> chosen = chooseSystem(context, keyword);
    if (!chosen) return std::nullopt;
    return chosen->file;
}

}  // namespace loom
