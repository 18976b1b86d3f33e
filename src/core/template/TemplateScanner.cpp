#include "template/TemplateScanner.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

namespace loom {
namespace {

constexpr std::uint8_t kMagic[10] = {'<', 'K', 'Q', '_', 'F', 'O', 'R', 'M', '>', 0};

// The fewest bytes one value-list pair (two empty texts) and one action (a code and a
// one-byte text) can take; a count that needs more than what remains is truncation.
constexpr std::uint64_t kMinPairBytes = 2;
constexpr std::uint64_t kMinActionBytes = 5;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

[[noreturn]] void fail(ScanFailure failure, std::string detail) {
    throw TemplateScanError(failure, std::move(detail));
}

// Grows `items` on demand and keeps the elements (and their string capacity) of earlier
// items; `used` elements are in use.
template <typename T>
T& slot(std::vector<T>& items, std::size_t used) {
    if (used == items.size()) items.emplace_back();
    return items[used];
}

}  // namespace

struct TemplateScanner::Impl {
    // The most any item reads between two checks of the buffer: a control's four texts at
    // their longest and fourteen integers. Rules, pairs and event entries take less.
    static constexpr std::ptrdiff_t kFastLane = 4 * (kMaxTemplateText + 1) + 14 * 4;

    std::unique_ptr<std::FILE, FileCloser> file;
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

    bool headerDone = false;
    TemplateHeader header;

