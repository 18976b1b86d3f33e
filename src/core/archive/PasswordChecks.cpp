#include "archive/PasswordChecks.h"

#include <optional>
#include <string>

#include "archive/PasswordFile.h"
#include "context/AppContext.h"
#include "platform/UserPrompt.h"

namespace loom {

bool acceptPasswordChange(const PasswordChangeRequest& request, std::string_view oldPassword,
                          std::string_view newPassword, std::string_view verification,
                          UserPrompt& prompt) {
    if (request.checkOld && oldPassword != request.expectedOld) {
        prompt.show(MessageId::WrongPassword, {}, MessageKind::Warning);
        return false;
    }
    if (newPassword != verification) {
        prompt.show(MessageId::PasswordsDiffer, {}, MessageKind::Warning);
        return false;
    }
    return true;
}

bool acceptPasswordPrompt(std::string_view expected, std::string_view typed, UserPrompt& prompt) {
    if (typed != expected) {
        prompt.show(MessageId::WrongPassword, {}, MessageKind::Warning);
        return false;
    }
    return true;
}

bool changePersonalPassword(AppContext& context) {
    CurrentUser& user = context.currentUser();
    const std::optional<std::string> changed =
        context.dialogs().changePassword({user.name, user.password, true});
    if (!changed) return false;
    PasswordFile file(context);
    if (!file.ChangePassword(user.name, user.password, *changed)) {
        context.prompt().show(MessageId::PasswordChangeFailed, {}, MessageKind::Warning);
        return false;
    }
    user.password = *changed;
    return true;
}

bool editUsersAfterLogin(AppContext& context) {
    if (!context.dialogs().promptPassword(context.currentUser().password)) return false;
    return context.dialogs().users();
}

}  // namespace loom
