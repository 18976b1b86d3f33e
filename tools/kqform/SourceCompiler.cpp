#include "SourceCompiler.h"

#include <charconv>
#include <utility>

#include "ControlWords.h"
#include "LoaderCheck.h"
#include "RuleWords.h"
#include "SourceCursor.h"
#include "SourceError.h"

namespace loom::kqform {

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
