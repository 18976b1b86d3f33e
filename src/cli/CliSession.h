#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "CliCommand.h"
#include "ProgramStart.h"
#include "StreamPrompt.h"
#include "TerminalDialogs.h"
#include "context/AppContext.h"

namespace loom::cli {

// The program's context for one command: messages to stderr, the user's settings, the
// terminal for the few dialogs a command can meet, and the program directory from
// --home, LOOMCRAFT_HOME or the executable's place.
class CliSession {
  public:
    explicit CliSession(CliContext& cli);
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    AppContext& app() { return start_.context(); }
    CliContext& cli() { return cli_; }
    StreamPrompt& prompt() { return prompt_; }
    ProgramStart& start() { return start_; }

    // Logs in as the program does: LOGIN.KEY must be usable (message 45 otherwise), the
    // name from --login must be a user's and the password from LOOMCRAFT_PASSWORD or typed
    // without echo at the terminal must be that user's (message 43). A missing password
    // and an unknown name each have their own message. Sets the exit code and returns
    // false on failure.
    bool login();

    // For commands that work on the archive: the program directory must exist and hold the
    // program's data (one of its folders or LOGIN.KEY), so that a mistyped --home is
    // reported, naming the folder, instead of being searched as an empty archive or filled
    // with new folders. Sets the exit code and returns false otherwise.
    bool requireHome();

    // A path named on the command line, as the platform takes it.
    static std::filesystem::path argumentPath(const std::string& text) { return text; }

  private:
    CliContext& cli_;
    StreamPrompt prompt_;
    TerminalDialogs dialogs_;
    ProgramStart start_;
};

}  // namespace loom::cli
