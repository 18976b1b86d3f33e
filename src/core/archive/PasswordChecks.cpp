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
    // Said before anything is written, while the dialog still holds what was typed.
    if (request.maxLength != 0 && newPassword.size() > request.maxLength) {
        prompt.show(MessageId::PasswordTooLong, {static_cast<std::int64_t>(request.maxLength)},
                    MessageKind::Warning);
        return false;
    }
    return true;
}

namespace {

// A dialog that let a too long password through: refused here, so that nothing is
// written that LOGIN.KEY cannot hold.
std::optional<std::string> withinLimit(AppContext& context, std::optional<std::string> typed,
                                       std::size_t maxLength) {
    if (typed && typed->size() > maxLength) {
        context.prompt().show(MessageId::PasswordTooLong, {static_cast<std::int64_t>(maxLength)},
                              MessageKind::Warning);
        return std::nullopt;
    }
    return typed;
}

}  // namespace

std::optional<std::string> askSystemPassword(AppContext& context, std::string_view expectedOld,
                                             bool checkOld) {
    // Record 0 holds the password under an empty name.
    constexpr std::size_t kMax = PasswordFile::kMaxPairLength;
    return withinLimit(
        context,
        context.dialogs().changePassword({std::string(messageText(MessageId::SystemPasswordName)),
                                          std::string(expectedOld), checkOld, kMax}),
        kMax);
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
    const std::size_t maxLength = user.name.size() < PasswordFile::kMaxPairLength
                                      ? PasswordFile::kMaxPairLength - user.name.size()
                                      : 0;
    if (maxLength == 0) {
        context.prompt().show(MessageId::PasswordChangeFailed, {}, MessageKind::Warning);
        return false;
    }
    const std::optional<std::string> changed = withinLimit(
        context, context.dialogs().changePassword({user.name, user.password, true, maxLength}),
        maxLength);
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
