#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace loom::cli {

// Whether somebody sits at the standard input to answer questions.
bool standardInputIsTerminal();
// Writes `prompt` to the standard error and reads one line from the standard input
// (without its line end); with `hidden` the typed characters are not echoed on a
// terminal. Nothing at the end of the input.
std::optional<std::string> readLine(std::string_view prompt, bool hidden);

}  // namespace loom::cli
