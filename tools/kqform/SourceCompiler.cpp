#include "SourceCompiler.h"

#include <charconv>
#include <utility>

#include "LoaderCheck.h"
#include "RuleWords.h"
#include "SourceError.h"

namespace loom::kqform {
namespace {

std::optional<std::uint32_t> parseNumber(std::string_view s) {
    bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        if (negative) return std::nullopt;
        s.remove_prefix(2);
        base = 16;
    }
    if (s.empty()) return std::nullopt;
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    if (negative) {
        if (value > 0x80000000u) return std::nullopt;
        return static_cast<std::uint32_t>(0x100000000u - value);
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool validName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
        if (!ok) return false;
    }
    return true;
}

constexpr std::pair<std::string_view, TemplateTag> kKinds[] = {
    {"label", TemplateTag::Label},     {"frame", TemplateTag::Frame},
    {"button", TemplateTag::Button},   {"checkbox", TemplateTag::CheckBox},
    {"edit", TemplateTag::Edit},       {"choice", TemplateTag::Choice},
    {"option", TemplateTag::Option},   {"optiongroup", TemplateTag::OptionGroup},
    {"picture", TemplateTag::Picture},
};

std::optional<TemplateTag> controlKind(std::string_view word) {
    for (const auto& [w, tag] : kKinds) {
        if (w == word) return tag;
    }
    return std::nullopt;
}

std::string_view kindWord(TemplateTag kind) {
    for (const auto& [w, tag] : kKinds) {
        if (tag == kind) return w;
    }
    return "control";
}

std::optional<std::uint32_t> flagWord(std::string_view word) {
    static constexpr std::pair<std::string_view, std::uint32_t> kFlags[] = {
        {"numbered", 0x1}, {"disabled", 0x2},   {"hidden", 0x4},
        {"noscroll", 0x8}, {"multiline", 0x10}, {"password", 0x200},
    };
    for (const auto& [w, bit] : kFlags) {
        if (w == word) return bit;
    }
    return std::nullopt;
}

// Built by appending: GCC 12 at -O3 reports a false -Wrestrict overlap for
// "literal" + std::string temporaries.
std::string quoted(std::string_view word) {
    std::string s;
    s.reserve(word.size() + 2);
    s += '\'';
    s += word;
    s += '\'';
    return s;
}

}  // namespace

class SourceCompiler::Cursor {
  public:
    Cursor(std::vector<SourceToken> tokens, int line) : tokens_(std::move(tokens)), line_(line) {}

    int line() const { return line_; }
    bool atEnd() const { return next_ == tokens_.size(); }
    const SourceToken& peek() const { return tokens_[next_]; }
    bool peekIsString() const { return !atEnd() && peek().kind == SourceToken::Kind::String; }

    [[noreturn]] void fail(const std::string& message) const { throw SourceError(line_, message); }

    std::string_view word(std::string_view what) {
        if (atEnd() || peek().kind != SourceToken::Kind::Word)
            fail(std::string(what) + " expected");
        return tokens_[next_++].text;
    }

    // Any byte string (the trailer).
    const std::string& bytes(std::string_view what) {
        if (atEnd() || peek().kind != SourceToken::Kind::String) {
            fail(std::string(what) + " expected (a quoted string)");
        }
        return tokens_[next_++].text;
    }

    // A text the template can hold.
    const std::string& text(std::string_view what) {
        const std::string& t = bytes(what);
        if (t.find('\0') != std::string::npos) fail(std::string(what) + " holds a zero byte");
        if (t.size() > kMaxTemplateText) {
            fail(std::string(what) + " is " + std::to_string(t.size()) +
                 " characters long; at most 699 are allowed");
        }
        return t;
    }

    std::uint32_t number(std::string_view what) {
        std::string_view w = word(what);
        auto n = parseNumber(w);
        if (!n) fail(std::string(what) + ": " + quoted(w) + " is not a 32-bit number");
        return *n;
    }

    void end() const {
        if (!atEnd()) {
            const SourceToken& t = peek();
            fail("unexpected " +
                 (t.kind == SourceToken::Kind::Word ? quoted(t.text) : std::string("string")));
        }
    }

  private:
    std::vector<SourceToken> tokens_;
    std::size_t next_ = 0;
    int line_;
};

std::vector<std::uint8_t> SourceCompiler::compile(std::string_view source) {
    SourceCompiler compiler;
    return compiler.run(source);
}

