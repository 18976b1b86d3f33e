#include "CliSession.h"

#include <cstdlib>
#include <optional>

#include "CliText.h"
#include "QtSettingsStore.h"
#include "TerminalInput.h"
#include "archive/PasswordFile.h"

namespace loom::cli {

CliSession::CliSession(CliContext& cli)
    : cli_(cli), prompt_(cli.err), settings_(openProgramSettings()), app_(prompt_) {
    app_.setDialogs(dialogs_);
    app_.setSettings(*settings_);
    app_.setProgramDirectory(ProgramDirectory::resolve(cli.home, std::getenv("LOOMCRAFT_HOME"),
                                                       ProgramDirectory::executablePath()));
}

bool CliSession::requireHome() {
    const std::filesystem::path& root = app_.programDirectory().root();
    if (ProgramDirectory::holdsProgramData(root)) return true;
    prompt_.show(MessageId::NotAProgramDirectory, {pathText(root)}, MessageKind::Stop);
    cli_.exitCode = kExitRefused;
    return false;
}

bool CliSession::login() {
    PasswordFile passwords(app_);
    std::string systemPassword;
    if (!passwords.IsUsable() || !passwords.ReadSystemPassword(systemPassword)) {
        // The program would offer to create a new file here; the CLI never does.
        prompt_.show(MessageId::PasswordFileMissing, {}, MessageKind::Stop);
        cli_.exitCode = kExitRefused;
        return false;
    }
    if (cli_.login.empty()) {
        cli_.err << "fel: kommandot arbetar med arkivet och behöver --login NAMN\n";
        cli_.exitCode = kExitUsage;
        return false;
    }
    std::optional<std::string> typed;
    if (const char* env = std::getenv("LOOMCRAFT_PASSWORD")) {
        typed = env;
    } else {
        typed = readLine("Lösen: ", true);
    }
    std::string name, password;
    if (!typed || !toCp1252(cli_.login, name) || !toCp1252(*typed, password) ||
        !passwords.CheckLogin(name, password)) {
        prompt_.show(MessageId::WrongPassword, {}, MessageKind::Stop);
        cli_.exitCode = kExitRefused;
        return false;
    }
    app_.currentUser() = {name, password};
    app_.setSystemPassword(systemPassword);
    return true;
}

}  // namespace loom::cli
