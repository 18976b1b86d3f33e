#include <memory>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "PasswordEntry.h"
#include "archive/PasswordChecks.h"
#include "archive/PasswordFile.h"
#include "archive/SystemPassword.h"
#include "archive/UsersList.h"
#include "common/Cp1252.h"
#include "datafile/DataFile.h"

namespace loom::cli {
namespace {

constexpr const char* kNewPassword = "LOOMCRAFT_NEW_PASSWORD";
constexpr const char* kSystemPassword = "LOOMCRAFT_SYSTEM_PASSWORD";

std::string shown(std::string_view cp1252) {
    return escapeControls(cp1252ToUtf8(cp1252));
}

// The logged-in session with the users list open: what every users command starts from.
// Logging in proves the current user's password, which is all the program asks (dialog
// 172) before it lets a user edit the list.
struct UsersSession {
    explicit UsersSession(CliContext& ctx) : session(ctx), list(session.app()) {}
    bool open() {
        if (!session.login()) return false;
        if (list.open()) return true;
        session.cli().exitCode = kExitRefused;
        return false;
    }
    bool commit() {
        if (list.commit()) return true;
        session.cli().exitCode = kExitRefused;
        return false;
    }
    CliSession session;
    UsersList list;
};

// The new password for `name`, checked as dialog 138 checks it.
std::optional<std::string> newPassword(UsersSession& s, const std::string& name,
                                       std::size_t maxLength) {
    return enterNewPassword(s.session.cli(), s.session.app().prompt(), kNewPassword,
                            "Nytt lösenord för " + shown(name) + ": ", maxLength);
}

// Removes every row of the user; false when there was none.
bool removeRowsOf(UsersList& list, std::string_view name) {
    bool any = false;
    for (int at = list.find(name); at >= 0; at = list.find(name)) {
        list.remove(static_cast<std::size_t>(at));
        any = true;
    }
    return any;
}

void listUsers(CliContext& ctx) {
    UsersSession s(ctx);
    if (!s.open()) return;
    std::string name, password;
    for (const std::string& row : s.list.rows()) {
        UsersList::split(row, name, password);
        ctx.out << shown(name) << '\n';
    }
}

void addUser(CliContext& ctx, const std::string& typed) {
    UsersSession s(ctx);
    std::string name;
    if (!s.open() || !acceptUserName(ctx, typed, true, name)) return;
    // The dialog would add a second record of the name; a script means a new user.
    if (s.list.find(name) >= 0) {
        refuse(ctx, "användaren finns redan: " + typed + " (byt lösenordet med users passwd)");
        return;
    }
    const std::optional<std::string> password = newPassword(s, name, 0);
    if (!password) return;
    // A pair too long for its record is refused by the list with its own message.
    s.list.add(name, *password);
    s.commit();
}

void removeUser(CliContext& ctx, const std::string& typed) {
    UsersSession s(ctx);
    std::string name;
    if (!s.open() || !acceptUserName(ctx, typed, false, name)) return;
    // The logged-in user is always in the list, so this also keeps the last user.
    if (name == s.session.app().currentUser().name) {
        refuse(ctx, "du är inloggad som " + typed +
                        " och kan inte ta bort dig själv; logga in som en annan användare");
        return;
    }
    if (!removeRowsOf(s.list, name)) {
        refuse(ctx, "ingen användare heter " + typed);
        return;
    }
    s.commit();
}

// Another user's password is set as the users dialog would set it, and one's own needs no
// old password either: the login has just proved it. Afterwards the user has exactly one
// record, so no older record of the name still logs in with the old password.
void changeUserPassword(CliContext& ctx, const std::string& typed) {
    UsersSession s(ctx);
    std::string name;
    if (!s.open() || !acceptUserName(ctx, typed, false, name)) return;
    if (s.list.find(name) < 0) {
        refuse(ctx, "ingen användare heter " + typed);
        return;
    }
    const std::size_t limit = PasswordFile::kMaxPairLength;
    const std::optional<std::string> password =
        newPassword(s, name, name.size() < limit ? limit - name.size() : 0);
    if (!password) return;
    removeRowsOf(s.list, name);
    s.list.add(name, *password);
    s.commit();
}

// The files of the archive still recorded under another password than `password`.
std::vector<std::string> filesNotUnder(AppContext& app, std::string_view password) {
    const std::filesystem::path folder = app.programDirectory().folder(ProgramFolder::Files);
    std::vector<std::string> left;
    DataFile file(app);
    std::string templateName, stored;
    for (const std::string& name : app.files().list(folder, ProgramDirectory::kDataExtension))
        if (!file.ReadHeader(folder / std::filesystem::path(name), templateName, stored, false) ||
            stored != password)
            left.push_back(name);
    return left;
}

// Running the command is the answer to message 56. The old system password is asked as
// dialog 138 asks it: knowing it, not only a login, allows the change.
void changeSystemPassword(CliContext& ctx) {
    CliSession session(ctx);
    if (!session.login()) return;
    AppContext& app = session.app();
    const std::optional<EnteredPassword> old =
        enterPassword(ctx, kSystemPassword, "Nuvarande systemlösen: ", false);
    if (!old) return;
    if (!acceptPasswordPrompt(app.systemPassword(), old->text, app.prompt())) {
        ctx.exitCode = kExitRefused;
        return;
    }
    const std::optional<std::string> password = enterNewPassword(
        ctx, app.prompt(), kNewPassword, "Nytt systemlösen: ", PasswordFile::kMaxPairLength);
    if (!password) return;
    // Unlike the program, nothing is re-enciphered when LOGIN.KEY keeps the old password:
    // the archive would otherwise be under a password that nobody's login gives.
    if (!PasswordFile(app).WriteSystemPassword(*password)) {
        app.prompt().show(MessageId::PasswordFileNotCreated, {}, MessageKind::Stop);
        ctx.exitCode = kExitRefused;
        return;
    }
    ReencipherDataFiles(app, *password, old->text);
    app.setSystemPassword(*password);
    // The program skips such files without a word; a script should hear of them.
    for (const std::string& name : filesNotUnder(app, *password))
        ctx.err << "inte omkrypterad: " << escapeControls(name) << '\n';
}

}  // namespace

void registerUserCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* users = app.add_subcommand(
        "users", "The users allowed to log in (any logged-in user may change them)");
    users->require_subcommand(1);
    users->add_subcommand("list", "The users' names, one a line, in the users list's order")
        ->callback([&ctx] { listUsers(ctx); });

