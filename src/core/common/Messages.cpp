#include "common/Messages.h"

#include <array>
#include <mutex>
#include <utility>

#include "common/Cp1252.h"

namespace loom {
namespace {

// Written here in UTF-8 for readability; handed out as code page 1252.
constexpr std::pair<MessageId, std::string_view> kCatalogue[] = {
    {MessageId::CannotOpenFile, "Kan inte öppna filen.\nfil: %s"},
    {MessageId::TooManyChars, "För många tecken har matats in.\nMax antal tecken = %d."},
    {MessageId::TooFewChars, "För få tecken har matats in.\nMin antal tecken = %d."},
    {MessageId::ValueTooLarge, "För stort värde har matats in.\nHögsta tillåtna värde = %d."},
    {MessageId::ValueTooSmall, "För litet värde har matats in.\nMinsta tillåtna värde = %d."},
    {MessageId::NotATemplate, "Filen är inte en mall.\nfil: %s"},
    {MessageId::NotADataFile, "Filen är inte en datafil."},
    {MessageId::CannotParse, "Filen kan inte tolkas.\nfil: %s"},
    {MessageId::BadChecksum, "Filens checksumma är fel\n(filen har ändrats)."},
    {MessageId::WrongTemplateVersion, "Mallen är av en felaktig version och måste kompileras om."},
    {MessageId::WrongPassword, "Felaktigt lösenord."},
    {MessageId::UnknownVersion, "Filen har ett okänt versionsnummer."},
    {MessageId::CannotReadFile, "Kan inte läsa filen.\nfil: %s"},
};
constexpr std::size_t kCount = std::size(kCatalogue);

const std::array<std::string, kCount>& converted() {
    static const std::array<std::string, kCount> texts = [] {
        std::array<std::string, kCount> out;
        for (std::size_t i = 0; i < kCount; ++i)
            out[i] = utf8ToCp1252(kCatalogue[i].second);
        return out;
    }();
    return texts;
}

}  // namespace

std::string_view messageText(MessageId id) {
    for (std::size_t i = 0; i < kCount; ++i) {
        if (kCatalogue[i].first == id) return converted()[i];
    }
    return {};
}

std::string substitute(std::string_view pattern, std::initializer_list<MessageArg> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out.push_back(c);
            continue;
        }
        char conversion = pattern[i + 1];
        if (conversion == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        if (conversion != 's' && conversion != 'd' && conversion != 'u') {
            out.push_back(c);
            continue;
        }
        ++i;
        if (next == args.end()) continue;
        if (const auto* s = std::get_if<std::string_view>(&*next)) {
            out.append(*s);
        } else {
            out.append(std::to_string(std::get<std::int64_t>(*next)));
        }
        ++next;
    }
    return out;
}

std::string formatMessage(MessageId id, std::initializer_list<MessageArg> args) {
    return substitute(messageText(id), args);
}

}  // namespace loom
