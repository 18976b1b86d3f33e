#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "CliCommand.h"
#include "platform/UserPrompt.h"

namespace loom::cli {

// A password as a command got it, in code page 1252. A new password is typed twice at the
// terminal; from the environment both are the variable's text.
struct EnteredPassword {
    std::string text;
    std::string verification;
};

// The password from the environment variable `variable` when it is set, else typed
// without echo at the terminal (`prompt`, then once more to verify it when `twice`).
// Without either, or with text outside code page 1252, the command is refused: the reason
// goes to stderr, the exit code becomes 1 and nothing is returned. A script never waits
// for an answer that nobody gives.
std::optional<EnteredPassword> enterPassword(CliContext& ctx, const char* variable,
                                             std::string_view prompt, bool twice);

// A new password, entered as above (twice) and checked as dialog 138 checks it when no old
// password is asked: the two typings must match (message 44) and, with a `maxLength`, not
// be longer (message 1003); the messages go through `prompt`. Nothing, with exit code 1,
// when it is refused.
std::optional<std::string> enterNewPassword(CliContext& ctx, UserPrompt& prompt,
                                            const char* variable, std::string_view promptText,
                                            std::size_t maxLength);

// A user name from the command line in code page 1252. A new name must not be empty and
// must hold no control character: the users list splits its rows at the first TAB. False,
// with the reason and exit code 1, when it is refused.
bool acceptUserName(CliContext& ctx, const std::string& typed, bool isNew, std::string& name);

}  // namespace loom::cli
