#include "PanelFiles.h"

#include <algorithm>
#include <array>

#include "platform/FileSystem.h"

namespace loom::panelsim {
namespace {

constexpr std::uint64_t kFileLimit = 16u << 20;
constexpr char kHex[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool parseHexBytes(std::string_view text, std::array<std::uint8_t, 16>& out) {
    if (text.size() != 32) return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int hi = hexValue(text[2 * i]);
        const int lo = hexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

void appendHex(std::string& out, std::uint8_t b) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
}

// Calls `line` with each line (without its line end) and its number from 1; stops when it
// returns false.
template <typename Fn>
bool forEachLine(std::string_view text, Fn line) {
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view l = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        if (!line(l, ++number)) return false;
    }
    return true;
}

std::string lineError(std::size_t number, const std::string& what) {
    return "line " + std::to_string(number) + ": " + what;
}

}  // namespace

bool parseImageText(std::string_view text, PromImage& image, std::string& error) {
    PromImage parsed;
    const auto block = [&](std::string_view l, std::size_t number) {
        if (l.empty() || l.front() == '#') return true;
        std::uint32_t address = 0;
        bool ok = l.size() > 6 && l[5] == ' ';
        for (std::size_t i = 0; ok && i < 5; ++i) {
            const int digit = hexValue(l[i]);
            ok = digit >= 0;
            address = address * 16 + static_cast<std::uint32_t>(digit);
        }
        std::array<std::uint8_t, 16> data{};
        if (!ok || !parseHexBytes(l.substr(6), data)) {
            error = lineError(number, "expected AAAAA and 32 hex digits");
            return false;
        }
        if (address % 16 != 0 || address >= kPromSize) {
            error = lineError(number, "block address outside the PROM or not a multiple of 16");
            return false;
        }
        if (parsed.hasBlock(address)) {
            error = lineError(number, "block given twice");
            return false;
        }
        parsed.write(address, data);
        return true;
    };
    if (!forEachLine(text, block)) return false;
    image = std::move(parsed);
    return true;
}

std::string formatImageText(const PromImage& image) {
    std::string out;
    for (const PromBlock& block : image.blocks()) {
        if (std::all_of(block.data.begin(), block.data.end(),
                        [](std::uint8_t b) { return b == PromImage::kErased; }))
            continue;
        for (int shift = 16; shift >= 0; shift -= 4)
            out += kHex[(block.address >> shift) & 0x0F];
        out += ' ';
        for (std::uint8_t b : block.data)
            appendHex(out, b);
        out += '\n';
    }
    return out;
}

bool parseLogText(std::string_view text, std::vector<LogRecord>& log, std::string& error) {
    std::vector<LogRecord> parsed;
    if (!forEachLine(text, [&](std::string_view l, std::size_t number) {
            if (l.empty()) return true;
            LogRecord record{};
            if (!parseHexBytes(l, record)) {
                error = lineError(number, "expected 32 hex digits");
                return false;
            }
            parsed.push_back(record);
            return true;
        }))
        return false;
    log = std::move(parsed);
    return true;
}

std::string formatLogText(const std::vector<LogRecord>& log) {
    std::string out;
    for (const LogRecord& record : log) {
        for (std::uint8_t b : record)
            appendHex(out, b);
        out += "\r\n";
    }
    return out;
}

bool loadImageFile(const std::filesystem::path& path, PromImage& image, std::string& error) {
    LocalFileSystem files;
    if (!files.exists(path)) {
        image.clear();
        return true;
    }
    std::string text;
    if (!files.readWhole(path, text, error, kFileLimit)) return false;
    if (parseImageText(text, image, error)) return true;
    error = path.string() + ": " + error;
    return false;
}

bool saveImageFile(const std::filesystem::path& path, const PromImage& image, std::string& error) {
    return LocalFileSystem().writeWhole(path, formatImageText(image), error);
}

bool loadLogFile(const std::filesystem::path& path, std::vector<LogRecord>& log,
                 std::string& error) {
    std::string text;
    if (!LocalFileSystem().readWhole(path, text, error, kFileLimit)) return false;
    if (parseLogText(text, log, error)) return true;
    error = path.string() + ": " + error;
    return false;
}

}  // namespace loom::panelsim