    const std::string fromEnvironment =
        "The new password comes from LOOMCRAFT_NEW_PASSWORD or is typed twice without echo at "
        "the terminal.";
    auto name = std::make_shared<std::string>();
    CLI::App* add = users->add_subcommand("add", "Add a user (an existing name is refused)");
    add->add_option("name", *name, "User name")->required();
    add->footer(fromEnvironment);
    add->callback([&ctx, name] { addUser(ctx, *name); });

    CLI::App* remove = users->add_subcommand(
        "remove", "Remove a user (never the logged-in one, so that somebody can still log in)");
    remove->add_option("name", *name, "User name")->required();
    remove->callback([&ctx, name] { removeUser(ctx, *name); });

    CLI::App* passwd = users->add_subcommand("passwd", "Set a user's password, one's own included");
    passwd->add_option("name", *name, "User name")->required();
    passwd->footer(fromEnvironment);
    passwd->callback([&ctx, name] { changeUserPassword(ctx, *name); });

    CLI::App* system = app.add_subcommand("system-password", "The system password");
    system->require_subcommand(1);
    CLI::App* change = system->add_subcommand(
        "change", "Change the system password and re-encipher every data file of FILES");
    change->footer(
        "The current system password comes from LOOMCRAFT_SYSTEM_PASSWORD, the new one from "
        "LOOMCRAFT_NEW_PASSWORD; each is typed without echo at the terminal when its variable "
        "is not set (the new one twice). Files under a third password are asked for at the "
        "terminal and otherwise left as they are; each is named on stderr.");
    change->callback([&ctx] { changeSystemPassword(ctx); });
}

}  // namespace loom::cli
