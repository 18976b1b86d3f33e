#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "CopyRunPrompt.h"
#include "archive/Exporter.h"
#include "archive/Importer.h"
#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "common/Cp1252.h"

namespace loom::cli {
namespace {

// A folder named on the command line as the dialogs take it (code page 1252).
bool folderArgument(CliContext& ctx, const std::string& utf8, std::string& out) {
    if (toCp1252(utf8, out)) return true;
    ctx.err << "error: the folder name has characters outside code page 1252: " << utf8 << "\n";
    ctx.exitCode = kExitRefused;
    return false;
}

// Each non-empty result list with a header naming its folder, then its lines.
void printResults(CliContext& ctx, AppContext& app, const CopyRunPrompt& prompt) {
    for (const ResultList which : {ResultList::Copied, ResultList::NotCopied}) {
        const std::vector<std::string>& list = app.searchResults().list(which);
        ctx.out << cp1252ToUtf8(SearchResults::tabName(which)) << ':';
        if (!list.empty()) ctx.out << ' ' << cp1252ToUtf8(list.front());
        ctx.out << '\n';
        for (std::size_t i = 1; i < list.size(); ++i)
            ctx.out << cp1252ToUtf8(list[i]) << '\n';
    }
    for (const std::string& report : prompt.reports())
        ctx.out << report << '\n';
}

// ---- export ----

std::map<std::string, OnCopyError> onErrorChoices() {
    return {{"retry", OnCopyError::Retry},
            {"skip", OnCopyError::Skip},
            {"skip-all", OnCopyError::SkipAll}};
}

struct ExportOptions {
    std::string to;
    bool all = false;
    std::string changedAfter;
    std::vector<std::string> keys;
    OnCopyError onError = OnCopyError::Skip;
    ExportSelection selection = ExportSelection::All;
};

// The DATA.KQI line of each key, as "Filer i listan" takes them from "Sökta"; a file the
// index does not know yet goes by its key alone.
bool linesOfKeys(CliContext& ctx, AppContext& app, const std::vector<std::string>& keys,
                 std::vector<std::string>& lines) {
    std::vector<std::string> indexed;
    IndexEngine(app).SearchIndex(kDataIndex, {}, indexed);
    for (const std::string& utf8 : keys) {
        std::string key;
        if (!toCp1252(utf8, key) || !isSafeIndexKey(key)) {
            ctx.err << "error: not the key of a data file: " << utf8 << "\n";
            ctx.exitCode = kExitRefused;
            return false;
        }
        // A key without a file is not refused here: like a file that vanished from a
        // result list, the run reports why it could not be copied and lists it as not
        // copied.
        std::string line = key;
        for (const std::string& candidate : indexed) {
            if (IndexEngine::keyOf(candidate) == key) {
                line = candidate;
                break;
            }
        }
        lines.push_back(std::move(line));
    }
    return true;
}

void exportFiles(CliContext& ctx, const ExportOptions& o) {
    CliSession session(ctx);
    if (!session.login()) return;
    AppContext& app = session.app();
    ExportRequest request;
    if (!folderArgument(ctx, o.to, request.folderText)) return;
    request.selection = o.selection;
    if (o.selection == ExportSelection::ChangedAfter) {
        request.dateText = utf8ToCp1252(o.changedAfter);
    } else if (o.selection == ExportSelection::FilesInList) {
        std::vector<std::string>& found = app.searchResults().list(ResultList::Found);
        if (!linesOfKeys(ctx, app, o.keys, found)) return;
        request.selection = ExportSelection::FilesInList;
        request.chosenList = ResultList::Found;
    }
    CopyRunPrompt prompt(ctx.err, o.onError);
    app.setPrompt(prompt);
    Exporter exporter(app, nullptr);
    exporter.beforeFile = [&prompt](std::string_view) { prompt.nextFile(); };
    if (!exporter.ok(request).ran) {
        ctx.exitCode = kExitRefused;
        return;
    }
    printResults(ctx, app, prompt);
}

// ---- import ----

struct ImportOptions {
    std::string from;
    bool replaceCustomerInfo = false;
    OnCopyError onError = OnCopyError::Skip;
};

void importFiles(CliContext& ctx, const ImportOptions& o) {
    CliSession session(ctx);
    if (!session.login()) return;
    AppContext& app = session.app();
    CopyRunPrompt prompt(ctx.err, o.onError);
    app.setPrompt(prompt);
    Importer importer(app);
    if (!folderArgument(ctx, o.from, importer.folderText)) return;
    importer.replaceCustomerInfo = o.replaceCustomerInfo;
    if (!importer.ok().ran) {
        ctx.exitCode = kExitRefused;
        return;
    }
    printResults(ctx, app, prompt);
}

constexpr const char* kListsHelp =
    " Prints \"Kopierade:\" and \"Ej kopierade:\", each with the folder its files lie in, "
    "each followed by one line per file (key, TAB, indexed values), then the counts. Exit 0 "
    "when the run completed, whatever was skipped; 1 for a missing folder";

}  // namespace

void registerExportImportCommands(CLI::App& app, CliContext& ctx) {
    auto exp = std::make_shared<ExportOptions>();
    CLI::App* exportCmd = app.add_subcommand(
        "export",
        std::string("Copy data files of FILES to a folder; a file the folder already holds as "
                    "new or newer is not copied. Needs --login.") +
            kListsHelp + " or a bad date");
    exportCmd->add_option("--to", exp->to, "The folder to copy to")->required();
    CLI::Option* allOpt = exportCmd->add_flag("--all", exp->all, "Every file of DATA.KQI");
    CLI::Option* afterOpt = exportCmd->add_option(
        "--changed-after", exp->changedAfter,
        "Files last written on or after the start of this local day (YYYY-MM-DD)");
    CLI::Option* fileOpt = exportCmd->add_option(
        "--file", exp->keys, "The key (file identifier) of a file in FILES; may be repeated");
    allOpt->excludes(afterOpt, fileOpt);
    afterOpt->excludes(fileOpt);
    exportCmd
        ->add_option("--on-error", exp->onError,
                     "When a file cannot be copied: retry (up to 3 attempts in all, then "
                     "skip it), skip (the default) or skip-all (skip it and every file "
                     "after it)")
        ->transform(CLI::CheckedTransformer(onErrorChoices()));
    exportCmd->callback([&ctx, exp, allOpt, afterOpt, fileOpt] {
        if (allOpt->count() + afterOpt->count() + fileOpt->count() == 0) {
            ctx.err << "error: name the files: --all, --changed-after YYYY-MM-DD or --file KEY\n";
            ctx.exitCode = kExitUsage;
            return;
        }
        exp->selection = allOpt->count() > 0     ? ExportSelection::All
                         : afterOpt->count() > 0 ? ExportSelection::ChangedAfter
                                                 : ExportSelection::FilesInList;
        exportFiles(ctx, *exp);
    });

    auto imp = std::make_shared<ImportOptions>();
    CLI::App* importCmd = app.add_subcommand(
        "import",
        std::string("Copy the data files of a folder into FILES and DATA.KQI, rewriting those "
                    "saved under another system password; a file the archive holds as new or "
                    "newer is not copied, unreadable files are left out. Without "
                    "--replace-customer-info the archive's customer information "
                    "(address-less values) is kept. Needs --login.") +
            kListsHelp);
    importCmd->add_option("--from", imp->from, "The folder to import from")->required();
    importCmd->add_flag("--replace-customer-info", imp->replaceCustomerInfo,
                        "Take the whole file from the folder (\"Byt ut gammal kundinformation\")");
    // Import asks nothing today (unreadable files are left out silently); the option is
    // taken so that scripts can pass the same answers to both commands.
    importCmd
        ->add_option("--on-error", imp->onError,
                     "Accepted for symmetry with export; import asks no questions")
        ->transform(CLI::CheckedTransformer(onErrorChoices()));
    importCmd->callback([&ctx, imp] { importFiles(ctx, *imp); });
}

}  // namespace loom::cli
