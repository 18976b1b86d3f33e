#include "TerminalDialogs.h"

#include <iostream>

#include "TerminalInput.h"
#include "common/Cp1252.h"

namespace loom::cli {

std::optional<std::array<std::string, 3>> TerminalDialogs::temporaryPasswords() {
    if (!standardInputIsTerminal()) return std::nullopt;
    std::cerr << "En fil med felaktigt systemlösen har hittats. För att filen ska kunna läsas "
                 "måste filens systemlösen anges.\n";
    std::optional<std::string> typed = readLine("Möjligt systemlösen: ", true);
    if (!typed) return std::nullopt;
    // One text is asked for; repeating it in the other two fields keeps them from adding
    // the empty password, which an untouched field of the dialog would.
    const std::string text = utf8ToCp1252(*typed);
    return std::array<std::string, 3>{text, text, text};
}

std::optional<std::string> TerminalDialogs::computerId(std::string_view shown) {
    if (!standardInputIsTerminal()) return std::nullopt;
    std::string prompt = "Ange en bokstav mellan A och Z";
    if (!shown.empty()) prompt += " [" + cp1252ToUtf8(shown) + "]";
    std::optional<std::string> typed = readLine(prompt + ": ", false);
    if (!typed) return std::nullopt;
    return utf8ToCp1252(*typed);
}

}  // namespace loom::cli
