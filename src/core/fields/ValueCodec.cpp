#include "fields/ValueCodec.h"
#include <algorithm>
#include <array>

#include "common/HexDigits.h"
#include "fields/ValueScale.h"

namespace loom {
namespace {

using R = CodecResult;

bool bitAt(std::span<const std::uint8_t> bytes, std::uint64_t k) {
    return ((bytes[static_cast<std::size_t>(k / 8)] >> (k % 8)) & 1u) != 0;
}

// Decimal digits with the 32-bit overflow rule: before each digit the number so far must
// not exceed 0x19999999. The last digit could still carry past 2^32 (4294967296 would
// wrap to 0 and be stored silently as a different number), so that too does not fit.
R parseNumber32(std::string_view text, std::uint32_t& n) {
    std::uint64_t wide = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return R::BadCharacter;
        if (wide > 0x19999999u) return R::DoesNotFit;
        wide = wide * 10u + static_cast<std::uint64_t>(c - '0');
    }
    if (wide > 0xFFFFFFFFu) return R::DoesNotFit;
    n = static_cast<std::uint32_t>(wide);
    return R::Ok;
}

// Field bit k = bit k of n for every k below the size; higher bits of n are dropped and
// field bits from 32 on stay 0.
void storeNumber(std::uint32_t n, std::uint32_t bits, std::span<std::uint8_t> out) {
    if (bits < 32) n &= (std::uint32_t{1} << bits) - 1u;
    const std::size_t count = std::min<std::size_t>(out.size(), 4);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint8_t>(n >> (8 * i));
}

// Byte i of the field with the bits above the size cleared.
std::uint8_t fieldByte(std::span<const std::uint8_t> bytes, std::uint32_t bits, std::size_t i) {
    const std::uint64_t first = std::uint64_t{i} * 8;
    if (first + 8 <= bits) return bytes[i];
    const auto keep = static_cast<unsigned>(bits - first);
    return static_cast<std::uint8_t>(bytes[i] & ((1u << keep) - 1u));
}

// Exact unsigned decimal of all field bits, any width (long division in base 10^9).
std::string decimalOf(std::span<const std::uint8_t> bytes, std::uint32_t bits) {
    const std::size_t n = ValueCodec::byteCount(bits);
    if (n <= 8) {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= std::uint64_t{fieldByte(bytes, bits, i)} << (8 * i);
        return std::to_string(v);
    }
    std::vector<std::uint32_t> limbs((n + 3) / 4, 0);
    for (std::size_t i = 0; i < n; ++i)
        limbs[i / 4] |= std::uint32_t{fieldByte(bytes, bits, i)} << (8 * (i % 4));
    while (!limbs.empty() && limbs.back() == 0)
        limbs.pop_back();
    std::vector<std::uint32_t> chunks;  // base 10^9, least significant first
    while (!limbs.empty()) {
        std::uint64_t rem = 0;
        for (std::size_t i = limbs.size(); i-- > 0;) {
            const std::uint64_t cur = (rem << 32) | limbs[i];
            limbs[i] = static_cast<std::uint32_t>(cur / 1000000000u);
            rem = cur % 1000000000u;
        }
        chunks.push_back(static_cast<std::uint32_t>(rem));
        while (!limbs.empty() && limbs.back() == 0)
            limbs.pop_back();
    }
    if (chunks.empty()) return "0";
    std::string text = std::to_string(chunks.back());
    for (std::size_t i = chunks.size() - 1; i-- > 0;) {
        const std::string part = std::to_string(chunks[i]);
        text.append(9 - part.size(), '0');
        text += part;
    }
    return text;
}

void incrementDecimal(std::string& text) {
    for (std::size_t i = text.size(); i-- > 0;) {
        if (text[i] != '9') {
            ++text[i];
            return;
        }
        text[i] = '0';
    }
    text.insert(text.begin(), '1');
}

// Index stored by type 6; anything above 255 (in any width) is out of range and counts as 0.
unsigned scaleIndexOf(std::span<const std::uint8_t> bytes, std::uint32_t bits) {
    const std::size_t n = ValueCodec::byteCount(bits);
    for (std::size_t i = 1; i < n; ++i)
        if (fieldByte(bytes, bits, i) != 0) return 0;
    return n == 0 ? 0u : fieldByte(bytes, bits, 0);
}

// Code page 1252 letters that the panel keeps in code page 437.
constexpr std::array<std::pair<std::uint8_t, std::uint8_t>, 6> kPanelLetters = {{
    {0xC4, 0x8E},  // Ä
    {0xC5, 0x8F},  // Å
    {0xD6, 0x99},  // Ö
    {0xE4, 0x84},  // ä
    {0xE5, 0x86},  // å
    {0xF6, 0x94},  // ö
}};

std::uint8_t toPanelByte(char c) {
    const auto b = static_cast<std::uint8_t>(c);
    for (const auto& [cp1252, panel] : kPanelLetters)
        if (b == cp1252) return panel;
    return b;
}

char fromPanelByte(std::uint8_t b) {
    for (const auto& [cp1252, panel] : kPanelLetters)
        if (b == panel) return static_cast<char>(cp1252);
    return static_cast<char>(b);
}

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

R parseHex(std::string_view text, std::uint32_t bits, std::span<std::uint8_t> out) {
    if (bits % 4 != 0 || text.size() > bits / 4) return R::DoesNotFit;
    const std::size_t len = text.size();
    for (std::size_t i = 0; i < len; ++i) {
        const int v = hexDigitValue(text[i]);
        if (v < 0) return R::BadCharacter;
        const std::size_t j = len - 1 - i;  // the last character is nibble 0
        out[j / 2] |= static_cast<std::uint8_t>(j % 2 ? v << 4 : v);
    }
    return R::Ok;
}

R formatHex(std::span<const std::uint8_t> bytes, std::uint32_t bits, std::string& text) {
    if (bits % 4 != 0) return R::DoesNotFit;
    const std::size_t nibbles = bits / 4;
    text.clear();
    text.reserve(nibbles);
    for (std::size_t j = nibbles; j-- > 0;) {
        const unsigned b = bytes[j / 2];
        const unsigned v = j % 2 ? b >> 4 : b;
        if (v % 16 == 0 && text.empty() && j > 0) continue;  // leading zeros, keep one digit
        text.push_back(hexDigitChar(v));
    }
    if (text.empty()) text.assign(1, '0');  // assign: GCC 12 -O3 misreports = "0" (-Wrestrict)
    return R::Ok;
}

// Packed digit strings: the first character is nibble 0, in the high half of byte 0. The
// positions follow the nibble number even when the size is not whole bytes, as the panel
// reads them.
R parsePacked(std::string_view text, std::uint32_t bits, std::span<std::uint8_t> out) {
    if (bits % 4 != 0 || text.size() > bits / 4) return R::DoesNotFit;
    const std::size_t nibbles = bits / 4;
    for (std::size_t j = 0; j < nibbles; ++j) {
        int v = 15;
        if (j < text.size()) {
            v = hexDigitValue(text[j]);
            if (v < 0) return R::BadCharacter;
        }
        out[j / 2] |= static_cast<std::uint8_t>(j % 2 ? v : v << 4);
    }
    return R::Ok;
}

R formatPacked(std::span<const std::uint8_t> bytes, std::uint32_t bits, std::string& text) {
    if (bits % 4 != 0) return R::DoesNotFit;
    const std::size_t nibbles = bits / 4;
    text.clear();
    text.reserve(nibbles);
    for (std::size_t j = 0; j < nibbles; ++j) {
        const unsigned b = bytes[j / 2];
        text.push_back(hexDigitChar(j % 2 ? b : b >> 4));
    }
    while (!text.empty() && text.back() == 'F')
        text.pop_back();
    return R::Ok;
}

R parseBinary(std::string_view text, std::uint32_t bits, std::span<std::uint8_t> out) {
    if (text.size() > bits) return R::DoesNotFit;
    const std::size_t len = text.size();
    for (std::size_t i = 0; i < len; ++i) {
        const char c = text[i];
        if (c != '0' && c != '1') return R::BadCharacter;
        const std::size_t k = len - 1 - i;  // the last character is field bit 0
        if (c == '1') out[k / 8] |= static_cast<std::uint8_t>(1u << (k % 8));
    }
    return R::Ok;
}

R formatBinary(std::span<const std::uint8_t> bytes, std::uint32_t bits, std::string& text) {
    text.clear();
    for (std::uint64_t k = bits; k-- > 0;) {
        const bool one = bitAt(bytes, k);
        if (!one && text.empty() && k > 0) continue;  // leading zeros, keep one digit
        text.push_back(one ? '1' : '0');
    }
    if (text.empty()) text.assign(1, '0');
    return R::Ok;
}

R parseText(std::string_view text, std::uint32_t bits, std::span<std::uint8_t> out) {
    if (bits % 8 != 0 || text.size() > bits / 8) return R::DoesNotFit;
    if (text.empty()) {
        std::fill(out.begin(), out.end(), std::uint8_t{0xFF});
        return R::Ok;
    }
    std::fill(out.begin(), out.end(), std::uint8_t{0x20});
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = toPanelByte(text[i]);
    return R::Ok;
}

// Erased PROM (all 0xFF) is the empty text. A zero byte ends the text: values are
// zero-terminated in files and could not hold it anyway.
R formatText(std::span<const std::uint8_t> bytes, std::uint32_t bits, std::string& text) {
    if (bits % 8 != 0) return R::DoesNotFit;
    const auto field = bytes.first(bits / 8);
    text.clear();
    if (std::all_of(field.begin(), field.end(), [](std::uint8_t b) { return b == 0xFF; }))
        return R::Ok;
    for (std::uint8_t b : field) {
        if (b == 0) break;
        text.push_back(fromPanelByte(b));
    }
    while (!text.empty() && isBlank(text.back()))
        text.pop_back();
    return R::Ok;
}

// Type 6 has no overflow result: a number too large for the scale simply lands on the
// last entry, so the digits are summed with saturation.
R parseScale(std::string_view text, std::uint32_t bits, std::span<std::uint8_t> out) {
    constexpr std::uint64_t kBeyondScale = 1000000;
    std::uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return R::BadCharacter;
        n = std::min(n * 10 + static_cast<std::uint64_t>(c - '0'), kBeyondScale);
    }
    storeNumber(nearestScaleIndex(n), bits, out);
    return R::Ok;
}

}  // namespace

