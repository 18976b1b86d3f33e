#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/PasswordChecks.h"
#include "platform/Dialogs.h"
#include "platform/UserPrompt.h"

namespace loom::test {

// Dialogs that answer from one script per dialog and record what they were opened with.
// Password attempts go through the program's own OK checks (a wrong one shows its message
// and the dialog stays); a dialog with its script used up counts in `unexpected`.
class ScriptedDialogs : public Dialogs {
  public:
    // What is typed into dialog 138: old, new and verification.
    struct Typed {
        std::string oldPassword, newPassword, verification;
    };
    // One press of OK with these texts, or nothing for "Avbryt".
    using ChangeAttempt = std::optional<Typed>;
    using PromptAttempt = std::optional<std::string>;
    using TemporaryAnswer = std::optional<std::array<std::string, 3>>;

    explicit ScriptedDialogs(UserPrompt& prompt) : prompt_(prompt) {}

    std::deque<ChangeAttempt> changeAttempts;
    std::deque<PromptAttempt> promptAttempts;
    std::deque<TemporaryAnswer> temporaryAnswers;
    std::deque<std::optional<std::string>> computerIdAnswers;
    // One showing of dialog 171 each: drives the list, returns whether it ended with OK.
    std::deque<std::function<bool()>> usersSessions;
    std::deque<std::optional<std::size_t>> systemChoices;  // dialog 150: a row or "Avbryt"

    std::vector<PasswordChangeRequest> changeRequests;
    std::vector<std::string> promptExpected;
    std::vector<std::string> computerIdShown;
    int temporaryShown = 0;
    int usersShown = 0;
    std::vector<std::vector<std::string>> systemRowsShown;  // dialog 150's rows per showing
    int unexpected = 0;

    void typeNewPassword(const std::string& password, const std::string& old = {}) {
        changeAttempts.push_back(Typed{old, password, password});
    }
    void cancelChange() { changeAttempts.push_back(std::nullopt); }

    std::optional<std::string> changePassword(const PasswordChangeRequest& request) override {
        changeRequests.push_back(request);
        for (ChangeAttempt a; next(changeAttempts, a);) {
            if (!a) break;
            if (acceptPasswordChange(request, a->oldPassword, a->newPassword, a->verification,
                                     prompt_))
                return a->newPassword;
        }
        return std::nullopt;
    }
    bool promptPassword(std::string_view expected) override {
        promptExpected.emplace_back(expected);
        for (PromptAttempt a; next(promptAttempts, a) && a;)
            if (acceptPasswordPrompt(expected, *a, prompt_)) return true;
        return false;
    }
    std::optional<std::array<std::string, 3>> temporaryPasswords() override {
        ++temporaryShown;
        TemporaryAnswer a;
        return next(temporaryAnswers, a) ? a : std::nullopt;
    }
    std::optional<std::string> computerId(std::string_view shown) override {
        computerIdShown.emplace_back(shown);
        std::optional<std::string> a;
        return next(computerIdAnswers, a) ? a : std::nullopt;
    }
    bool users() override {
        ++usersShown;
        std::function<bool()> session;
        return next(usersSessions, session) && session();
    }
    std::optional<std::size_t> chooseSystem(const std::vector<std::string>& rows) override {
        systemRowsShown.push_back(rows);
        std::optional<std::size_t> a;
        return next(systemChoices, a) ? a : std::nullopt;
    }

  private:
    template <class T>
    bool next(std::deque<T>& script, T& out) {
        if (script.empty()) return ++unexpected, false;
        out = std::move(script.front());
        script.pop_front();
        return true;
    }

    UserPrompt& prompt_;
};

}  // namespace loom::test
