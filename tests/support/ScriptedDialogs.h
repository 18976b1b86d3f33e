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

// Dialogs that answer from scripts, one queue per dialog, and record what each was opened
// with. The password dialogs run the program's own OK checks on every scripted attempt
// (through `prompt`), so a wrong attempt shows its message and the dialog stays for the
// next one. A dialog opened with nothing left in its script counts in `unexpected` and is
// cancelled.
class ScriptedDialogs : public Dialogs {
  public:
    // What is typed into dialog 138: old, new and verification.
    struct Typed {
        std::string oldPassword;
        std::string newPassword;
        std::string verification;
    };
    // One press of OK with these texts, or nothing for "Avbryt".
    using ChangeAttempt = std::optional<Typed>;
    using PromptAttempt = std::optional<std::string>;
    using TemporaryAnswer = std::optional<std::array<std::string, 3>>;

    explicit ScriptedDialogs(UserPrompt& prompt) : prompt_(prompt) {}

    // Scripts.
    std::deque<ChangeAttempt> changeAttempts;
    std::deque<PromptAttempt> promptAttempts;
    std::deque<TemporaryAnswer> temporaryAnswers;
    std::deque<std::optional<std::string>> computerIdAnswers;
    // Each stands for one showing of dialog 171: it drives the list and returns whether
    // the dialog ended with OK.
    std::deque<std::function<bool()>> usersSessions;
    // Answers of dialog 150: a row index, or nothing for "Avbryt".
    std::deque<std::optional<std::size_t>> systemChoices;

    // What was opened, in order.
    std::vector<PasswordChangeRequest> changeRequests;
    std::vector<std::string> promptExpected;
    std::vector<std::string> computerIdShown;
    int temporaryShown = 0;
    int usersShown = 0;
    // The rows dialog 150 was opened with, one list per showing.
    std::vector<std::vector<std::string>> systemRowsShown;
    int unexpected = 0;

    // Convenience for the common scripts.
    void typeNewPassword(const std::string& password, const std::string& old = {}) {
        changeAttempts.push_back(Typed{old, password, password});
    }
    void cancelChange() { changeAttempts.push_back(std::nullopt); }

    std::optional<std::string> changePassword(const PasswordChangeRequest& request) override {
        changeRequests.push_back(request);
        for (;;) {
            if (changeAttempts.empty()) {
                ++unexpected;
                return std::nullopt;
            }
            ChangeAttempt attempt = std::move(changeAttempts.front());
            changeAttempts.pop_front();
            if (!attempt) return std::nullopt;
            if (acceptPasswordChange(request, attempt->oldPassword, attempt->newPassword,
                                     attempt->verification, prompt_))
                return attempt->newPassword;
        }
    }

    bool promptPassword(std::string_view expected) override {
        promptExpected.emplace_back(expected);
        for (;;) {
            if (promptAttempts.empty()) {
                ++unexpected;
                return false;
            }
            PromptAttempt attempt = std::move(promptAttempts.front());
            promptAttempts.pop_front();
            if (!attempt) return false;
            if (acceptPasswordPrompt(expected, *attempt, prompt_)) return true;
        }
    }

    std::optional<std::array<std::string, 3>> temporaryPasswords() override {
        ++temporaryShown;
        if (temporaryAnswers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        TemporaryAnswer answer = std::move(temporaryAnswers.front());
        temporaryAnswers.pop_front();
        return answer;
    }

    std::optional<std::string> computerId(std::string_view shown) override {
        computerIdShown.emplace_back(shown);
        if (computerIdAnswers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        std::optional<std::string> answer = std::move(computerIdAnswers.front());
        computerIdAnswers.pop_front();
        return answer;
    }

    bool users() override {
        ++usersShown;
        if (usersSessions.empty()) {
            ++unexpected;
            return false;
        }
        std::function<bool()> session = std::move(usersSessions.front());
        usersSessions.pop_front();
        return session();
    }

    std::optional<std::size_t> chooseSystem(const std::vector<std::string>& rows) override {
        systemRowsShown.push_back(rows);
        if (systemChoices.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        std::optional<std::size_t> answer = systemChoices.front();
        systemChoices.pop_front();
        return answer;
    }

  private:
    UserPrompt& prompt_;
};

}  // namespace loom::test
