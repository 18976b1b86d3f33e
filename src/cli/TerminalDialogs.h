#pragma once

#include "platform/Dialogs.h"

namespace loom::cli {

// The dialogs that a CLI command can meet, asked on the terminal when somebody is there
// and cancelled otherwise, so that scripts never hang on a question.
class TerminalDialogs final : public Dialogs {
  public:
    std::optional<std::string> changePassword(const PasswordChangeRequest&) override {
        return std::nullopt;
    }
    bool promptPassword(std::string_view) override { return false; }
    std::optional<std::array<std::string, 3>> temporaryPasswords() override;
    std::optional<std::string> computerId(std::string_view shown) override;
    bool users() override { return false; }
    std::optional<std::size_t> chooseSystem(const std::vector<std::string>& rows) override;
};

}  // namespace loom::cli
