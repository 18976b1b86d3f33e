#include "Decompiler.h"

#include <algorithm>
#include <cstdio>

#include "ControlWords.h"
#include "LoaderCheck.h"
#include "RuleWords.h"
#include "SourceToken.h"

namespace loom::kqform {
namespace {

// Indentation is only for the reader; past this depth it stops growing, so that deep
// nesting does not make the output grow with the square of the depth.
constexpr std::size_t kMaxIndentDepth = 16;

std::string hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

std::string dec(std::uint32_t v) {
    return std::to_string(v);
}

std::string limit(std::uint32_t v) {
    return v == kAbsentLimit ? "none" : dec(v);
}

std::string operands(RuleOperands kind, std::uint32_t first, std::uint32_t second,
                     const std::string& text) {
    switch (kind) {
        case RuleOperands::Control:
        case RuleOperands::Page:
            return " " + dec(first);
        case RuleOperands::ControlControl:
            return " " + dec(first) + " " + dec(second);
        case RuleOperands::ControlText:
            return " " + dec(first) + " " + quoteText(text);
        case RuleOperands::Text:
            return " " + quoteText(text);
        case RuleOperands::Unknown:
            break;
    }
    return {};
}

}  // namespace

std::string Decompiler::decompile(std::span<const std::uint8_t> bytes,
                                  const std::string& displayName) {
    if (auto refusal = loaderRefusal(bytes, displayName)) throw TemplateRefused(*refusal);
    auto scanner = TemplateScanner::fromMemory(bytes);
    TemplateHeader header = scanner.readHeader();
    Decompiler d;
    d.line("template " + quoteText(header.name) + " " + quoteText(header.title));
    scanner.readBody(d);
    d.finish(bytes.subspan(static_cast<std::size_t>(scanner.bytesRead())));
    return std::move(d.out_);
}

void Decompiler::line(const std::string& text) {
    out_.append(std::min(depth_, kMaxIndentDepth) * 2, ' ');
    out_ += text;
    out_ += '\n';
}

void Decompiler::onGroup(std::string_view name) {
    line("group " + quoteText(name));
    ++depth_;
}

void Decompiler::onGroupEnd() {
    --depth_;
    line("endgroup");
}

void Decompiler::onPage(std::string_view name) {
    line("page " + quoteText(name) + "  ; page " + dec(pages_++));
    ++depth_;
}

void Decompiler::onControl(const RawControl& c) {
    std::string s(kindWord(c.tag));
    // Appended in two steps: GCC 12 at -O3 reports a false -Wrestrict overlap for
    // "literal" + std::string temporaries.
    s += ' ';
    s += quoteText(c.text);
    const RawRect& r = c.rect;
    if (c.tag != TemplateTag::OptionGroup && r != RawRect{}) {
        s += " at " + dec(r.x) + " " + dec(r.y) + " " + dec(r.width) + " " + dec(r.height);
    }
    static constexpr std::pair<std::uint32_t, std::string_view> kFlagWords[] = {
        {0x1, "numbered"}, {0x2, "disabled"},   {0x4, "hidden"},
        {0x8, "noscroll"}, {0x10, "multiline"}, {0x200, "password"},
    };
    std::uint32_t rest = c.flags;
    for (const auto& [bit, word] : kFlagWords) {
        if (rest & bit) {
            s += " ";
            s += word;
            rest &= ~bit;
        }
    }
    if (rest) s += " flags " + hex(rest);
    if (isDataControl(c.tag)) {
        const RawField& f = c.field;
        if (f.address & 0x80000000u) {
            s += " addr " + hex(f.address);
        } else {
            s += " prom " + hex(f.address >> 3);
            if (f.address & 7) s += "." + dec(f.address & 7);
        }
        if (f.size) s += " size " + dec(f.size);
        if (f.type) s += " type " + dec(f.type);
        if (f.flags) s += " fieldflags " + dec(f.flags);
        if (!f.defaultValue.empty()) s += " default " + quoteText(f.defaultValue);
    }
    switch (c.tag) {
        case TemplateTag::CheckBox:
            s += " on " + quoteText(c.onChar) + " off " + quoteText(c.offChar);
            break;
        case TemplateTag::Edit:
            if (c.filter) s += " filter " + dec(c.filter);
            if (c.maxChars != kAbsentLimit) s += " maxchars " + limit(c.maxChars);
            if (c.minChars != kAbsentLimit) s += " minchars " + limit(c.minChars);
            if (c.maxValue != kAbsentLimit) s += " maxvalue " + limit(c.maxValue);
            if (c.minValue != kAbsentLimit) s += " minvalue " + limit(c.minValue);
            break;
        case TemplateTag::Choice:
            s += " list " + dec(c.valueList);
            break;
        case TemplateTag::Option:
            if (!c.optionValue.empty()) s += " value " + quoteText(c.optionValue);
            s += " group " + dec(c.optionGroup);
            break;
        default:
            break;
    }
    if (c.flags & 1) s += "  ; control " + dec(numbered_++);
    line(s);
}

void Decompiler::onValueList(const RawValueList& list) {
    line("values  ; list " + dec(lists_++));
    ++depth_;
    for (const auto& [shown, stored] : list)
        line(quoteText(shown) + " " + quoteText(stored));
    --depth_;
    line("endvalues");
}

void Decompiler::onCaption(std::string_view text) {
    line("caption " + quoteText(text));
}

void Decompiler::onPageEnd() {
    --depth_;
    line("endpage");
}

void Decompiler::onIdAddress(std::uint32_t address) {
    line("idaddress " + hex(address));
}

void Decompiler::onProductAddress(std::uint32_t address) {
    line("productaddress " + hex(address));
}

void Decompiler::onHelp(std::string_view name) {
    line("help " + quoteText(name));
}

void Decompiler::onEvents(const std::vector<RawEventCode>& codes) {
    line("events");
    ++depth_;
    for (const auto& code : codes) {
        line("code " + hex(code.code));
        ++depth_;
        for (const auto& e : code.entries)
            line(dec(e.tag) + " " + quoteText(e.text));
        --depth_;
    }
    --depth_;
    line("endevents");
}

void Decompiler::onNoErase(std::uint32_t value) {
    line("noerase " + dec(value));
}

void Decompiler::onBodyEnd() {
    depth_ = 0;
}

void Decompiler::onRuleCount(std::uint32_t count) {
    ruleCount_ = count;
}

void Decompiler::onRule(const RawRule& rule) {
    rules_.push_back(rule);
}

void Decompiler::finish(std::span<const std::uint8_t> trailer) {
    std::uint64_t sum = 0;
    for (const auto& r : rules_)
        sum += 1 + r.actions.size();
    if (ruleCount_ != sum) {
        line("");
        line("rules count " + dec(ruleCount_));
    } else if (!rules_.empty()) {
        line("");
        line("rules");
    }
    for (const auto& r : rules_) {
        const RawCondition& c = r.condition;
        std::string_view word = conditionWord(c.code);
        line("when " + std::string(word) +
             operands(conditionOperands(c.code), c.control, c.control2, c.text));
        depth_ = 1;
        for (const auto& a : r.actions) {
            line("do " + std::string(actionWord(a.code)) +
                 operands(actionOperands(a.code), a.target, a.argument, a.text));
        }
        depth_ = 0;
    }
    if (!trailer.empty()) {
        line("trailer " +
             quoteText({reinterpret_cast<const char*>(trailer.data()), trailer.size()}));
    }
}

}  // namespace loom::kqform
