#include "CliSession.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "CliText.h"
#include "PasswordEntry.h"
#include "archive/PasswordFile.h"

namespace loom::cli {

CliSession::CliSession(CliContext& cli) : cli_(cli), prompt_(cli.err), start_(prompt_, cli.home) {
    app().setDialogs(dialogs_);
}

bool CliSession::requireHome() {
    const std::filesystem::path& root = app().programDirectory().root();
    if (ProgramDirectory::holdsProgramData(root)) return true;
    prompt_.show(MessageId::NotAProgramDirectory, {pathText(root)}, MessageKind::Stop);
    cli_.exitCode = kExitRefused;
    return false;
}

bool CliSession::login() {
    PasswordFile passwords(app());
    std::string systemPassword;
    if (!passwords.IsUsable() || !passwords.ReadSystemPassword(systemPassword)) {
        // The program would offer to create a new file here; the CLI leaves that to init.
        prompt_.show(MessageId::PasswordFileMissing, {}, MessageKind::Stop);
        cli_.exitCode = kExitRefused;
        return false;
    }
    if (cli_.login.empty()) {
        cli_.err << "fel: kommandot arbetar med arkivet och behöver --login NAMN\n";
        cli_.exitCode = kExitUsage;
        return false;
    }
    const std::optional<EnteredPassword> typed =
        enterPassword(cli_, "LOOMCRAFT_PASSWORD", "Lösen: ", false);
    if (!typed) return false;
    // Said apart from a wrong password: whoever can run this on the archive can read the
    // names in LOGIN.KEY anyway, and a mistyped name is the commoner slip.
    std::string name;
    std::vector<std::string> names, userPasswords;
    passwords.ReadUsers(names, userPasswords);
    if (!toCp1252(cli_.login, name) || std::find(names.begin(), names.end(), name) == names.end()) {
        cli_.err << "fel: okänd användare: " << cli_.login << '\n';
        cli_.exitCode = kExitRefused;
        return false;
    }
    if (!passwords.CheckLogin(name, typed->text)) {
        prompt_.show(MessageId::WrongPassword, {}, MessageKind::Stop);
        cli_.exitCode = kExitRefused;
        return false;
    }
    app().currentUser() = {name, typed->text};
    app().setSystemPassword(systemPassword);
    return true;
}

}  // namespace loom::cli
