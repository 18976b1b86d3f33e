#include <exception>
#include <optional>

#include "CliCommand.h"
#include "CliVersion.h"

namespace loom::cli {
namespace {

constexpr const char* kGlobalOptions =
    "Global options, before or after the command words: --home DIR (the program directory) "
    "and --login NAME (the user, for commands that work on the archive; the password from "
    "LOOMCRAFT_PASSWORD or typed without echo at the terminal).";

// Every command that is run by its own words says in its help that the global options
// apply, since a subcommand's help lists only its own options.
void noteGlobalOptions(CLI::App& command) {
    const std::vector<CLI::App*> children = command.get_subcommands([](CLI::App*) { return true; });
    if (children.empty()) {
        const std::string own = command.get_footer();
        command.footer(own.empty() ? kGlobalOptions : own + "\n\n" + kGlobalOptions);
        return;
    }
    for (CLI::App* child : children)
        noteGlobalOptions(*child);
}

// What went wrong when a word stands where a command word was wanted but names no
// command: that word, and the command words before it.
struct UnknownCommand {
    std::string word;
    std::string parents;
};
std::optional<UnknownCommand> unknownCommand(CLI::App& app) {
    CLI::App* at = &app;
    std::string parents;
    for (std::vector<CLI::App*> chosen = at->get_subcommands(); !chosen.empty();
         chosen = at->get_subcommands()) {
        at = chosen.front();
        parents += " " + at->get_name();
    }
    if (at->get_require_subcommand_min() == 0) return std::nullopt;
    for (const std::string& word : app.remaining(true))
        if (!word.empty() && word[0] != '-') return UnknownCommand{word, parents};
    return std::nullopt;
}

}  // namespace

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext ctx{out, err, {}, {}, kExitOk};
    CLI::App app{"loomcraft-cli: scriptable access to Loomcraft's archive, templates and values",
                 "loomcraft-cli"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show help for every command");
    app.set_version_flag("--version", std::string("loomcraft-cli ") + LOOM_VERSION);
    // Global options may also stand after the command words.
    app.fallthrough();
    app.add_option("--home", ctx.home,
                   "Program directory (default: LOOMCRAFT_HOME, else the executable's folder "
                   "when it holds the program's folders, else the user's data folder)");
    app.add_option("--login", ctx.login,
                   "User name for commands that work on the archive; the password comes from "
                   "LOOMCRAFT_PASSWORD or is asked for without echo");
    app.footer(
        "Settings are the user's own (LOOMCRAFT_SETTINGS=FILE keeps them in an INI file "
        "instead).\nExit codes: 0 done, 1 refused (the reason on stderr), 2 usage.");

    registerFormCommands(app, ctx);
    registerValueCommands(app, ctx);
    registerDataCommands(app, ctx);
    registerFileIdCommands(app, ctx);
    registerSettingsCommands(app, ctx);
    registerIndexCommands(app, ctx);
    registerExportImportCommands(app, ctx);
    registerLogCommands(app, ctx);
    registerPromCommands(app, ctx);
    registerHomeCommands(app, ctx);
    registerUserCommands(app, ctx);
    registerPrintCommands(app, ctx);
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; }))
        noteGlobalOptions(*command);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp& e) {
        out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // Help of a subcommand arrives as CallForHelp from that subcommand; --version too.
        if (e.get_exit_code() == 0) {
            app.exit(e, out, err);
            return kExitOk;
        }
        if (const std::optional<UnknownCommand> unknown = unknownCommand(app)) {
            err << "fel: okänt kommando: " << unknown->word << "\n";
            err << "Kör loomcraft-cli" << unknown->parents << " --help för att se kommandona.\n";
            return kExitUsage;
        }
        err << e.what() << "\n";
        err << "fel: felaktig kommandorad; --help visar hur kommandot används.\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        err << "fel: " << e.what() << "\n";
        return kExitRefused;
    }
    return ctx.exitCode;
}

}  // namespace loom::cli
