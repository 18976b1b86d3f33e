#include "archive/LoginController.h"

#include <optional>
#include <string>

#include "archive/PasswordChecks.h"
#include "archive/PasswordFile.h"
#include "archive/SystemPassword.h"
#include "context/AppContext.h"

namespace loom {

bool LoginController::open() {
    PasswordFile file(context_);
    std::string password;
    if (file.IsUsable() && file.ReadSystemPassword(password)) {
        context_.setSystemPassword(std::move(password));
        return true;
    }
    return createPasswordFile();
}

bool LoginController::createPasswordFile() {
    UserPrompt& prompt = context_.prompt();
    if (prompt.ask(MessageId::CreatePasswordFile, Buttons::YesNo, MessageKind::Question) !=
        Answer::Yes)
        return false;
    const std::optional<std::string> password = askSystemPassword(context_, "", false);
    if (!password) return false;
    context_.setSystemPassword(*password);
    if (!PasswordFile(context_).WriteSystemPassword(*password)) {
        prompt.show(MessageId::PasswordFileNotCreated, {}, MessageKind::Warning);
        return false;
    }
    checkPassed_ = true;
    ReencipherDataFiles(context_, *password, "");
    prompt.show(MessageId::PasswordFileCreated, {}, MessageKind::Information);
    return true;
}

bool LoginController::ok(std::string_view name, std::string_view password) {
    context_.currentUser() = CurrentUser{std::string(name), std::string(password)};
    if (PasswordFile(context_).CheckLogin(name, password)) return true;
    context_.prompt().show(MessageId::WrongPassword, {}, MessageKind::Warning);
    return false;
}

void LoginController::users() {
    if (!checkPassed_) {
        std::string password;
        if (!PasswordFile(context_).ReadSystemPassword(password)) {
            createPasswordFile();
            return;
        }
        context_.setSystemPassword(std::move(password));
        if (!context_.dialogs().promptPassword(context_.systemPassword())) return;
        checkPassed_ = true;
    }
    context_.dialogs().users();
}

}  // namespace loom
