#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Dialogs.h"

namespace loom {

class AppContext;
class UserPrompt;

// The OK checks of the password dialogs, shared by the program's dialogs and the tests'
// scripted ones. Each shows its own message and returns false when the dialog must stay.

// Dialog 138: a wrong old password (message 43, when checked), a new password that
// differs from its verification (message 44), a new password longer than the record can
// hold (its own message).
bool acceptPasswordChange(const PasswordChangeRequest& request, std::string_view oldPassword,
                          std::string_view newPassword, std::string_view verification,
                          UserPrompt& prompt);
// Dialog 172: the typed text must be the expected password (else message 43).
bool acceptPasswordPrompt(std::string_view expected, std::string_view typed, UserPrompt& prompt);

// Dialog 138 for a new system password (as "Systemlösen"), limited to what record 0 of
// LOGIN.KEY holds. Nothing when it is cancelled.
std::optional<std::string> askSystemPassword(AppContext& context, std::string_view expectedOld,
                                             bool checkOld);

// Command "Personligt lösen...": dialog 138 for the current user, then the change in
// LOGIN.KEY (message 51 when it fails). True when the password was changed.
bool changePersonalPassword(AppContext& context);
// Command "Användare..." after the login: dialog 172 with the current user's password,
// then the users dialog. True when the users dialog ended with OK.
bool editUsersAfterLogin(AppContext& context);

}  // namespace loom
