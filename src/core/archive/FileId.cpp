#include "archive/FileId.h"

#include "common/Cp1252.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "platform/Settings.h"

namespace loom {
namespace {

constexpr std::size_t kTimeDigits = 6;
constexpr std::uint32_t kTimeModulus = 36u * 36u * 36u * 36u * 36u * 36u;  // 2176782336
constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
// The letter of files made while nobody names the computer.
constexpr char kUnknownComputer = 'Z';

int base36Value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return -1;
}

bool isLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string MakeFileId(std::uint32_t time, char letter) {
    std::string id(kFileIdLength, '0');
    id[0] = cp1252Upper(letter);
    std::uint32_t rest = time % kTimeModulus;
    for (std::size_t i = kTimeDigits; i > 0; --i) {
        id[i] = kDigits[rest % 36];
        rest /= 36;
    }
    return id;
}

std::string MakeFileId(AppContext& context, std::uint32_t time) {
    Settings settings(context.settings());
    std::string letter = filterComputerLetter(settings.computerId());
    if (letter.empty()) {
        context.prompt().show(MessageId::ComputerIdMissing, {}, MessageKind::Warning);
        EditComputerId(context);
        letter = filterComputerLetter(settings.computerId());
    }
    return MakeFileId(time, letter.empty() ? kUnknownComputer : letter[0]);
}

bool EditComputerId(AppContext& context) {
    Settings settings(context.settings());
    // The dialog opens with the stored value as its edit would show it.
    const std::optional<std::string> typed =
        context.dialogs().computerId(filterComputerLetter(settings.computerId()));
    if (!typed) return false;
    settings.setComputerId(filterComputerLetter(*typed));
    return true;
}

std::string NewFileId(AppContext& context) {
    // Seconds past 2106 wrap, as the identifier only has 32 bits of time anyway.
    return MakeFileId(context, static_cast<std::uint32_t>(context.clock().nowSeconds()));
}

bool ParseFileId(std::string_view text, std::uint32_t& time, char& letter) {
    if (text.size() != kFileIdLength) return false;
    std::uint32_t value = 0;
    for (std::size_t i = 1; i <= kTimeDigits; ++i) {
        const int digit = base36Value(cp1252Upper(text[i]));
        if (digit < 0) return false;
        value = value * 36 + static_cast<std::uint32_t>(digit);
    }
    time = value;
    letter = cp1252Upper(text[0]);
    return true;
}

std::vector<std::uint8_t> FileIdToBytes(std::string_view text) {
    std::uint32_t time = 0;
    char letter = 0;
    if (!ParseFileId(text, time, letter)) return {};
    return {static_cast<std::uint8_t>(time >> 24),
            static_cast<std::uint8_t>(time >> 16),
            static_cast<std::uint8_t>(time >> 8),
            static_cast<std::uint8_t>(time),
            static_cast<std::uint8_t>(letter),
            0xFF,
            0xFF,
            0xFF};
}

std::string FileIdFromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFileIdLength) return {};
    // An unwritten PROM area reads 0xFF. A letter is upper-cased when it is made, so it
    // never is 0xFF, and a kept time (below 36^6) never is all 0xFF; a single 0xFF byte in
    // the time is a real identifier, made in one second of every 256.
    if (bytes[4] == 0xFF) return {};
    if (bytes[0] == 0xFF && bytes[1] == 0xFF && bytes[2] == 0xFF && bytes[3] == 0xFF) return {};
    const std::uint32_t time = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                               std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
    return MakeFileId(time, static_cast<char>(bytes[4]));
}

bool IsWellFormedFileId(std::string_view text) {
    if (text.size() != kFileIdLength) return false;
    for (char c : text)
        if (!isLetterOrDigit(c)) return false;
    return true;
}

}  // namespace loom