std::vector<std::uint8_t> SourceCompiler::run(std::string_view source) {
    if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < source.size()) {
        std::size_t eol = source.find('\n', pos);
        if (eol == std::string_view::npos) eol = source.size();
        ++line_;
        Cursor in(tokenizeLine(source.substr(pos, eol - pos), line_), line_);
        if (!in.atEnd()) statement(in);
        pos = eol + 1;
    }
    const int last = line_ > 0 ? line_ : 1;
    switch (context_) {
        case Context::Start:
            throw SourceError(last,
                              "no template statement: the source must start with "
                              "template \"NAME\" \"TITLE\"");
        case Context::Page:
            throw SourceError(pageLine_, "page not closed (endpage missing)");
        case Context::Values:
            throw SourceError(openLine_, "value list not closed (endvalues missing)");
        case Context::Events:
            throw SourceError(openLine_, "event section not closed (endevents missing)");
        case Context::Body:
            endBody();
            break;
        default:
            break;
    }
    finishRules();
    std::vector<std::uint8_t> bytes = writer_.finish();
    bytes.insert(bytes.end(), trailer_.begin(), trailer_.end());
    // The checks above are meant to match the loader's; should they ever miss a case, the
    // fault is reported here rather than written to a file the program cannot open.
    if (auto refusal = loaderRefusal(bytes, "template")) {
        throw SourceError(last, "the compiled template is refused by the loader: " + *refusal);
    }
    return bytes;
}

void SourceCompiler::statement(Cursor& in) {
    if (context_ == Context::Values) {
        valuesStatement(in, in.peekIsString() ? std::string_view{} : in.word("statement"));
        return;
    }
    if (context_ == Context::Events) {
        eventsStatement(in, in.word("statement"));
        return;
    }
    std::string_view word = in.word("statement");
    switch (context_) {
        case Context::Start:
            if (word != "template") {
                in.fail("the source must start with template \"NAME\" \"TITLE\"");
            }
            templateLine(in);
            return;
        case Context::Body:
            bodyStatement(in, word);
            return;
        case Context::Page:
            pageStatement(in, word);
            return;
        case Context::Rules:
            rulesStatement(in, word);
            return;
        case Context::Trailer:
            in.fail("nothing may follow the trailer");
        default:
            return;
    }
}

void SourceCompiler::templateLine(Cursor& in) {
    name_ = in.text("template name");
    title_ = in.text("template title");
    in.end();
    context_ = Context::Body;
}

void SourceCompiler::startBody() {
    if (!headerWritten_) {
        writer_.header(name_, title_, version_);
        headerWritten_ = true;
    }
}

void SourceCompiler::endBody() {
    startBody();
    writer_.end();
}

void SourceCompiler::bodyStatement(Cursor& in, std::string_view word) {
    if (word == "version") {
        if (headerWritten_) in.fail("version must come right after the template statement");
        std::uint32_t v = in.number("version");
        if (v != 1) in.fail("version " + std::to_string(v) + ": the loader reads only version 1");
        version_ = static_cast<std::uint8_t>(v);
        in.end();
        return;
    }
    if (word == "template") in.fail("only one template statement is allowed");
    startBody();
    if (word == "group") {
        if (groupDepth_ >= kMaxGroupDepth) {
            in.fail("groups nest at most " + std::to_string(kMaxGroupDepth) + " deep");
        }
        writer_.group(in.text("group name"));
        ++groupDepth_;
    } else if (word == "endgroup") {
        if (groupDepth_ == 0) in.fail("endgroup without an open group");
        --groupDepth_;
        writer_.groupEnd();
    } else if (word == "page") {
        writer_.page(in.text("page name"));
        if (!in.atEnd()) {
            std::string_view name = in.word("page name");
            if (name.front() != '@') in.fail("a page's name is written @name");
            defineName(pageNames_, name.substr(1), pages_);
        }
        ++pages_;
        context_ = Context::Page;
        pageLine_ = in.line();
    } else if (word == "idaddress") {
        writer_.idAddress(in.number("address"));
    } else if (word == "productaddress") {
        writer_.productAddress(in.number("address"));
    } else if (word == "help") {
        writer_.help(in.text("help file name"));
    } else if (word == "noerase") {
        writer_.noErase(in.atEnd() ? 1 : in.number("no-erase value"));
    } else if (word == "events") {
        events_.clear();
        context_ = Context::Events;
        openLine_ = in.line();
    } else if (word == "rules") {
        if (!in.atEnd()) {
            if (in.word("count") != "count") in.fail("expected: rules count N");
            ruleCount_ = in.number("rule count");
            ruleCountLine_ = in.line();
        }
        writer_.end();
        context_ = Context::Rules;
    } else if (word == "trailer") {
        writer_.end();
        trailer_ = in.bytes("trailer bytes");
        context_ = Context::Trailer;
    } else if (controlKind(word) || word == "values" || word == "caption") {
        in.fail(quoted(word) + " belongs inside a page");
    } else if (word == "when" || word == "do") {
        in.fail(quoted(word) + " belongs after the rules statement");
    } else {
        in.fail("unknown statement " + quoted(word));
    }
    in.end();
}

