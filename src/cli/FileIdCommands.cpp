#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "archive/FileId.h"
#include "common/Cp1252.h"
#include "platform/Settings.h"

namespace loom::cli {
namespace {

struct MakeOptions {
    std::uint32_t time = 0;
    std::string letter;
};

void makeFileId(CliContext& ctx, const MakeOptions& o, bool letterGiven) {
    if (letterGiven) {
        const std::string letter = filterComputerLetter(o.letter);
        if (letter.empty() || o.letter.size() != 1) {
            ctx.err << "fel: --letter tar en bokstav A-Z\n";
            ctx.exitCode = kExitUsage;
            return;
        }
        ctx.out << MakeFileId(o.time, letter[0]) << '\n';
        return;
    }
    // The computer's own letter, asked for (and kept) when it is not set yet.
    CliSession session(ctx);
    ctx.out << MakeFileId(session.app(), o.time) << '\n';
}

// Identifiers are code page 1252 inside; the command line and the output are UTF-8.
void parseFileId(CliContext& ctx, const std::string& text) {
    std::uint32_t time = 0;
    char letter = 0;
    std::string id;
    if (!toCp1252(text, id) || !ParseFileId(id, time, letter)) {
        ctx.err << "fel: ingen filidentitet: " << text << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.out << time << ' ' << escapeControls(cp1252ToUtf8(std::string(1, letter))) << '\n';
}

void fileIdBytes(CliContext& ctx, const std::string& text) {
    std::string id;
    if (toCp1252(text, id)) {
        for (std::uint8_t b : FileIdToBytes(id))
            ctx.out << hexOf(b);
    }
    ctx.out << '\n';
}

void fileIdFromBytes(CliContext& ctx, const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    if (!parseHexBytes(hex, bytes)) {
        ctx.err << "fel: ingen lista av hexadecimala byte: " << hex << "\n";
        ctx.exitCode = kExitUsage;
        return;
    }
    ctx.out << escapeControls(cp1252ToUtf8(FileIdFromBytes(bytes))) << '\n';
}

}  // namespace

void registerFileIdCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* fileid = app.add_subcommand(
        "fileid", "File identifiers: computer letter, creation time in base 36, \"0\"");
    fileid->require_subcommand(1);

    auto make = std::make_shared<MakeOptions>();
    CLI::App* makeCmd = fileid->add_subcommand(
        "make",
        "Print the identifier of a file made at --time; without --letter the computer's id "
        "(setting ComputerID) is used");
    makeCmd->add_option("--time", make->time, "Seconds since 1970-01-01 UTC")
        ->required()
        ->check(CLI::Range(std::uint32_t{0}, std::uint32_t{0xFFFFFFFFu}));
    CLI::Option* letterOpt = makeCmd->add_option("--letter", make->letter, "Computer letter A-Z");
    makeCmd->callback([&ctx, make, letterOpt] { makeFileId(ctx, *make, letterOpt->count() > 0); });

    auto text = std::make_shared<std::string>();
    CLI::App* parseCmd = fileid->add_subcommand(
        "parse",
        "Print the time in decimal, a blank and the letter; exit 1 when TEXT does not parse");
    parseCmd->add_option("text", *text, "The identifier")->required();
    parseCmd->callback([&ctx, text] { parseFileId(ctx, *text); });

    auto idText = std::make_shared<std::string>();
    CLI::App* bytesCmd = fileid->add_subcommand(
        "bytes",
        "Print the 8-byte PROM form as 16 hexadecimal digits (an empty line when TEXT does "
        "not parse)");
    bytesCmd->add_option("text", *idText, "The identifier")->required();
    bytesCmd->callback([&ctx, idText] { fileIdBytes(ctx, *idText); });

    auto hex = std::make_shared<std::string>();
    CLI::App* fromCmd = fileid->add_subcommand(
        "from-bytes",
        "Print the identifier of an 8-byte PROM form (an empty line for unwritten PROM or "
        "fewer than 8 bytes)");
    fromCmd->add_option("hex", *hex, "The bytes in hexadecimal, blanks allowed")->required();
    fromCmd->callback([&ctx, hex] { fileIdFromBytes(ctx, *hex); });
}

}  // namespace loom::cli
