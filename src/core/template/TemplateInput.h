#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "template/TemplateScanner.h"

namespace loom {

[[noreturn]] inline void failScan(ScanFailure failure, std::string detail) {
    throw TemplateScanError(failure, std::move(detail));
}

struct TemplateFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The bytes of a template as the scanner reads them: a window of input in a buffer that
// is refilled from the file (or all of it in memory), the read position and the running
// checksum. The readers of the items use it; its fast paths are inline on purpose, since
// a scan spends most of its time here.
struct TemplateInput {
    // The most any item reads between two checks of the buffer: a control's four texts at
    // their longest and fourteen integers. Rules, pairs and event entries take less.
    static constexpr std::ptrdiff_t kFastLane = 4 * (kMaxTemplateText + 1) + 14 * 4;

    std::unique_ptr<std::FILE, TemplateFileCloser> file;
    std::unique_ptr<std::uint8_t[]> bufferBytes;
    std::span<std::uint8_t> buffer;

    // The window of input now in reach: [base, end), next byte at cur.
    const std::uint8_t* base = nullptr;
    const std::uint8_t* cur = nullptr;
    const std::uint8_t* end = nullptr;
    std::uint64_t before = 0;  // input bytes ahead of base
    std::uint64_t total = 0;   // input size, when known
    bool totalKnown = false;
    bool fileDone = false;  // the file gave its last bytes

    // Checksum: bytes [sumFrom, cur) are still to be added when summing.
    bool summing = false;
    const std::uint8_t* sumFrom = nullptr;
    std::uint32_t sum = 0;

    std::uint64_t position() const { return before + static_cast<std::uint64_t>(cur - base); }

    std::uint64_t remaining() const {
        if (!totalKnown || position() > total) return std::numeric_limits<std::uint64_t>::max();
        return total - position();
    }

    // Sums whole spans at once: the per-byte sum was a large part of a scan. Bytes are
    // added in blocks small enough that 16-bit lanes cannot overflow, which lets the
    // compiler keep many lanes in vector registers.
    void flushSum() {
        if (summing) sum += byteSum(sumFrom, cur);
        sumFrom = cur;
    }

    static std::uint32_t byteSum(const std::uint8_t* p, const std::uint8_t* stop) {
        constexpr std::size_t kLanes = 32;
        constexpr std::size_t kBlock = kLanes * 256;  // 256 bytes per lane stay below 65536
        std::uint32_t s = 0;
        while (static_cast<std::size_t>(stop - p) >= kBlock) {
            std::uint16_t lanes[kLanes] = {};
            for (std::size_t i = 0; i < kBlock; i += kLanes) {
                for (std::size_t j = 0; j < kLanes; ++j)
                    lanes[j] = static_cast<std::uint16_t>(lanes[j] + p[i + j]);
            }
            for (std::uint16_t lane : lanes)
                s += lane;
            p += kBlock;
        }
        for (; p != stop; ++p)
            s += *p;
        return s;
    }

    // Moves the unread bytes to the front of the buffer and fills the rest from the file;
    // false when no byte was added. Items are read from the buffer in one piece, so this
    // runs only between items or when an item's reader has used up the buffer.
    bool fill() {
        if (!file || fileDone) return false;
        flushSum();
        const auto keep = static_cast<std::size_t>(end - cur);
        if (keep == buffer.size()) return false;
        before += static_cast<std::uint64_t>(cur - base);
        std::memmove(buffer.data(), cur, keep);
        const std::size_t want = buffer.size() - keep;
        const std::size_t n = std::fread(buffer.data() + keep, 1, want, file.get());
        if (n < want) fileDone = true;
        base = cur = sumFrom = buffer.data();
        end = base + keep + n;
        return n > 0;
    }

    // Before each item: with the longest item in the buffer, its reader never has to
    // stop for more input.
    void keepAhead() {
        if (end - cur < kFastLane && file && !fileDone) [[unlikely]]
            fill();
    }

