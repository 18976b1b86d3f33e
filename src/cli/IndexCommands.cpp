#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "IndexLineText.h"
#include "archive/ArchiveSearch.h"
#include "archive/IndexEngine.h"
#include "archive/KeywordParser.h"
#include "archive/ReindexArchive.h"
#include "common/Cp1252.h"

namespace loom::cli {
namespace {

// A line's fields: the key, then the values (every TAB starts a field).
std::vector<std::string> fieldsOf(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(cp1252ToUtf8(line.substr(at, tab - at)));
        if (tab == std::string_view::npos) return fields;
        at = tab + 1;
    }
}

void printLines(CliContext& ctx, const std::vector<std::string>& lines, bool json) {
    if (!json) {
        for (const std::string& line : lines)
            ctx.out << plainIndexLine(line) << '\n';
        return;
    }
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const std::string& line : lines) {
        std::vector<std::string> fields = fieldsOf(line);
        nlohmann::ordered_json entry;
        entry["key"] = fields.front();
        fields.erase(fields.begin());
        entry["values"] = fields;
        out.push_back(std::move(entry));
    }
    ctx.out << out.dump(2) << '\n';
}

void rebuild(CliContext& ctx) {
    CliSession session(ctx);
    if (!session.requireHome()) return;
    ReindexCounts counts;
    if (!ReindexArchive(session.app(), &counts)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.out << "DATA.KQI: " << counts.indexedFiles << " av " << counts.dataFiles
            << " datafiler indexerade\n"
            << "FORM.KQI: " << counts.indexedTemplates << " mallar indexerade\n";
}

struct SearchOptions {
    std::vector<std::string> words;
    bool noIndex = false;
    bool json = false;
};

void search(CliContext& ctx, const SearchOptions& o) {
    // The words as one text, as the search dialog's field holds them: "..." still keeps
    // blanks, whether the shell passed it as one word or several.
    std::string joined;
    for (const std::string& word : o.words) {
        if (!joined.empty()) joined += ' ';
        joined += word;
    }
    std::string text;
    if (!toCp1252(joined, text)) {
        ctx.err << "fel: söktexten har tecken som inte finns i teckentabellen (code page 1252)\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    CliSession session(ctx);
    if (!session.requireHome()) return;
    AppContext& app = session.app();
    const std::vector<std::string> keywords = KeywordParser::parse(text, app.prompt());
    std::vector<std::string> found;
    if (!searchArchive(app, keywords, !o.noIndex, found)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    if (found.empty()) app.prompt().show(MessageId::NoFilesFound, {}, MessageKind::Information);
    if (!found.empty() || o.json) printLines(ctx, found, o.json);
}

struct FormsOptions {
    std::string keyword;
    bool json = false;
};

void forms(CliContext& ctx, const FormsOptions& o) {
    std::string keyword;
    if (!toCp1252(o.keyword, keyword)) {
        ctx.err << "fel: sökordet har tecken som inte finns i teckentabellen (code page 1252)\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    CliSession session(ctx);
    if (!session.requireHome()) return;
    std::vector<std::string> keywords;
    if (!keyword.empty()) keywords.push_back(keyword);
    std::vector<std::string> found;
    if (!IndexEngine(session.app()).SearchIndex(kFormIndex, keywords, found)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    if (found.empty()) session.app().prompt().show(MessageId::NoSystemsFound);
    if (!found.empty() || o.json) printLines(ctx, found, o.json);
}

}  // namespace

void registerIndexCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* index = app.add_subcommand("index", "The archive's indexes DATA.KQI and FORM.KQI");
    index->require_subcommand(1);

    CLI::App* rebuildCmd = index->add_subcommand(
        "rebuild",
        "Rebuild DATA.KQI from every readable data file in FILES and FORM.KQI from every "
        "template in FORMS (asks nothing; needs no login). A file whose key belongs to "
        "another file is left out with a warning. Exit 1 when either index cannot be "
        "written");
    rebuildCmd->callback([&ctx] { rebuild(ctx); });

    auto searchOpts = std::make_shared<SearchOptions>();
    CLI::App* searchCmd = index->add_subcommand(
        "search",
        "Find data files: one line per file in Swedish order, the key and the indexed values "
        "separated by TABs (control characters escaped). TEXT is split as the search dialog "
        "does: blanks separate keywords, \"...\" makes one keyword, \"\" inside it a double "
        "quote; several words are joined with blanks first. The program directory must exist "
        "(exit 1 otherwise); nothing is created");
    searchCmd->add_option("text", searchOpts->words, "The search text (empty: every file)");
    searchCmd->add_flag("--no-index", searchOpts->noIndex,
                        "Read every data file and search all its values, not only the "
                        "indexed ones (slow; asks nothing)");
    searchCmd->add_flag("--json", searchOpts->json, "JSON: [{key, values: [...]}]");
    searchCmd->callback([&ctx, searchOpts] { search(ctx, *searchOpts); });

    auto formsOpts = std::make_shared<FormsOptions>();
    CLI::App* formsCmd = index->add_subcommand(
        "forms",
        "List the templates of FORM.KQI whose name or title holds KEYWORD (all without one): "
        "file, template name and title separated by TABs (control characters escaped); "
        "nothing is created");
    formsCmd->add_option("keyword", formsOpts->keyword, "One keyword, taken as it is");
    formsCmd->add_flag("--json", formsOpts->json, "JSON: [{key, values: [name, title]}]");
    formsCmd->callback([&ctx, formsOpts] { forms(ctx, *formsOpts); });
}

}  // namespace loom::cli