void SourceCompiler::pageStatement(Cursor& in, std::string_view word) {
    if (auto kind = controlKind(word)) {
        controlStatement(in, *kind);
    } else if (word == "values") {
        list_.clear();
        listName_.reset();
        if (!in.atEnd()) {
            std::string_view name = in.word("list name");
            if (name.front() != '$') in.fail("a value list's name is written $name");
            if (!validName(name.substr(1))) in.fail("bad name " + quoted(name));
            if (listNames_.count(name.substr(1))) in.fail("name " + quoted(name) + " used twice");
            listName_ = std::string(name.substr(1));
        }
        context_ = Context::Values;
        openLine_ = in.line();
    } else if (word == "caption") {
        writer_.caption(in.text("caption"));
    } else if (word == "endpage") {
        writer_.pageEnd();
        context_ = Context::Body;
    } else {
        in.fail(quoted(word) + " is not allowed inside a page (endpage missing?)");
    }
    in.end();
}

void SourceCompiler::valuesStatement(Cursor& in, std::string_view word) {
    if (word.empty()) {
        std::string shown = in.text("shown text");
        list_.emplace_back(std::move(shown), in.text("stored value"));
    } else if (word == "endvalues") {
        writer_.valueList(list_);
        if (listName_) listNames_.emplace(*listName_, lists_);
        ++lists_;
        context_ = Context::Page;
    } else {
        in.fail("inside values: a line \"SHOWN\" \"STORED\" or endvalues expected");
    }
    in.end();
}

void SourceCompiler::eventsStatement(Cursor& in, std::string_view word) {
    if (word == "code") {
        events_.push_back({in.number("event code"), {}});
    } else if (word == "endevents") {
        writer_.events(events_);
        context_ = Context::Body;
    } else if (auto tag = parseNumber(word)) {
        if (events_.empty()) in.fail("event text before the first code line");
        if (*tag > 255) in.fail("event tag is one byte (0-255)");
        if (*tag == 21 || *tag == 29) in.fail("event tags 21 and 29 are reserved");
        events_.back().entries.push_back({static_cast<std::uint8_t>(*tag), in.text("event text")});
    } else {
        in.fail("inside events: code N, TAG \"TEXT\" or endevents expected");
    }
    in.end();
}

