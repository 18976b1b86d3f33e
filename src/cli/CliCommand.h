#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

namespace loom::cli {

// Exit codes of every command: scripts rely on them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // the input was refused (bad file, bad value)
inline constexpr int kExitUsage = 2;    // the command line was wrong

// What a command needs from the running CLI: its streams (UTF-8 text), the global
// options and the place to put its exit code.
struct CliContext {
    std::ostream& out;
    std::ostream& err;
    std::string home;   // --home, or empty
    std::string login;  // --login, or empty
    int exitCode = kExitOk;
};

// How commands describe the names they take (see ArgumentNames.h).
inline constexpr const char* kDataFileHelp =
    "The data file: a path, or its key in FILES as index search prints it (KEY or KEY.KQD)";
inline constexpr const char* kTemplateHelp =
    "The template: a path, a file name in FORMS (.FRM may be left out) or a template name";

// Prints "fel: " and the reason on stderr and sets the exit code; returns false.
inline bool refuse(CliContext& ctx, std::string_view reason, int code = kExitRefused) {
    ctx.err << "fel: " << reason << '\n';
    ctx.exitCode = code;
    return false;
}

// Each command group adds its subcommands to the app. The callbacks run after parsing.
void registerFormCommands(CLI::App& app, CliContext& ctx);
void registerValueCommands(CLI::App& app, CliContext& ctx);
void registerDataCommands(CLI::App& app, CliContext& ctx);
void registerFileIdCommands(CLI::App& app, CliContext& ctx);
void registerSettingsCommands(CLI::App& app, CliContext& ctx);
void registerIndexCommands(CLI::App& app, CliContext& ctx);
void registerExportImportCommands(CLI::App& app, CliContext& ctx);
void registerLogCommands(CLI::App& app, CliContext& ctx);
void registerPromCommands(CLI::App& app, CliContext& ctx);
void registerHomeCommands(CLI::App& app, CliContext& ctx);
void registerUserCommands(CLI::App& app, CliContext& ctx);
void registerPrintCommands(CLI::App& app, CliContext& ctx);

// Runs the CLI in-process (tests call this with string streams).
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace loom::cli