    [[noreturn]] void truncated() const {
        failScan(ScanFailure::Malformed, "unexpected end at offset " + std::to_string(position()));
    }

    std::uint8_t byte() {
        if (cur == end && !fill()) truncated();
        return *cur++;
    }

    // The common case, four bytes in the buffer, stays small enough to be inlined.
    std::uint32_t integer() {
        if (end - cur >= 4) [[likely]] {
            std::uint32_t v = (std::uint32_t{cur[0]} << 24) | (std::uint32_t{cur[1]} << 16) |
                              (std::uint32_t{cur[2]} << 8) | std::uint32_t{cur[3]};
            cur += 4;
            return v;
        }
        return integerAcrossRefill();
    }

    // Several integers in a row, with one bounds check when they lie in the buffer.
    template <std::size_t N>
    void integers(std::uint32_t (&out)[N]) {
        if (static_cast<std::size_t>(end - cur) >= 4 * N) [[likely]] {
            const std::uint8_t* p = cur;
            for (std::size_t i = 0; i < N; ++i, p += 4) {
                out[i] = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                         (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
            }
            cur = p;
            return;
        }
        for (auto& v : out)
            v = integerAcrossRefill();
    }

    [[gnu::noinline]] std::uint32_t integerAcrossRefill() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return v;
    }

    void readText(std::string& out) {
        // Most texts are short and lie wholly in the buffer: take them in one piece.
        const std::uint8_t* stop = findZero();
        if (stop) [[likely]] {
            out.assign(reinterpret_cast<const char*>(cur), static_cast<std::size_t>(stop - cur));
            cur = stop + 1;
            return;
        }
        readTextAcrossRefill(out);
    }

    // The zero byte ending the text at cur, when it lies in the buffer within the longest
    // text allowed; null otherwise. Short texts are searched eight bytes at a time here,
    // which beats a library call for them.
    const std::uint8_t* findZero() const {
        constexpr std::size_t kSpan = kMaxTemplateText + 1;
        std::size_t avail = static_cast<std::size_t>(end - cur);
        std::size_t span = avail < kSpan ? avail : kSpan;
        if constexpr (std::endian::native == std::endian::little) {
            constexpr std::uint64_t kOnes = 0x0101010101010101u;
            constexpr std::uint64_t kHighs = 0x8080808080808080u;
            std::size_t i = 0;
            for (; i + 8 <= span && i < 64; i += 8) {
                std::uint64_t w;
                std::memcpy(&w, cur + i, 8);
                std::uint64_t zeros = (w - kOnes) & ~w & kHighs;
                if (zeros) return cur + i + static_cast<std::size_t>(std::countr_zero(zeros) / 8);
            }
            const void* z = std::memchr(cur + i, 0, span - i);
            return static_cast<const std::uint8_t*>(z);
        } else {
            return static_cast<const std::uint8_t*>(std::memchr(cur, 0, span));
        }
    }

    [[gnu::noinline]] void readTextAcrossRefill(std::string& out) {
        out.clear();
        for (;;) {
            if (cur == end && !fill()) truncated();
            // Look no further than one byte past the longest text allowed.
            std::size_t room = kMaxTemplateText + 1 - out.size();
            std::size_t avail = static_cast<std::size_t>(end - cur);
            std::size_t span = avail < room ? avail : room;
            const void* zero = std::memchr(cur, 0, span);
            std::size_t take =
                zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - cur)
                     : span;
            out.append(reinterpret_cast<const char*>(cur), take);
            cur += take;
            if (out.size() > kMaxTemplateText) {
                failScan(ScanFailure::Malformed,
                         "text longer than 699 characters at offset " + std::to_string(position()));
            }
            if (zero) {
                ++cur;
                return;
            }
        }
    }

    // A count of items of at least `minBytes` each that cannot fit in what remains would
    // run past the end; saying so now keeps a forged count from growing anything.
    void checkCount(std::uint32_t count, std::uint64_t minBytes) const {
        if (count > remaining() / minBytes) truncated();
    }
};

}  // namespace loom