    // Scratch items, reused so that a large template does not allocate per item.
    std::string text;
    RawControl control;
    RawValueList list;
    std::vector<RawEventCode> events;
    RawRule rule;

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
        fail(ScanFailure::Malformed, "unexpected end at offset " + std::to_string(position()));
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
                fail(ScanFailure::Malformed,
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

    void readHeader() {
        std::uint8_t head[11];
        for (auto& b : head) {
            if (cur == end && !fill()) fail(ScanFailure::NotTemplate, "shorter than 11 bytes");
            b = *cur++;
        }
        if (std::memcmp(head, kMagic, sizeof kMagic) != 0) {
            fail(ScanFailure::NotTemplate, "no template magic");
        }
        header.version = head[10];
        summing = true;
        sumFrom = cur;
        readText(header.name);
        readText(header.title);
        headerDone = true;
    }

    template <typename In>
    void readControlFrom(In& in, TemplateTag tag) {
        RawControl& c = control;
        c.tag = tag;
        in.text(c.text);
        if (tag != TemplateTag::OptionGroup) {
            std::uint32_t v[5];
            in.integers(v);
            c.rect = {v[0], v[1], v[2], v[3]};
            c.flags = v[4];
        } else {
            c.rect = {};
            c.flags = in.integer();
        }
        if (isDataControl(tag)) {
            std::uint32_t v[4];
            in.integers(v);
            c.field.address = v[0];
            c.field.size = v[1];
            c.field.type = v[2];
            c.field.flags = v[3];
            in.text(c.field.defaultValue);
        } else {
            c.field.address = c.field.size = c.field.type = c.field.flags = 0;
            c.field.defaultValue.clear();
        }
        c.onChar.clear();
        c.offChar.clear();
        c.filter = 0;
        c.maxChars = c.minChars = c.maxValue = c.minValue = kAbsentLimit;
        c.valueList = 0;
        c.optionValue.clear();
        c.optionGroup = 0;
        switch (tag) {
            case TemplateTag::CheckBox:
                in.text(c.onChar);
                in.text(c.offChar);
                if (c.onChar.size() != 1 || c.offChar.size() != 1) {
                    in.sync();
                    fail(ScanFailure::Malformed,
                         "check box character not of one character before offset " +
                             std::to_string(position()));
                }
                break;
            case TemplateTag::Edit: {
                std::uint32_t v[5];
                in.integers(v);
                c.filter = v[0];
                c.maxChars = v[1];
                c.minChars = v[2];
                c.maxValue = v[3];
                c.minValue = v[4];
            } break;
            case TemplateTag::Choice:
                c.valueList = in.integer();
                break;
            case TemplateTag::Option:
                in.text(c.optionValue);
                c.optionGroup = in.integer();
                break;
            default:
                break;
        }
    }

    // Reads with every step checked against the buffer's end, refilling as needed.
    struct CheckedInput {
        Impl& s;
        std::uint32_t integer() { return s.integer(); }
        template <std::size_t N>
        void integers(std::uint32_t (&out)[N]) {
            s.integers(out);
        }
        void text(std::string& out) { s.readText(out); }
        void sync() {}
    };

    // Reads from a local pointer when the buffer holds more than any control can take up
    // to its last integer (see kFastLane).
    struct FastInput {
        Impl& s;
        const std::uint8_t* p;
        std::uint32_t integer() {
            std::uint32_t v = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                              (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
            p += 4;
            return v;
        }
        template <std::size_t N>
        void integers(std::uint32_t (&out)[N]) {
            for (auto& v : out)
                v = integer();
        }
        void text(std::string& out) {
            s.cur = p;
            const std::uint8_t* stop = s.findZero();
            // Within the lane a text without its zero byte in reach is too long.
            if (!stop) {
                fail(ScanFailure::Malformed,
                     "text longer than 699 characters at offset " + std::to_string(s.position()));
            }
            out.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(stop - p));
            p = stop + 1;
        }
        void sync() { s.cur = p; }
    };

    void readControl(TemplateTag tag) {
        if (end - cur >= kFastLane) [[likely]] {
            FastInput in{*this, cur};
            readControlFrom(in, tag);
            cur = in.p;
        } else {
            CheckedInput in{*this};
            readControlFrom(in, tag);
        }
    }

    void readValueList() {
        std::uint32_t count = integer();
        checkCount(count, kMinPairBytes);
        for (std::uint32_t i = 0; i < count; ++i) {
            keepAhead();
            auto& pair = slot(list, i);
            readText(pair.first);
            readText(pair.second);
        }
        list.resize(count);
    }

    void readPage(TemplateVisitor& visitor) {
        readText(text);
        visitor.onPage(text);
        for (;;) {
            keepAhead();
            std::uint8_t tag = byte();
            switch (tag) {
                case 5:
                    visitor.onPageEnd();
                    return;
                case 6:
                case 7:
                case 8:
                case 9:
                case 10:
                case 11:
                case 12:
                case 13:
                case 16:
                    readControl(static_cast<TemplateTag>(tag));
                    visitor.onControl(control);
                    break;
                case 14:
                    readValueList();
                    visitor.onValueList(list);
                    break;
                case 15:
                    readText(text);
                    visitor.onCaption(text);
                    break;
                default:
                    fail(ScanFailure::Malformed, "tag " + std::to_string(tag) +
                                                     " not allowed in a page at offset " +
                                                     std::to_string(position() - 1));
            }
        }
    }

    void readEvents() {
        std::size_t codes = 0;
        std::uint8_t tag = byte();
        while (tag == static_cast<std::uint8_t>(TemplateTag::EventCode)) {
            RawEventCode& code = slot(events, codes++);
            code.code = integer();
            std::size_t used = 0;
            tag = byte();
            while (tag != static_cast<std::uint8_t>(TemplateTag::EventCode) &&
                   tag != static_cast<std::uint8_t>(TemplateTag::EventsEnd)) {
                keepAhead();
                RawEventEntry& entry = slot(code.entries, used++);
                entry.tag = tag;
                readText(entry.text);
                tag = byte();
            }
            code.entries.resize(used);
        }
        if (tag != static_cast<std::uint8_t>(TemplateTag::EventsEnd)) {
            fail(ScanFailure::Malformed, "event section starts with tag " + std::to_string(tag));
        }
        events.resize(codes);
    }

    // Conditions and actions share their operand layouts: a first number (a control or a
    // page), a second control, or a text.
    void readOperands(RuleOperands kind, std::uint32_t& first, std::uint32_t& second,
                      std::string& textOperand) {
        first = second = 0;
        textOperand.clear();
        switch (kind) {
            case RuleOperands::Control:
            case RuleOperands::Page:
                first = integer();
                break;
            case RuleOperands::ControlControl:
                first = integer();
                second = integer();
                break;
            case RuleOperands::ControlText:
                first = integer();
                readText(textOperand);
                break;
            case RuleOperands::Text:
                readText(textOperand);
                break;
            case RuleOperands::Unknown:
                break;
        }
    }

    void readCondition(RawCondition& c) {
        c.code = integer();
        const RuleOperands kind = conditionOperands(c.code);
        if (kind == RuleOperands::Unknown) {
            fail(ScanFailure::UnknownRuleCode, "unknown condition code " + std::to_string(c.code));
        }
        readOperands(kind, c.control, c.control2, c.text);
    }

    void readAction(RawAction& a) {
        a.code = integer();
        const RuleOperands kind = actionOperands(a.code);
        if (kind == RuleOperands::Unknown) {
            fail(ScanFailure::UnknownRuleCode, "unknown action code " + std::to_string(a.code));
        }
        readOperands(kind, a.target, a.argument, a.text);
    }

    void readRules(TemplateVisitor& visitor) {
        std::uint32_t count = integer();
        visitor.onRuleCount(count);
        // A rule may overshoot the count; reading stops once it is reached.
        std::uint64_t entries = 0;
        while (entries < count) {
            keepAhead();
            readCondition(rule.condition);
            std::uint32_t actions = integer();
            checkCount(actions, kMinActionBytes);
            for (std::uint32_t i = 0; i < actions; ++i) {
                keepAhead();
                readAction(slot(rule.actions, i));
            }
            rule.actions.resize(actions);
            entries += 1 + std::uint64_t{actions};
            visitor.onRule(rule);
        }
    }

    void readChecksum() {
        flushSum();
        summing = false;
        std::uint32_t stored = integer();
        if (stored != sum) {
            fail(ScanFailure::BadChecksum,
                 "checksum " + std::to_string(stored) + ", bytes sum to " + std::to_string(sum));
        }
    }

    void readBody(TemplateVisitor& visitor) {
        if (!headerDone) readHeader();
        if (header.version != 1) {
            fail(ScanFailure::WrongVersion, "version " + std::to_string(header.version));
        }
        std::size_t groups = 0;
        for (bool body = true; body;) {
            keepAhead();
            std::uint8_t tag = byte();
            switch (tag) {
                case 1:
                    visitor.onBodyEnd();
                    body = false;
                    break;
                case 2:
                    readText(text);
                    ++groups;
                    visitor.onGroup(text);
                    break;
                case 3:
                    if (groups == 0) {
                        fail(ScanFailure::Malformed, "group end without an open group at offset " +
                                                         std::to_string(position() - 1));
                    }
                    --groups;
                    visitor.onGroupEnd();
                    break;
                case 4:
                    readPage(visitor);
                    break;
                case 17:
                    visitor.onIdAddress(integer());
                    break;
                case 18:
                    visitor.onProductAddress(integer());
                    break;
                case 19:
                    readText(text);
                    visitor.onHelp(text);
                    break;
                case 20:
                    readEvents();
                    visitor.onEvents(events);
                    break;
                case 31:
                    visitor.onNoErase(integer());
                    break;
                default:
                    fail(ScanFailure::Malformed, "tag " + std::to_string(tag) +
                                                     " not allowed at top level at offset " +
                                                     std::to_string(position() - 1));
            }
        }
        readRules(visitor);
        readChecksum();
    }
};

TemplateScanner::TemplateScanner(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TemplateScanner::TemplateScanner(TemplateScanner&&) noexcept = default;
TemplateScanner& TemplateScanner::operator=(TemplateScanner&&) noexcept = default;
TemplateScanner::~TemplateScanner() = default;

TemplateScanner TemplateScanner::openFile(const std::string& path, std::size_t bufferSize) {
    auto impl = std::make_unique<Impl>();
    errno = 0;
    impl->file.reset(std::fopen(path.c_str(), "rb"));
    if (!impl->file) {
        int error = errno;
        throw TemplateScanError(ScanFailure::CannotOpen, "cannot open " + path, error);
    }
    std::FILE* f = impl->file.get();
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size >= 0) {
            impl->total = static_cast<std::uint64_t>(size);
            impl->totalKnown = true;
        }
    }
    if (std::fseek(f, 0, SEEK_SET) != 0) {
        int error = errno;
        throw TemplateScanError(ScanFailure::CannotOpen, "cannot rewind " + path, error);
    }
    // A file smaller than the buffer is read whole, with the byte past its end asked for
    // so that the first read already finds the end.
    std::size_t size = bufferSize < kMinBufferSize ? kMinBufferSize : bufferSize;
    if (impl->totalKnown && impl->total < size) size = static_cast<std::size_t>(impl->total) + 1;
    impl->bufferBytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    impl->buffer = {impl->bufferBytes.get(), size};
    impl->base = impl->cur = impl->end = impl->sumFrom = impl->buffer.data();
    return TemplateScanner(std::move(impl));
}

TemplateScanner TemplateScanner::fromMemory(std::span<const std::uint8_t> bytes) {
    auto impl = std::make_unique<Impl>();
    impl->base = impl->cur = impl->sumFrom = bytes.data();
    impl->end = bytes.data() + bytes.size();
    impl->total = bytes.size();
    impl->totalKnown = true;
    return TemplateScanner(std::move(impl));
}

TemplateHeader TemplateScanner::readHeader() {
    if (!impl_->headerDone) impl_->readHeader();
    return impl_->header;
}

void TemplateScanner::readBody(TemplateVisitor& visitor) {
    impl_->readBody(visitor);
}

bool TemplateScanner::readHeaderOnly(const std::string& path, TemplateHeader& header) {
    try {
        TemplateScanner scanner = openFile(path);
        header = scanner.readHeader();
        return true;
    } catch (const TemplateScanError&) {
        return false;
    }
}

std::uint64_t TemplateScanner::bytesRead() const {
    return impl_->position();
}

}  // namespace loom
