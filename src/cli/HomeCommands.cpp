#include <cstdlib>
#include <string>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "PasswordEntry.h"
#include "archive/PasswordChecks.h"
#include "archive/PasswordFile.h"
#include "archive/SystemPassword.h"
#include "platform/ProgramDirectory.h"

namespace loom::cli {
namespace {

std::string_view originText(ProgramDirectory::Origin origin) {
    switch (origin) {
        case ProgramDirectory::Origin::Explicit:
            return "--home";
        case ProgramDirectory::Origin::Environment:
            return "LOOMCRAFT_HOME";
        case ProgramDirectory::Origin::Executable:
            return "programfilens katalog";
        case ProgramDirectory::Origin::UserData:
            return "användarens datakatalog";
    }
    return "";
}

void showHome(CliContext& ctx) {
    CliSession session(ctx);
    ctx.out << session.app().programDirectory().root().string() << '\n'
            << "källa: " << originText(session.start().origin()) << '\n';
}

// What the program's "create a new password file" does, with the first user added at once
// so that the new home can be logged into. Everything is asked and checked before the
// first folder is made.
void initHome(CliContext& ctx) {
    if (ctx.login.empty()) {
        refuse(ctx, "init behöver --login NAMN för den första användaren", kExitUsage);
        return;
    }
    CliSession session(ctx);
    AppContext& app = session.app();
    const ProgramDirectory& home = app.programDirectory();
    PasswordFile file(app);
    std::string existing;
    if (file.IsUsable() && file.ReadSystemPassword(existing)) {
        refuse(ctx,
               "programkatalogen har redan en användbar LOGIN.KEY: " + home.loginKey().string());
        return;
    }
    std::string name;
    if (!acceptUserName(ctx, ctx.login, true, name)) return;
    const std::optional<std::string> password = enterNewPassword(
        ctx, app.prompt(), "LOOMCRAFT_PASSWORD", "Lösen för " + ctx.login + ": ", 0);
    if (!password) return;
    if (name.size() + password->size() > PasswordFile::kMaxPairLength) {
        app.prompt().show(MessageId::UserPairTooLong, {std::string_view(name)});
        ctx.exitCode = kExitRefused;
        return;
    }
    const std::optional<std::string> systemPassword = enterNewPassword(
        ctx, app.prompt(), "LOOMCRAFT_NEW_PASSWORD", "Systemlösen: ", PasswordFile::kMaxPairLength);
    if (!systemPassword) return;

    if (const auto failed = session.start().layOutFolders()) {
        refuse(ctx, "katalogen kunde inte skapas: " + failed->string());
        return;
    }
    if (!file.WriteNew(*systemPassword, {name}, {*password})) {
        app.prompt().show(MessageId::PasswordFileNotCreated, {}, MessageKind::Stop);
        ctx.exitCode = kExitRefused;
        return;
    }
    // As after the program's creation: files already in FILES were saved without one.
    ReencipherDataFiles(app, *systemPassword, "");
    ctx.out << home.root().string() << '\n';
}

}  // namespace

void registerHomeCommands(CLI::App& app, CliContext& ctx) {
    app.add_subcommand("home",
                       "Print the program directory in use and where it came from (--home, "
                       "LOOMCRAFT_HOME, the executable's folder, the user's data folder)")
        ->callback([&ctx] { showHome(ctx); });
    app.add_subcommand("init",
                       "Prepare a new program directory: its folders and a LOGIN.KEY whose "
                       "first user is the --login name")
        ->footer(
            "The user's password comes from LOOMCRAFT_PASSWORD, the system password from "
            "LOOMCRAFT_NEW_PASSWORD; each is typed twice without echo at the terminal when its "
            "variable is not set. A program directory whose LOGIN.KEY can be used is refused; "
            "a faulty LOGIN.KEY is replaced. Prints the program directory.")
        ->callback([&ctx] { initHome(ctx); });
}

}  // namespace loom::cli