void SourceCompiler::controlStatement(Cursor& in, TemplateTag tag) {
    RawControl c;
    c.tag = tag;
    c.text = in.text("control text");
    if (tag == TemplateTag::CheckBox) {
        c.onChar = "1";
        c.offChar = "0";
    }
    const bool data = isDataControl(tag);
    std::optional<std::string> name;
    bool hasList = false, hasGroup = false;
    auto only = [&](bool allowed, std::string_view property) {
        if (!allowed) in.fail(quoted(property) + " is not a property of this control");
    };
    auto limit = [&](std::string_view what) -> std::uint32_t {
        if (!in.atEnd() && in.peek().kind == SourceToken::Kind::Word && in.peek().text == "none") {
            in.word(what);
            return kAbsentLimit;
        }
        return in.number(what);
    };
    auto oneChar = [&](std::string_view what) {
        std::string t = in.text(what);
        if (t.size() != 1) in.fail(std::string(what) + " must be exactly one character");
        return t;
    };
    while (!in.atEnd()) {
        std::string_view p = in.word("property");
        if (p.front() == '#') {
            if (!validName(p.substr(1))) in.fail("bad name " + quoted(p));
            if (name) in.fail("a control has one name");
            name = std::string(p.substr(1));
            c.flags |= 1;
        } else if (auto bit = flagWord(p)) {
            c.flags |= *bit;
        } else if (p == "flags") {
            c.flags |= in.number("flags");
        } else if (p == "at") {
            only(tag != TemplateTag::OptionGroup, p);
            c.rect.x = in.number("x");
            c.rect.y = in.number("y");
            c.rect.width = in.number("width");
            c.rect.height = in.number("height");
        } else if (p == "prom") {
            only(data, p);
            std::string_view w = in.word("PROM byte address");
            std::size_t dot = w.rfind('.');
            auto byteAddr = parseNumber(w.substr(0, dot));
            std::optional<std::uint32_t> bitOffset = 0;
            if (dot != std::string_view::npos) bitOffset = parseNumber(w.substr(dot + 1));
            if (!byteAddr || *byteAddr > 0x0FFFFFFF || !bitOffset || *bitOffset > 7) {
                in.fail("prom needs a byte address below 0x10000000 and an optional .bit 0-7");
            }
            c.field.address = (*byteAddr << 3) | *bitOffset;
        } else if (p == "addr") {
            only(data, p);
            c.field.address = in.number("address");
        } else if (p == "size") {
            only(data, p);
            c.field.size = in.number("size");
        } else if (p == "type") {
            only(data, p);
            c.field.type = in.number("type");
        } else if (p == "fieldflags") {
            only(data, p);
            c.field.flags = in.number("field flags");
        } else if (p == "default") {
            only(data, p);
            c.field.defaultValue = in.text("default value");
        } else if (p == "on") {
            only(tag == TemplateTag::CheckBox, p);
            c.onChar = oneChar("on character");
        } else if (p == "off") {
            only(tag == TemplateTag::CheckBox, p);
            c.offChar = oneChar("off character");
        } else if (p == "filter") {
            only(tag == TemplateTag::Edit, p);
            c.filter = in.number("filter");
        } else if (p == "maxchars") {
            only(tag == TemplateTag::Edit, p);
            c.maxChars = limit("maximum characters");
        } else if (p == "minchars") {
            only(tag == TemplateTag::Edit, p);
            c.minChars = limit("minimum characters");
        } else if (p == "maxvalue") {
            only(tag == TemplateTag::Edit, p);
            c.maxValue = limit("maximum value");
        } else if (p == "minvalue") {
            only(tag == TemplateTag::Edit, p);
            c.minValue = limit("minimum value");
        } else if (p == "list") {
            only(tag == TemplateTag::Choice, p);
            c.valueList = listRef(in);
            hasList = true;
        } else if (p == "value") {
            only(tag == TemplateTag::Option, p);
            c.optionValue = in.text("option value");
        } else if (p == "group") {
            only(tag == TemplateTag::Option, p);
            // Only controls numbered before this one can be its group.
            c.optionGroup = controlRef(in, numbered_);
            hasGroup = true;
            const NumberedControl& group = numberedControls_[c.optionGroup];
            if (group.tag != TemplateTag::OptionGroup) {
                in.fail("control " + std::to_string(c.optionGroup) + " (" +
                        std::string(kindWord(group.tag)) + ") is not an optiongroup");
            }
            // A button is laid out, enabled and disabled with its own page.
            if (group.page != pages_ - 1) {
                in.fail("option group " + std::to_string(c.optionGroup) +
                        " is on another page (page " + std::to_string(group.page) + ")");
            }
        } else {
            in.fail("unknown control property " + quoted(p));
        }
    }
    if (tag == TemplateTag::Choice && !hasList && lists_ == 0) {
        in.fail("a choice needs a value list (list N or list $name); none is defined before");
    }
    if (tag == TemplateTag::Option && !hasGroup) {
        in.fail("an option needs its option group (group N or group #name)");
    }
    if (c.flags & 1) {
        if (name) defineName(controlNames_, *name, numbered_);
        numberedControls_.push_back({tag, pages_ - 1});
        ++numbered_;
    }
    writer_.control(c);
}

