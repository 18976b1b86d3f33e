#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "FormLoading.h"
#include "LogPrinting.h"
#include "common/Cp1252.h"
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
            ctx.err << "error: a search text has characters outside code page 1252: " << *text
                    << "\n";
            ctx.exitCode = kExitUsage;
            return false;
        }
        *text = std::move(converted);
    }
    return true;
}

void showLog(CliContext& ctx, ShowOptions o) {
    if (!filterToCp1252(ctx, o.filter)) return;
    CliSession session(ctx);
    AppContext& app = session.app();
    std::unique_ptr<LoadedForm> loaded = loadForm(app, o.form);
    if (!loaded) {
        ctx.exitCode = kExitRefused;
        return;
    }
    PromImage image;
    const bool haveImage = !o.data.empty();
    if (haveImage && !loadSystemImage(app, *loaded->form, o.data, image)) {
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
    if (!LogFile::readLines(app.files(), o.log, content, lines)) {
        // As in the log window, a system without a log yet simply has no entries; the
        // note tells a mistyped path apart without failing scripts that show every log.
        ctx.err << "note: no log entries: cannot read " << o.log << "\n";
        lines.clear();
    }
    printLogEntries(ctx.out, app, lines, haveImage ? &image : nullptr, &*search, o.json);
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
        ctx.err << "error: cannot read " << o.hexFile << ": " << cp1252ToUtf8(error) << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    std::vector<std::uint8_t> received;
    if (!parseHexBytes(text, received)) {
        ctx.err << "error: " << o.hexFile
                << " must hold hexadecimal digits in pairs (white space allowed)\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    LogMergeCounts counts;
    std::string reason;
    if (!MergeLog(app.files(), o.log, received, &counts, &reason)) {
        ctx.err << "error: the log file " << o.log << " could not be read or written\n"
                << cp1252ToUtf8(reason) << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.out << counts.total << " records in the log, " << counts.added << " added\n";
}

// ---- log path ----

void logPath(CliContext& ctx, const std::string& document) {
    CliSession session(ctx);
    const std::filesystem::path path =
        LogFilePath(session.app().programDirectory(), CliSession::argumentPath(document));
    if (path.empty()) {
        ctx.err << "error: the file name is not a file identifier: " << document << "\n";
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
    showCmd->add_option("logfile", show->log, "The log file")->required();
    showCmd->add_option("--form", show->form, "The template (.FRM) with the event texts")
        ->required();
    showCmd->add_option("--data", show->data,
                        "The system's data file (.KQD): user names from its label table, area "
                        "and unit names from the PROM image of its values");
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
    pathCmd->add_option("file", *document, "The data file")->required();
    pathCmd->callback([&ctx, document] { logPath(ctx, *document); });
}

}  // namespace loom::cli
