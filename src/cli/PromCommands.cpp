#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ArgumentNames.h"
#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "LogPrinting.h"
#include "PromPrompt.h"
#include "PromRun.h"
#include "TerminalInput.h"
#include "common/Cp1252.h"
#include "eventlog/LogFile.h"
#include "fields/BlockComparison.h"
#include "fields/PromImage.h"
#include "template/FieldCaptions.h"

namespace loom::cli {
namespace {

bool isReadOutcome(const std::optional<MessageId>& m) {
    return m && PromPrompt::isReadOutcome(*m);
}

PromAnswers answersFor(const CliContext& ctx, bool yes, bool convert) {
    PromAnswers answers;
    answers.writeConfirmed = yes;
    answers.convert = convert;
    // Only the real terminal is asked; tests drive the CLI with string streams.
    answers.askTerminal = &ctx.err == &std::cerr && standardInputIsTerminal();
    return answers;
}

// ---- prom write ----

struct WriteOptions {
    std::string file;
    LinkOptions link;
    bool yes = false;
    bool convert = false;
    bool verify = false;
};

// Reads the PROM back on the same connection and compares every block the write sent.
bool verifyWrite(CliContext& ctx, PromRun& run) {
    PromDocument& document = run.document();
    const PromImage sent = document.sentImage();
    if (!run.transfer(document.ReadProm())) {
        ctx.err << "fel: promet kunde inte läsas tillbaka\n";
        return false;
    }
    const BlockComparison check = compareSentBlocks(sent, document.promImage());
    if (check.identical()) {
        ctx.out << "verifierat: " << check.compared << " block lästes tillbaka identiska\n";
        return true;
    }
    ctx.out << "verifieringen misslyckades: " << check.differing.size() << " av " << check.compared
            << " block lästes tillbaka annorlunda:\n";
    for (const std::uint32_t address : check.differing)
        ctx.out << blockAddressText(address) << '\n';
    return false;
}

void writeProm(CliContext& ctx, const WriteOptions& o) {
    if (!checkLinkOptions(ctx, o.link)) return;
    CliSession session(ctx);
    if (!session.login()) return;
    PromRun run(ctx, session, answersFor(ctx, o.yes, o.convert));
    PromDocument& document = run.document();
    const std::optional<std::filesystem::path> file = findDataFile(run.app(), o.file);
    if (!file) {
        ctx.err << "fel: ingen datafil \"" << escapeControls(o.file)
                << "\": varken en fil eller en nyckel i FILES\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    if (!document.OnOpenDocument(*file)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    if (!run.connect(o.link)) return;
    const bool written =
        run.transfer(document.WriteProm()) && document.lastMessage() == MessageId::WriteDone;
    if (!written) {
        if (run.prompt().writeRefusedUnattended())
            ctx.err << "obs: ingen vid terminalen kan bekräfta skrivningen; --yes skriver utan "
                       "att fråga\n";
        ctx.exitCode = kExitRefused;
    } else if (o.verify && (run.interrupted() || !verifyWrite(ctx, run))) {
        ctx.exitCode = kExitRefused;
    }
    run.disconnect();
}

// ---- prom read ----

struct ReadOptions {
    LinkOptions link;
    bool save = false;
    bool json = false;
};

std::string captionOf(const FieldCaptions& captions, FieldAddress address) {
    const FieldCaption* c = captions.find(address);
    return c ? c->caption : std::string();
}

void printReadJson(CliContext& ctx, PromDocument& document, const Form& form) {
    nlohmann::ordered_json j;
    j["message"] = static_cast<int>(*document.lastMessage());
    j["file"] = document.SameIdFound()
                    ? nlohmann::ordered_json(document.comparedFile().stem().string())
                    : nlohmann::ordered_json(nullptr);
    j["template"] = cp1252ToUtf8(form.name());
    j["differences"] = nlohmann::ordered_json::array();
    const FieldCaptions captions(form);
    for (const FieldDifference& d : document.Differences()) {
        j["differences"].push_back({{"page", d.page >= 0 && d.page < form.pageCount()
                                                 ? cp1252ToUtf8(form.page(d.page).name)
                                                 : std::string()},
                                    {"address", fieldAddressText(d.address)},
                                    {"file", cp1252ToUtf8(d.fileValue)},
                                    {"prom", cp1252ToUtf8(d.promValue)},
                                    {"caption", cp1252ToUtf8(captionOf(captions, d.address))}});
    }
    ctx.out << j.dump(2) << '\n';
}

void printReadText(CliContext& ctx, PromDocument& document, const Form& form) {
    ctx.out << cp1252ToUtf8(formatMessage(*document.lastMessage())) << '\n';
    if (document.SameIdFound())
        ctx.out << "Fil: " << document.comparedFile().stem().string() << '\n';
    ctx.out << "Mall: " << escapeControls(cp1252ToUtf8(form.name())) << '\n';
    int page = -2;
    const FieldCaptions captions(form);
    for (const FieldDifference& d : document.Differences()) {
        if (d.page != page) {
            page = d.page;
            const std::string name = page >= 0 && page < form.pageCount()
                                         ? cp1252ToUtf8(form.page(page).name)
                                         : std::string("?");
            ctx.out << "Sida \"" << escapeControls(name) << "\":\n";
        }
        ctx.out << "  " << fieldAddressText(d.address);
        if (const std::string caption = captionOf(captions, d.address); !caption.empty())
            ctx.out << " (" << escapeControls(cp1252ToUtf8(caption)) << ')';
        ctx.out << "  fil \"" << escapeControls(cp1252ToUtf8(d.fileValue)) << "\"  prom \""
                << escapeControls(cp1252ToUtf8(d.promValue)) << "\"\n";
    }
}

// Saves the system as read, the PROM's values shown, where the document keeps it.
bool saveRead(CliContext& ctx, PromDocument& document, bool json) {
    if (document.PromDiffers() && !document.ShowingProm()) document.ShowProm();
    if (document.path().empty()) document.AssignNewFileName();
    if (!document.Save()) return false;
    (json ? ctx.err : ctx.out) << "sparad " << document.path().string() << '\n';
    return true;
}

void readProm(CliContext& ctx, const ReadOptions& o) {
    if (!checkLinkOptions(ctx, o.link)) return;
    CliSession session(ctx);
    if (!session.login()) return;
    PromRun run(ctx, session, answersFor(ctx, false, false));
    PromDocument& document = run.document();
    if (!run.connect(o.link)) return;
    const bool read = run.transfer(document.ReadProm()) && isReadOutcome(document.lastMessage()) &&
                      document.form();
    if (!read) {
        ctx.exitCode = kExitRefused;
        run.disconnect();
        return;
    }
    if (o.json) {
        printReadJson(ctx, document, *document.form());
    } else {
        printReadText(ctx, document, *document.form());
    }
    run.disconnect();
    if (!o.save) return;
    if (document.promEmpty()) {
        // The template's defaults over an erased PROM are no system to archive.
        ctx.err << "fel: promet är tomt; ingenting sparades\n";
        ctx.exitCode = kExitRefused;
    } else if (!saveRead(ctx, document, o.json)) {
        ctx.exitCode = kExitRefused;
    }
}

// ---- prom log ----

struct LogOptions {
    LinkOptions link;
    bool json = false;
};

void readLog(CliContext& ctx, const LogOptions& o) {
    if (!checkLinkOptions(ctx, o.link)) return;
    CliSession session(ctx);
    if (!session.login()) return;
    PromRun run(ctx, session, answersFor(ctx, false, false));
    PromDocument& document = run.document();
    if (!run.connect(o.link)) return;
    const bool read = run.transfer(document.ReadLog());
    run.disconnect();
    if (!read) {
        ctx.exitCode = kExitRefused;
        return;
    }
    const std::optional<std::filesystem::path>& logFile = run.progress().logWindow();
    if (!logFile || !document.form()) {
        ctx.err << "fel: centralens logg lästes men sparades inte: centralen angav ingen "
                   "filidentitet\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    if (!document.lastLogStored()) {
        ctx.err << "fel: centralens logg lästes men kunde inte sparas i " << logFile->string()
                << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    AppContext& app = run.app();
    std::string content;
    std::vector<std::string_view> lines;
    if (!LogFile::readLines(app.files(), *logFile, content, lines)) {
        ctx.err << "fel: kan inte läsa loggfilen " << logFile->string() << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    const std::size_t added = std::min(document.lastLogRecordsAdded(), lines.size());
    ctx.err << logFile->string() << ": " << lines.size() << " poster, " << added << " nya\n";
    // Names of users, areas and sections from the system's archived file, when there is one.
    PromImage image;
    bool haveImage = false;
    if (!document.lastPromFileId().empty()) {
        const std::filesystem::path data =
            app.programDirectory().folder(ProgramFolder::Files) /
            (document.lastPromFileId() + std::string(ProgramDirectory::kDataExtension));
        haveImage = app.files().exists(data) && loadSystemImage(app, *document.form(), data, image);
    }
    printLogEntries(ctx.out, app,
                    std::span<const std::string_view>(lines).subspan(lines.size() - added),
                    haveImage ? &image : nullptr, nullptr, o.json);
}

}  // namespace

void registerPromCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* prom = app.add_subcommand(
        "prom",
        "The panel's PROM over TCP/IP, a serial port or a modem: write a system, read it back "
        "and compare, read the event log. Needs --login; Ctrl-C cancels a transfer");
    prom->require_subcommand(1);

    auto write = std::make_shared<WriteOptions>();
    CLI::App* writeCmd = prom->add_subcommand(
        "write",
        "Write a system into the PROM: the panel's model must match the template's (or be "
        "converted, --convert); the PROM is erased and every block that is not all FF sent");
    writeCmd->add_option("file", write->file, kDataFileHelp)->required();
    addLinkOptions(*writeCmd, write->link);
    writeCmd->add_flag("--yes", write->yes,
                       "Answer \"Skall du verkligen programmera promet?\" with yes (otherwise it "
                       "is asked at the terminal, and refused without one)");
    writeCmd->add_flag("--convert", write->convert,
                       "Convert the data when the panel is of another model and a conversion "
                       "exists (otherwise the write stops)");
    writeCmd->add_flag("--verify", write->verify,
                       "Read the PROM back afterwards and compare every block sent; the "
                       "blocks that differ are listed (5 hexadecimal digits) and the exit code "
                       "is 1");
    writeCmd->callback([&ctx, write] { writeProm(ctx, *write); });

    auto read = std::make_shared<ReadOptions>();
    CLI::App* readCmd = prom->add_subcommand(
        "read",
        "Read the PROM, identify the archived system by the file identifier in it and "
        "compare: prints the outcome (message 80, 81 or 82; 1107 for an erased PROM, which "
        "holds no system) and every differing field by page with the file's and the PROM's "
        "value");
    addLinkOptions(*readCmd, read->link);
    readCmd->add_flag("--save", read->save,
                      "Save the system as read (the PROM's values) as the program does: over "
                      "the archived file it was identified as, else as a new file in FILES; "
                      "an erased PROM is not saved (exit 1)");
    readCmd->add_flag("--json", read->json,
                      "JSON: {message, file (the identified file's identifier or null), "
                      "template, differences: [{page, address, file, prom, caption}]}");
    readCmd->callback([&ctx, read] { readProm(ctx, *read); });

    auto log = std::make_shared<LogOptions>();
    CLI::App* logCmd = prom->add_subcommand(
        "log",
        "Read the panel's event log, add the new records to its log file in LOG and print "
        "them decoded, newest first, as \"log show\" does");
    addLinkOptions(*logCmd, log->link);
    logCmd->add_flag("--json", log->json, "JSON as \"log show --json\"");
    logCmd->callback([&ctx, log] { readLog(ctx, *log); });
}

}  // namespace loom::cli
