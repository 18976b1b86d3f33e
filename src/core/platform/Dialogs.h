#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

// What dialog 138 ("Lösen") is opened with.
struct PasswordChangeRequest {
    std::string userName;       // shown as static text (code page 1252)
    std::string expectedOld;    // checked against "Gammalt lösenord" when checkOld
    bool checkOld = true;       // off: "Gammalt lösenord" is disabled
    std::size_t maxLength = 0;  // the longest new password LOGIN.KEY can hold; 0: any
};

// The modal dialogs that core logic opens in the middle of an operation. The program
// shows real dialogs (which check their input with the core's checks, see
// archive/PasswordChecks.h), the CLI asks on the terminal, tests script the answers.
// Every text is code page 1252.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Dialog 138: the new password, or nothing on "Avbryt".
    virtual std::optional<std::string> changePassword(const PasswordChangeRequest& request) = 0;
    // Dialog 172: true when the user typed `expected` and pressed OK.
    virtual bool promptPassword(std::string_view expected) = 0;
    // Dialog 190: the three typed texts, or nothing on "Avbryt".
    virtual std::optional<std::array<std::string, 3>> temporaryPasswords() = 0;
    // Dialog 136: the typed text (unfiltered) on OK, nothing on "Avbryt". The caller
    // filters and stores it.
    virtual std::optional<std::string> computerId(std::string_view shown) = 0;
    // Dialog 171, driven by archive/UsersList: true when it ended with OK.
    virtual bool users() = 0;
    // Dialog 150 "Välj system": `rows` are the found FORM.KQI lines without their key
    // (template name, TAB, title), in index order, the first one selected. The chosen row's
    // index on OK with a selection, nothing on "Avbryt".
    virtual std::optional<std::size_t> chooseSystem(const std::vector<std::string>& rows) = 0;
};

// Every dialog cancelled at once: for callers with nobody to ask.
class NoDialogs final : public Dialogs {
  public:
    std::optional<std::string> changePassword(const PasswordChangeRequest&) override {
        return std::nullopt;
    }
    bool promptPassword(std::string_view) override { return false; }
    std::optional<std::array<std::string, 3>> temporaryPasswords() override { return std::nullopt; }
    std::optional<std::string> computerId(std::string_view) override { return std::nullopt; }
    bool users() override { return false; }
    std::optional<std::size_t> chooseSystem(const std::vector<std::string>&) override {
        return std::nullopt;
    }
};

}  // namespace loom
