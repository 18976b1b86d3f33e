#include <exception>

#include "CliCommand.h"

namespace loom::cli {

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext ctx{out, err, {}, {}, kExitOk};
    CLI::App app{"loomcraft-cli: scriptable access to Loomcraft's archive, templates and values",
                 "loomcraft-cli"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show help for every command");
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

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp& e) {
        out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // Help of a subcommand arrives as CallForHelp from that subcommand.
        if (e.get_exit_code() == 0) {
            app.exit(e, out, err);
            return kExitOk;
        }
        err << e.what() << "\n";
        err << "Run with --help for usage.\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        err << "error: " << e.what() << "\n";
        return kExitRefused;
    }
    return ctx.exitCode;
}

}  // namespace loom::cli
