#include <string>

#include "ControlWords.h"
#include "SourceCompiler.h"
#include "SourceCursor.h"

namespace loom::kqform {

// One control line of a page: its kind's text, then its properties.
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

}  // namespace loom::kqform
