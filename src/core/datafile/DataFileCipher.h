#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "datafile/DataFile.h"
#include "platform/FileSystem.h"

namespace loom {

// The data file's cipher: its plain bytes XORed with DataFile::keyStream() by file offset,
// and the sum of the plain bytes. Used by DataFile only; inline, since reading and writing
// a file is mostly these loops.

inline constexpr std::size_t kKeyMask = DataFile::kKeyLength - 1;
static_assert((DataFile::kKeyLength & kKeyMask) == 0, "the key position wraps by masking");

// XORs `bytes` with the key stream starting at key position `keyAt`. Done in runs that
// never wrap so that the inner loop is a plain vectorisable XOR.
inline void applyKey(std::uint8_t* bytes, std::size_t count, std::size_t keyAt) {
    const auto& key = DataFile::keyStream();
    while (count > 0) {
        const std::size_t run = std::min(count, DataFile::kKeyLength - keyAt);
        for (std::size_t i = 0; i < run; ++i)
            bytes[i] ^= key[keyAt + i];
        bytes += run;
        count -= run;
        keyAt = 0;
    }
}

inline std::uint32_t sumOf(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return sum;
}

// The buffer both directions share: plain bytes between `summed_` and `pos_` have not been
// added to the checksum yet (they are summed a run at a time, not byte by byte), and the
// key position follows the file offset of the buffer's start.
class CipherBuffer {
  public:
    // The sum of every plain byte consumed or given so far.
    std::uint32_t checksum() {
        fold();
        return sum_;
    }

  protected:
    CipherBuffer() : buffer_(DataFile::kBufferSize) {}

    void fold() {
        sum_ += sumOf(buffer_.data() + summed_, pos_ - summed_);
        summed_ = pos_;
    }
    // Enciphers or deciphers the buffer's first `count` bytes (the same XOR) and moves the
    // key on past them.
    void applyKeyTo(std::size_t count) {
        applyKey(buffer_.data(), count, keyAt_);
        keyAt_ = (keyAt_ + count) & kKeyMask;
    }

    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t summed_ = 0;

  private:
    std::size_t keyAt_ = 0;
    std::uint32_t sum_ = 0;
};

// Plain bytes out of an enciphered file. Each chunk is deciphered as a whole when it
// arrives, so that reading a byte stays a bounds check and a copy.
class CipherReader : public CipherBuffer {
  public:
    explicit CipherReader(InputFile& file) : file_(file) {}

    bool byte(std::uint8_t& out) {
        if (pos_ == end_ && !fill()) return false;
        out = buffer_[pos_++];
        return true;
    }

    bool u32(std::uint32_t& out) {
        if (end_ - pos_ >= 4) {
            const std::uint8_t* b = buffer_.data() + pos_;
            out = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 |
                  b[3];
            pos_ += 4;
            return true;
        }
        out = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b = 0;
            if (!byte(b)) return false;
            out = (out << 8) | b;
        }
        return true;
    }

    // A text up to and including its zero byte; false at the end of the file, on a read
    // error or when the text runs past the longest allowed.
    bool text(std::string& out) {
        out.clear();
        for (;;) {
            if (pos_ == end_ && !fill()) return false;
            const std::uint8_t* start = buffer_.data() + pos_;
            const std::size_t available = end_ - pos_;
            const auto* zero = static_cast<const std::uint8_t*>(std::memchr(start, 0, available));
            const std::size_t length =
                zero != nullptr ? static_cast<std::size_t>(zero - start) : available;
            if (out.size() + length > DataFile::kMaxText) return false;
            out.append(reinterpret_cast<const char*>(start), length);
            pos_ += length;
            if (zero != nullptr) {
                ++pos_;
                return true;
            }
        }
    }

    bool skip(std::size_t count) {
        while (count > 0) {
            if (pos_ == end_ && !fill()) return false;
            const std::size_t run = std::min(count, end_ - pos_);
            pos_ += run;
            count -= run;
        }
        return true;
    }

  private:
    bool fill() {
        fold();
        const std::size_t n = file_.read(buffer_);
        if (n == 0 || n > buffer_.size()) return false;
        applyKeyTo(n);
        pos_ = 0;
        end_ = n;
        summed_ = 0;
        return true;
    }

    InputFile& file_;
    std::size_t end_ = 0;
};

// Plain bytes into an enciphered file: gathered plain, then summed, enciphered and
// written a whole buffer at a time.
class CipherWriter : public CipherBuffer {
  public:
    explicit CipherWriter(OutputFile& file) : file_(file) {}

    void bytes(const std::uint8_t* data, std::size_t count) {
        while (count > 0) {
            if (pos_ == buffer_.size()) flush();
            const std::size_t run = std::min(count, buffer_.size() - pos_);
            std::memcpy(buffer_.data() + pos_, data, run);
            pos_ += run;
            data += run;
            count -= run;
        }
    }

    void byte(std::uint8_t b) {
        if (pos_ == buffer_.size()) flush();
        buffer_[pos_++] = b;
    }

    void u32(std::uint32_t v) {
        const std::uint8_t be[4] = {
            static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
        bytes(be, sizeof be);
    }

    void text(std::string_view t) {
        bytes(reinterpret_cast<const std::uint8_t*>(t.data()), t.size());
        byte(0);
    }

    // Writes what is left; false when any write failed or fell short.
    bool finish() {
        flush();
        return ok_;
    }

  private:
    void flush() {
        fold();
        applyKeyTo(pos_);
        if (ok_ && pos_ > 0) ok_ = file_.write(std::span<const std::uint8_t>(buffer_.data(), pos_));
        pos_ = 0;
        summed_ = 0;
    }

    OutputFile& file_;
    bool ok_ = true;
};

}  // namespace loom
