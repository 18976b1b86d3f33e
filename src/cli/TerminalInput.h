#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace loom::cli {

// Whether somebody sits at the standard input to answer questions.
bool standardInputIsTerminal();
// Whether `err` is the process's standard error and that is a terminal, where progress is
// drawn in place (tests pass string streams and get plain lines).
bool isTerminalStderr(const std::ostream& err);
// Writes `prompt` to the standard error and reads one line from the standard input
// (without its line end); with `hidden` the typed characters are not echoed on a
// terminal. Nothing at the end of the input.
std::optional<std::string> readLine(std::string_view prompt, bool hidden);

}  // namespace loom::cli
