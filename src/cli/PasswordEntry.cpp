#include "PasswordEntry.h"

#include <cstdlib>

#include "CliText.h"
#include "TerminalInput.h"
#include "archive/PasswordChecks.h"

namespace loom::cli {
namespace {

std::optional<EnteredPassword> refused(CliContext& ctx, std::string_view reason) {
    refuse(ctx, reason);
    return std::nullopt;
}

}  // namespace

std::optional<EnteredPassword> enterPassword(CliContext& ctx, const char* variable,
                                             std::string_view prompt, bool twice) {
    std::string first;
    std::string second;
    if (const char* set = std::getenv(variable)) {
        first = second = set;
    } else {
        const std::string missing =
            "inget lösenord: sätt " + std::string(variable) + " eller kör kommandot på en terminal";
        if (!standardInputIsTerminal()) return refused(ctx, missing);
        std::optional<std::string> typed = readLine(prompt, true);
        if (!typed) return refused(ctx, missing);
        first = std::move(*typed);
        if (twice) {
            typed = readLine("Verifiera lösenordet: ", true);
            if (!typed) return refused(ctx, missing);
            second = std::move(*typed);
        } else {
            second = first;
        }
    }
    EnteredPassword entered;
    if (!toCp1252(first, entered.text) || !toCp1252(second, entered.verification))
        return refused(ctx, "lösenordet har tecken utanför teckentabellen 1252");
    return entered;
}

std::optional<std::string> enterNewPassword(CliContext& ctx, UserPrompt& prompt,
                                            const char* variable, std::string_view promptText,
                                            std::size_t maxLength) {
    const std::optional<EnteredPassword> entered = enterPassword(ctx, variable, promptText, true);
    if (!entered) return std::nullopt;
    if (!acceptPasswordChange({{}, {}, false, maxLength}, {}, entered->text, entered->verification,
                              prompt)) {
        ctx.exitCode = kExitRefused;
        return std::nullopt;
    }
    return entered->text;
}

bool acceptUserName(CliContext& ctx, const std::string& typed, bool isNew, std::string& name) {
    if (!toCp1252(typed, name))
        return refuse(ctx, "användarnamnet har tecken utanför teckentabellen 1252");
    if (!isNew) return true;
    if (name.empty()) return refuse(ctx, "användarnamnet får inte vara tomt");
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return refuse(ctx, "användarnamnet får inte innehålla tabbar eller andra styrtecken");
    return true;
}

}  // namespace loom::cli