void SourceCompiler::rulesStatement(Cursor& in, std::string_view word) {
    auto operands = [&](RuleOperands kind, std::uint32_t& first, std::uint32_t& second,
                        std::string& text) {
        switch (kind) {
            case RuleOperands::Control:
                first = controlRef(in, numbered_);
                break;
            case RuleOperands::ControlControl:
                first = controlRef(in, numbered_);
                second = controlRef(in, numbered_);
                break;
            case RuleOperands::ControlText:
                first = controlRef(in, numbered_);
                text = in.text("text");
                break;
            case RuleOperands::Text:
                text = in.text("text");
                break;
            case RuleOperands::Page:
                first = pageRef(in);
                break;
            case RuleOperands::Unknown:
                break;
        }
    };
    if (word == "when") {
        std::string_view w = in.word("condition");
        auto code = conditionCode(w);
        if (!code) code = parseNumber(w);
        if (!code || conditionOperands(*code) == RuleOperands::Unknown) {
            in.fail("unknown condition " + quoted(w));
        }
        PendingRule r;
        r.line = in.line();
        r.rule.condition.code = *code;
        operands(conditionOperands(*code), r.rule.condition.control, r.rule.condition.control2,
                 r.rule.condition.text);
        rules_.push_back(std::move(r));
    } else if (word == "do") {
        if (rules_.empty()) in.fail("do before the first when");
        std::string_view w = in.word("action");
        auto code = actionCode(w);
        if (!code) code = parseNumber(w);
        if (!code || actionOperands(*code) == RuleOperands::Unknown) {
            in.fail("unknown action " + quoted(w));
        }
        RawAction a;
        a.code = *code;
        operands(actionOperands(*code), a.target, a.argument, a.text);
        rules_.back().rule.actions.push_back(std::move(a));
    } else if (word == "trailer") {
        trailer_ = in.bytes("trailer bytes");
        context_ = Context::Trailer;
    } else {
        in.fail("after rules only when, do and trailer lines may follow, not " + quoted(word));
    }
    in.end();
}

void SourceCompiler::finishRules() {
    std::vector<RawRule> rules;
    rules.reserve(rules_.size());
    std::uint64_t sum = 0, beforeLast = 0;
    for (auto& r : rules_) {
        beforeLast = sum;
        sum += 1 + r.rule.actions.size();
        rules.push_back(std::move(r.rule));
    }
    if (sum > 0xFFFFFFFFu) throw SourceError(rules_.back().line, "too many rule entries");
    std::uint32_t count = static_cast<std::uint32_t>(sum);
    if (ruleCount_) {
        // A loader reads rules while it has read fewer than the count; only a count that
        // the last rule reaches, and the one before does not, reads exactly these rules.
        bool exact =
            rules.empty() ? *ruleCount_ == 0 : *ruleCount_ > beforeLast && *ruleCount_ <= sum;
        if (!exact) {
            throw SourceError(ruleCountLine_,
                              "rule count " + std::to_string(*ruleCount_) +
                                  " does not end at the last rule: the rules hold " +
                                  std::to_string(sum) + " entries, " + std::to_string(beforeLast) +
                                  " before the last rule");
        }
        count = *ruleCount_;
    }
    writer_.rules(count, rules);
}

// A control, value list or page: a number below `limit`, or a name (behind its sigil)
// defined before. `defined` says in words how many there are.
std::uint32_t SourceCompiler::reference(Cursor& in, const Reference& kind, std::uint32_t limit,
                                        const std::string& defined) {
    std::string_view w = in.word(kind.what);
    if (w.front() == kind.sigil) {
        auto it = kind.names.find(w.substr(1));
        if (it == kind.names.end())
            in.fail(std::string(kind.what) + " " + quoted(w) + kind.undefined);
        return it->second;
    }
    auto n = parseNumber(w);
    if (!n) {
        in.fail(std::string(kind.what) + " number or " + kind.sigil + "name expected, not " +
                quoted(w));
    }
    if (*n >= limit) {
        in.fail(std::string(kind.what) + " " + std::to_string(*n) + " does not exist: " + defined);
    }
    return *n;
}

std::uint32_t SourceCompiler::controlRef(Cursor& in, std::uint32_t limit) {
    return reference(in, {"control", '#', controlNames_, " is not defined before"}, limit,
                     std::to_string(limit) + " numbered controls are defined before");
}

std::uint32_t SourceCompiler::listRef(Cursor& in) {
    return reference(in, {"value list", '$', listNames_, " is not defined before"}, lists_,
                     std::to_string(lists_) + " lists are defined before");
}

std::uint32_t SourceCompiler::pageRef(Cursor& in) {
    return reference(in, {"page", '@', pageNames_, " is not defined"}, pages_,
                     "the template has " + std::to_string(pages_) + " pages");
}

void SourceCompiler::defineName(std::map<std::string, std::uint32_t, std::less<>>& names,
                                std::string_view name, std::uint32_t number) {
    if (!validName(name)) throw SourceError(line_, "bad name " + quoted(name));
    if (!names.emplace(std::string(name), number).second) {
        throw SourceError(line_, "name " + quoted(name) + " used twice");
    }
}

}  // namespace loom::kqform