CodecResult ValueCodec::parse(unsigned type, std::string_view text, std::uint32_t sizeInBits,
                              std::span<std::uint8_t> out) {
    if (type >= kTypeCount) return R::BadCharacter;
    if (sizeInBits > kMaxFieldBits || out.size() < byteCount(sizeInBits)) return R::DoesNotFit;
    out = out.first(byteCount(sizeInBits));
    switch (type) {
        case 0:
        case 9: {
            std::uint32_t n = 0;
            if (const R r = parseNumber32(text, n); r != R::Ok) return r;
            if (type == 9 && n > 0) --n;  // counted from 1; 0 is taken as 1
            storeNumber(n, sizeInBits, out);
            return R::Ok;
        }
        case 1:
            return parseHex(text, sizeInBits, out);
        case 2:
        case 3:
        case 7:
            return parsePacked(text, sizeInBits, out);
        case 4:
        case 8:
            return parseBinary(text, sizeInBits, out);
        case 5:
            return parseText(text, sizeInBits, out);
        case 6:
            return parseScale(text, sizeInBits, out);
        default:
            return R::BadCharacter;
    }
}

CodecResult ValueCodec::format(unsigned type, std::span<const std::uint8_t> bytes,
                               std::uint32_t sizeInBits, std::string& text) {
    if (type >= kTypeCount) return R::BadCharacter;
    if (sizeInBits > kMaxFieldBits || bytes.size() < byteCount(sizeInBits)) return R::DoesNotFit;
    switch (type) {
        case 0:
            text = decimalOf(bytes, sizeInBits);
            return R::Ok;
        case 9:
            text = decimalOf(bytes, sizeInBits);
            incrementDecimal(text);
            return R::Ok;
        case 1:
            return formatHex(bytes, sizeInBits, text);
        case 2:
        case 3:
            return formatPacked(bytes, sizeInBits, text);
        case 4:
            return formatBinary(bytes, sizeInBits, text);
        case 5:
            return formatText(bytes, sizeInBits, text);
        case 6:
            text = std::to_string(ValueScale::entry(scaleIndexOf(bytes, sizeInBits)));
            return R::Ok;
        case 7:  // write-only types: the panel's value cannot be shown
            text.clear();
            return R::Ok;
        case 8:
            text.assign(1, '1');
            return R::Ok;
        default:
            return R::BadCharacter;
    }
}

CodecResult parseValue(unsigned type, std::string_view text, std::uint32_t sizeInBits,
                       std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (sizeInBits > ValueCodec::kMaxFieldBits)  // never allocate what a file claims
        return type < ValueCodec::kTypeCount ? R::DoesNotFit : R::BadCharacter;
    bytes.resize(ValueCodec::byteCount(sizeInBits), 0);
    return ValueCodec::parse(type, text, sizeInBits, bytes);
}

CodecResult formatValue(unsigned type, std::span<const std::uint8_t> bytes,
                        std::uint32_t sizeInBits, std::string& text) {
    return ValueCodec::format(type, bytes, sizeInBits, text);
}

}  // namespace loom
