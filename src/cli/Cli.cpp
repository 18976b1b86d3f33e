#include <cstdlib>
#include <exception>

#include "CliCommand.h"

namespace loom::cli {

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext ctx{out, err, {}, kExitOk};
    CLI::App app{"loomcraft-cli: scriptable access to Loomcraft's archive, templates and values",
                 "loomcraft-cli"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show help for every command");
    if (const char* env = std::getenv("LOOMCRAFT_HOME")) ctx.home = env;
    app.add_option("--home", ctx.home,
                   "Program directory (default: LOOMCRAFT_HOME or the "
                   "executable's folder)");

    registerFormCommands(app, ctx);
    registerValueCommands(app, ctx);

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
