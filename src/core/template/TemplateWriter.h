#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "template/TemplateItems.h"

namespace loom {

// Builds the bytes of a compiled template from raw items, in file order. It writes
// exactly what it is given and judges nothing, so that tests can build odd and broken
// templates as easily as kqform builds good ones.
class TemplateWriter {
  public:
    static constexpr std::size_t kChecksumStart = 11;  // the magic and version are not summed

    // Magic, version byte and the two header texts.
    TemplateWriter& header(std::string_view name, std::string_view title, std::uint8_t version = 1);

    // Top-level and page items; each writes its tag and operands.
    TemplateWriter& group(std::string_view name);
    TemplateWriter& groupEnd();
    TemplateWriter& page(std::string_view name);
    TemplateWriter& control(const RawControl& control);
    TemplateWriter& valueList(const RawValueList& list);
    TemplateWriter& caption(std::string_view text);
    TemplateWriter& pageEnd();
    TemplateWriter& idAddress(std::uint32_t address);
    TemplateWriter& productAddress(std::uint32_t address);
    TemplateWriter& help(std::string_view name);
    TemplateWriter& events(const std::vector<RawEventCode>& codes);
    TemplateWriter& noErase(std::uint32_t value);
    TemplateWriter& end();

    // The rule section: the count as given, then every rule. A code outside the known
    // ones is written without operands.
    TemplateWriter& rules(std::uint32_t count, const std::vector<RawRule>& rules);
    TemplateWriter& rules(const std::vector<RawRule>& rules) {
        return this->rules(static_cast<std::uint32_t>(entryCount(rules)), rules);
    }
    TemplateWriter& rule(const RawRule& rule);
    // 1 + M per rule: the count a compiler writes.
    static std::uint64_t entryCount(const std::vector<RawRule>& rules);

    // Escape hatches for building broken input.
    TemplateWriter& rawByte(std::uint8_t value);
    TemplateWriter& rawInt(std::uint32_t value);
    TemplateWriter& rawText(std::string_view text);    // the bytes and a zero byte
    TemplateWriter& rawBytes(std::string_view bytes);  // the bytes as they are

    // Sum of every byte from offset 11 on written so far.
    std::uint32_t checksum() const;
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    // Appends the checksum and hands over the bytes; the writer is empty afterwards.
    std::vector<std::uint8_t> finish();
    // Appends a checksum off by `delta` from the right one.
    std::vector<std::uint8_t> finishWithWrongChecksum(std::uint32_t delta = 1);

  private:
    // The operands of a condition or an action, laid out by kind.
    void operands(RuleOperands kind, std::uint32_t first, std::uint32_t second,
                  const std::string& text);
    std::vector<std::uint8_t> bytes_;
};

}  // namespace loom
