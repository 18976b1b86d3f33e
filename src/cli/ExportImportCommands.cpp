#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "CopyRunPrompt.h"
#include "IndexLineText.h"
#include "TerminalInput.h"
#include "archive/Exporter.h"
#include "archive/Importer.h"
#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "archive/SearchResults.h"
#include "common/Cp1252.h"
#include "platform/FileSystem.h"

namespace loom::cli {
namespace {

// A folder named on the command line. The command has always refused names outside code
// page 1252, and still does.
bool folderArgument(CliContext& ctx, const std::string& utf8, std::filesystem::path& out) {
    std::string text;
    if (toCp1252(utf8, text)) {
        out = pathFromText(text);
        return true;
    }
    ctx.err << "fel: katalognamnet har tecken som inte finns i teckentabellen (code page 1252): "
            << escapeControls(utf8) << "\n";
    ctx.exitCode = kExitRefused;
    return false;
}

// Each non-empty result list with a header naming its folder, then its lines.
void printResults(CliContext& ctx, AppContext& app, CopyRunPrompt& prompt) {
    prompt.endProgress();
    for (const ResultList which : {ResultList::Copied, ResultList::NotCopied}) {
        const std::vector<std::string>& list = app.searchResults().list(which);
        ctx.out << cp1252ToUtf8(SearchResults::tabName(which)) << ':';
        if (!list.empty()) ctx.out << ' ' << plainIndexLine(list.front());
        ctx.out << '\n';
        for (std::size_t i = 1; i < list.size(); ++i)
            ctx.out << plainIndexLine(list[i]) << '\n';
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

// A key as --file takes it: KEY or the file's name KEY.KQD.
std::string keyArgument(std::string_view key) {
    const std::string_view extension = ProgramDirectory::kDataExtension;
    if (key.size() > extension.size() &&
        cp1252Upper(key.substr(key.size() - extension.size())) == extension)
        key.remove_suffix(extension.size());
    return std::string(key);
}

// The DATA.KQI line of each key, as "Filer i listan" takes them from "Sökta"; a file the
// index does not know yet goes by its key alone. `missing` counts the keys whose file is
// not in FILES.
bool linesOfKeys(CliContext& ctx, AppContext& app, const std::vector<std::string>& keys,
                 std::vector<std::string>& lines, int& missing) {
    std::vector<std::string> indexed;
    IndexEngine(app).SearchIndex(kDataIndex, {}, indexed);
    const std::filesystem::path files = app.programDirectory().folder(ProgramFolder::Files);
    for (const std::string& utf8 : keys) {
        std::string text;
        const std::string key = toCp1252(utf8, text) ? keyArgument(text) : std::string();
        if (!isSafeIndexKey(key)) {
            ctx.err << "fel: inte nyckeln till en datafil: " << escapeControls(utf8) << "\n";
            ctx.exitCode = kExitRefused;
            return false;
        }
        if (!app.files().exists(dataFilePath(files, key))) ++missing;
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
    if (!session.requireHome() || !session.login()) return;
    AppContext& app = session.app();
    ExportRequest request;
    if (!folderArgument(ctx, o.to, request.folder)) return;
    request.selection = o.selection;
    int missing = 0;
    if (o.selection == ExportSelection::ChangedAfter) {
        request.dateText = utf8ToCp1252(o.changedAfter);
    } else if (o.selection == ExportSelection::FilesInList) {
        std::vector<std::string>& found = app.searchResults().list(ResultList::Found);
        if (!linesOfKeys(ctx, app, o.keys, found, missing)) return;
        request.selection = ExportSelection::FilesInList;
        request.chosenList = ResultList::Found;
    }
    CopyRunPrompt prompt(ctx.err, o.onError, "Exporterar", isTerminalStderr(ctx.err));
    app.setPrompt(prompt);
    Exporter exporter(app, nullptr);
    exporter.beforeFile = [&prompt](std::string_view key, std::size_t index, std::size_t count) {
        prompt.nextFile(std::string(key) + std::string(ProgramDirectory::kDataExtension), index,
                        count);
    };
    if (!exporter.ok(request).ran) {
        prompt.endProgress();
        ctx.exitCode = kExitRefused;
        return;
    }
    printResults(ctx, app, prompt);
    // The run went on past a named file that is not there, but the command did not do
    // what it was asked.
    if (missing > 0) ctx.exitCode = kExitRefused;
}

// ---- import ----

struct ImportOptions {
    std::string from;
    bool replaceCustomerInfo = false;
    OnCopyError onError = OnCopyError::Skip;
};

void importFiles(CliContext& ctx, const ImportOptions& o) {
    CliSession session(ctx);
    if (!session.requireHome() || !session.login()) return;
    AppContext& app = session.app();
    CopyRunPrompt prompt(ctx.err, o.onError, "Importerar", isTerminalStderr(ctx.err));
    app.setPrompt(prompt);
    Importer importer(app);
    if (!folderArgument(ctx, o.from, importer.folder)) return;
    importer.replaceCustomerInfo = o.replaceCustomerInfo;
    importer.beforeFile = [&prompt](std::string_view name, std::size_t index, std::size_t count) {
        prompt.nextFile(name, index, count);
    };
    const CopyRunResult result = importer.ok();
    if (!result.ran) {
        prompt.endProgress();
        ctx.exitCode = kExitRefused;
        return;
    }
    printResults(ctx, app, prompt);
    if (result.failed > 0) ctx.exitCode = kExitRefused;
}

constexpr const char* kListsHelp =
    " Prints \"Kopierade:\" and \"Ej kopierade:\", each with the folder its files lie in, "
    "each followed by one line per file (key, TAB, indexed values; control characters "
    "escaped), then the counts. On a terminal stderr shows the file the run is at. Exit 1 "
    "for a missing program directory or folder";

}  // namespace

void registerExportImportCommands(CLI::App& app, CliContext& ctx) {
    auto exp = std::make_shared<ExportOptions>();
    CLI::App* exportCmd = app.add_subcommand(
        "export",
        std::string("Copy data files of FILES to a folder; a file the folder already holds as "
                    "new or newer is not copied. Needs --login.") +
            kListsHelp +
            ", a bad date, or a file named by --file that FILES does not hold (the run still "
            "completes); otherwise 0 when the run completed, whatever was skipped");
    exportCmd->add_option("--to", exp->to, "The folder to copy to")->required();
    CLI::Option* allOpt = exportCmd->add_flag("--all", exp->all, "Every file of DATA.KQI");
    CLI::Option* afterOpt = exportCmd->add_option(
        "--changed-after", exp->changedAfter,
        "Files last written on or after the start of this local day (YYYY-MM-DD)");
    CLI::Option* fileOpt = exportCmd->add_option(
        "--file", exp->keys,
        "The key (file identifier) of a file in FILES, or its name KEY.KQD; may be repeated");
    allOpt->excludes(afterOpt, fileOpt);
    afterOpt->excludes(fileOpt);
    exportCmd
        ->add_option("--on-error", exp->onError,
                     "When a file cannot be copied: retry (up to 3 attempts in all, then "
                     "skip it), skip (the default) or skip-all (skip it and every file "
                     "after it). Each failure prints one line: the file, the reason and "
                     "what was done")
        ->transform(CLI::CheckedTransformer(onErrorChoices()));
    exportCmd->callback([&ctx, exp, allOpt, afterOpt, fileOpt] {
        if (allOpt->count() + afterOpt->count() + fileOpt->count() == 0) {
            ctx.err << "fel: ange filerna: --all, --changed-after ÅÅÅÅ-MM-DD eller --file NYCKEL\n";
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
            kListsHelp +
            ", or a file that could not be written into the archive (each is reported with "
            "the reason; the run goes on); otherwise 0, whatever was not copied");
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
