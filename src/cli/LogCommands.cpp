#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ArgumentNames.h"
#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "FormLoading.h"
#include "LogPrinting.h"
#include "common/Cp1252.h"
#include "datafile/DataFile.h"
#include "eventlog/EventLogFilter.h"
#include "eventlog/LogFile.h"
#include "fields/PromImage.h"

namespace loom::cli {
namespace {

// ---- log show ----

struct ShowOptions {
    std::string log;
    std::string form;
    std::string data;
    bool json = false;
    EventLogFilter filter;  // UTF-8 as typed
};

bool filterToCp1252(CliContext& ctx, EventLogFilter& filter) {
    for (std::string* text :
         {&filter.eventName, &filter.user, &filter.freeText, &filter.from, &filter.to}) {
        std::string converted;
        if (!toCp1252(*text, converted)) {
            ctx.err << "fel: en söktext har tecken utanför teckentabell 1252: " << *text << "\n";
            ctx.exitCode = kExitUsage;
            return false;
        }
        *text = std::move(converted);
    }
    return true;
}

// The archived system whose log `log` is: the first data file of FILES that keeps its log
// there (the name is made of the file identifier's time alone).
std::optional<std::filesystem::path> systemOfLog(AppContext& app,
                                                 const std::filesystem::path& log) {
    const std::filesystem::path folder = app.programDirectory().folder(ProgramFolder::Files);
    const std::filesystem::path wanted = std::filesystem::absolute(log).lexically_normal();
    for (const std::string& name : app.files().list(folder, ProgramDirectory::kDataExtension)) {
        const std::filesystem::path own = LogFilePath(app.programDirectory(), folder / name);
        if (!own.empty() && std::filesystem::absolute(own).lexically_normal() == wanted)
            return folder / name;
    }
    return std::nullopt;
}

// The template name a data file records; empty when it cannot be read.
std::string templateOf(AppContext& app, const std::filesystem::path& data) {
    DataFile file(app);
    std::string name, password;
    return file.ReadHeader(data, name, password, false) ? name : std::string();
}

void showLog(CliContext& ctx, ShowOptions o) {
    if (!filterToCp1252(ctx, o.filter)) return;
    CliSession session(ctx);
    AppContext& app = session.app();

    // The log by its path, or by the system that keeps it (a data file or its key).
    std::filesystem::path log = o.log;
    std::optional<std::filesystem::path> system;
    if (!o.data.empty()) {
        system = findDataFile(app, o.data);
        if (!system) {
            ctx.err << "fel: ingen datafil \"" << escapeControls(o.data) << "\"\n";
            ctx.exitCode = kExitRefused;
            return;
        }
    }
    if (!app.files().exists(log)) {
        if (std::optional<std::filesystem::path> named = findDataFile(app, o.log)) {
            log = LogFilePath(app.programDirectory(), *named);
            if (!system) system = named;
            if (!app.files().exists(log)) {
                ctx.err << "fel: systemet har ingen logg än: " << log.string() << "\n";
                ctx.exitCode = kExitRefused;
                return;
            }
        } else {
            ctx.err << "fel: loggfilen finns inte: " << o.log << "\n";
            ctx.exitCode = kExitRefused;
            return;
        }
    }
    std::string systemTemplate;
    if (o.form.empty()) {
        const std::optional<std::filesystem::path> owner = system ? system : systemOfLog(app, log);
        if (owner) systemTemplate = templateOf(app, *owner);
    }
    std::unique_ptr<LoadedForm> loaded = loadTemplateFor(ctx, app, o.form, systemTemplate);
    if (!loaded) return;
    PromImage image;
    if (system && !loadSystemImage(app, *loaded->form, *system, image)) {
        ctx.exitCode = kExitRefused;
        return;
    }

    const std::optional<LogSearch> search = LogSearch::prepare(o.filter, app.prompt());
    if (!search) {
        ctx.exitCode = kExitRefused;
        return;
    }
    std::string content;
    std::vector<std::string_view> lines;
    if (!LogFile::readLines(app.files(), log, content, lines)) {
        ctx.err << "fel: loggfilen kan inte läsas: " << log.string() << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    printLogEntries(ctx.out, app, lines, system ? &image : nullptr, &*search, o.json);
}

// ---- log merge ----

struct MergeOptions {
    std::string log;
    std::string hexFile;
};

void mergeLog(CliContext& ctx, const MergeOptions& o) {
    CliSession session(ctx);
    AppContext& app = session.app();
    std::string text, error;
    if (!app.files().readWhole(o.hexFile, text, error, LogFile::kReadLimit)) {
        ctx.err << "fel: " << o.hexFile << " kan inte läsas: " << cp1252ToUtf8(error) << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    std::vector<std::uint8_t> received;
    if (!parseHexBytes(text, received)) {
        ctx.err << "fel: " << o.hexFile
                << " måste innehålla hexadecimala siffror i par (blanktecken tillåtna)\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    LogMergeCounts counts;
    std::string reason;
    if (!MergeLog(app.files(), o.log, received, &counts, &reason)) {
        ctx.err << "fel: loggfilen " << o.log << " kunde inte läsas eller skrivas\n"
                << cp1252ToUtf8(reason) << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.out << "Poster i loggen: " << counts.total << ", tillagda: " << counts.added << "\n";
}

// ---- log path ----

void logPath(CliContext& ctx, const std::string& document) {
    CliSession session(ctx);
    AppContext& app = session.app();
    const std::filesystem::path named =
        findDataFile(app, document).value_or(CliSession::argumentPath(document));
    const std::filesystem::path path = LogFilePath(app.programDirectory(), named);
    if (path.empty()) {
        ctx.err << "fel: filnamnet är ingen filidentitet: " << document << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.out << path.string() << '\n';
}

}  // namespace

void registerLogCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* log = app.add_subcommand("log", "Event logs (LOG/*.LOG): decode, filter, merge");
    log->require_subcommand(1);

    auto show = std::make_shared<ShowOptions>();
    CLI::App* showCmd = log->add_subcommand(
        "show",
        "Decode a log file with a template's event texts, newest record first, filtered as the "
        "event log window's search does: each entry's lines (a line feed inside a unit "
        "text breaks the line), other control characters escaped, entries separated by an empty "
        "line");
    showCmd
        ->add_option("logfile", show->log,
                     "The log file, or the system whose log to show (a data file or its key)")
        ->required();
    showCmd->add_option("--form", show->form,
                        "The template with the event texts (default: the system's own, found "
                        "through --data, the system named, or the data file in FILES whose "
                        "log this is)");
    showCmd->add_option("--data", show->data,
                        "The system's data file (a path or its key): user names from its label "
                        "table, area and unit names from the PROM image of its values");
    showCmd->add_flag("--json", show->json,
                      "JSON: [{text, date, lines, color, background}], text with CR LF line "
                      "ends, date as YYYYMMDD or null, colours as #RRGGBB");
    showCmd->add_option("--event", show->filter.eventName,
                        "Only entries whose first line begins with this event name");
    showCmd->add_option("--user", show->filter.user,
                        "Only entries naming this user after \"Användare:\" (any letter case)");
    showCmd->add_option("--text", show->filter.freeText,
                        "Only entries with one of these words (separated by \";\") on a line");
    showCmd->add_option("--from", show->filter.from, "First date, YYMMDD");
    showCmd->add_option("--to", show->filter.to,
                        "Last date, YYMMDD (entries without a date then drop out)");
    showCmd->callback([&ctx, show] { showLog(ctx, *show); });

    auto merge = std::make_shared<MergeOptions>();
    CLI::App* mergeCmd = log->add_subcommand(
        "merge",
        "Add the records of a log read from the panel to a log file: the records newer than "
        "the file's last one, or all of them when it is not among them");
    mergeCmd->add_option("logfile", merge->log, "The log file (made when missing)")->required();
    mergeCmd
        ->add_option("hexfile", merge->hexFile,
                     "The received bytes as hexadecimal digits, newest record first, "
                     "white space ignored")
        ->required();
    mergeCmd->callback([&ctx, merge] { mergeLog(ctx, *merge); });

    auto document = std::make_shared<std::string>();
    CLI::App* pathCmd =
        log->add_subcommand("path",
                            "Print the log file path of a data file (named by its file "
                            "identifier)");
    pathCmd->add_option("file", *document, kDataFileHelp)->required();
    pathCmd->callback([&ctx, document] { logPath(ctx, *document); });
}

}  // namespace loom::cli
