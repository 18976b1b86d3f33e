#include "template/TemplateScanner.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "template/TemplateInput.h"

namespace loom {
namespace {

constexpr std::uint8_t kMagic[10] = {'<', 'K', 'Q', '_', 'F', 'O', 'R', 'M', '>', 0};

// The fewest bytes one value-list pair (two empty texts) and one action (a code and a
// one-byte text) can take; a count that needs more than what remains is truncation.
constexpr std::uint64_t kMinPairBytes = 2;
constexpr std::uint64_t kMinActionBytes = 5;

// Grows `items` on demand and keeps the elements (and their string capacity) of earlier
// items; `used` elements are in use.
template <typename T>
T& slot(std::vector<T>& items, std::size_t used) {
    if (used == items.size()) items.emplace_back();
    return items[used];
}

}  // namespace

// The readers of the template's items over its input.
struct TemplateScanner::Impl : TemplateInput {
    bool headerDone = false;
    TemplateHeader header;

    // Scratch items, reused so that a large template does not allocate per item.
    std::string text;
    RawControl control;
    RawValueList list;
    std::vector<RawEventCode> events;
    RawRule rule;

    void readHeader() {
        std::uint8_t head[11];
        for (auto& b : head) {
            if (cur == end && !fill()) failScan(ScanFailure::NotTemplate, "shorter than 11 bytes");
            b = *cur++;
        }
        if (std::memcmp(head, kMagic, sizeof kMagic) != 0) {
            failScan(ScanFailure::NotTemplate, "no template magic");
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
                    failScan(ScanFailure::Malformed,
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
                failScan(ScanFailure::Malformed, "text longer than 699 characters at offset " +
                                                     std::to_string(s.position()));
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
                    failScan(ScanFailure::Malformed, "tag " + std::to_string(tag) +
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
            failScan(ScanFailure::Malformed,
                     "event section starts with tag " + std::to_string(tag));
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
            failScan(ScanFailure::UnknownRuleCode,
                     "unknown condition code " + std::to_string(c.code));
        }
        readOperands(kind, c.control, c.control2, c.text);
    }

    void readAction(RawAction& a) {
        a.code = integer();
        const RuleOperands kind = actionOperands(a.code);
        if (kind == RuleOperands::Unknown) {
            failScan(ScanFailure::UnknownRuleCode, "unknown action code " + std::to_string(a.code));
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
            failScan(ScanFailure::BadChecksum, "checksum " + std::to_string(stored) +
                                                   ", bytes sum to " + std::to_string(sum));
        }
    }

    void readBody(TemplateVisitor& visitor) {
        if (!headerDone) readHeader();
        if (header.version != 1) {
            failScan(ScanFailure::WrongVersion, "version " + std::to_string(header.version));
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
                        failScan(ScanFailure::Malformed,
                                 "group end without an open group at offset " +
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
                    failScan(ScanFailure::Malformed, "tag " + std::to_string(tag) +
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
