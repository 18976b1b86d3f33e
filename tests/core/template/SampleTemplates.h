#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "template/TemplateItems.h"
#include "template/TemplateScanner.h"
#include "template/TemplateWriter.h"

namespace loom::samples {

// Builders of raw items and templates shared by the template and kqform tests.

inline RawControl control(TemplateTag tag, std::string text, std::uint32_t flags = 0) {
    RawControl c;
    c.tag = tag;
    c.text = std::move(text);
    c.flags = flags;
    if (tag != TemplateTag::OptionGroup) c.rect = {4, 8, 60, 12};
    if (tag == TemplateTag::CheckBox) {
        c.onChar = "1";
        c.offChar = "0";
    }
    return c;
}

inline RawControl dataControl(TemplateTag tag, std::string text, std::uint32_t address,
                              std::uint32_t flags = 1) {
    RawControl c = control(tag, std::move(text), flags);
    c.field = {address, 8, 3, 2, "12"};
    return c;
}

inline RawRule rule(std::uint32_t code, std::uint32_t control, std::vector<RawAction> actions) {
    return RawRule{{code, control, 0, {}}, std::move(actions)};
}

inline RawAction action(std::uint32_t code, std::uint32_t target, std::uint32_t argument = 0,
                        std::string text = {}) {
    return RawAction{code, target, argument, std::move(text)};
}

// A template that uses every kind of item, with odd values where the format allows them.
// Numbered controls: 0 option group, 1 edit, 2 check box, 3 choice, 4 button.
inline TemplateWriter& richBody(TemplateWriter& w) {
    w.header("GL 200 v1.2", "Centrala \xC5\xC4\xD6");
    w.idAddress(0x1F0).productAddress(0xFFFFFFFFu).help("gl200.hlp").noErase(0);
    w.group("Inbrott").group("Sektioner");
    w.page("Sektion 1");
    w.caption("before any data control");
    w.control(dataControl(TemplateTag::OptionGroup, "Larmtyp", 0x100 << 3));
    RawControl option = control(TemplateTag::Option, "Direkt", 0);
    option.optionValue = "D";
    option.optionGroup = 0;
    w.control(option);
    RawControl edit = dataControl(TemplateTag::Edit, "Tid", 0x101 << 3, 0x21B);
    edit.filter = 5;
    edit.maxChars = 3;
    edit.minChars = 0;
    edit.maxValue = 999;
    edit.minValue = kAbsentLimit;
    w.control(edit);
    w.caption("Tid (s)");
    RawControl box = dataControl(TemplateTag::CheckBox, "Aktiv", (0x102 << 3) | 5);
    box.onChar = "J";
    box.offChar = "\xA0";
    w.control(box);
    w.valueList({{"Av", "0"}, {"P\xE5", "1"}, {"", ""}});
    RawControl choice = dataControl(TemplateTag::Choice, "Val", 0x80000000u | 7);
    choice.valueList = 0;
    w.control(choice);
    w.pageEnd();
    w.groupEnd();
    w.page("Tom");
    w.pageEnd();
    w.page("Knappar");
    w.control(control(TemplateTag::Button, "Test", 1 | 4));
    RawControl label = control(TemplateTag::Label, "Rad 1\nRad 2\t\"x\"\\", 0xFFFFFFFEu);
    label.rect = {0xFFFFFFFFu, 0, 0x80000000u, 7};
    w.control(label);
    w.control(control(TemplateTag::Frame, "Ram"));
    w.control(control(TemplateTag::Picture, "logo.bmp"));
    w.valueList({});
    w.pageEnd();
    w.events({{0x10012, {{1, "Inbrott\n"}, {0, "x"}, {255, ""}}}, {7, {}}});
    w.idAddress(0x2F0);
    w.events({});
    w.help("");
    w.noErase(0xDEADBEEF);
    w.end();
    std::vector<RawRule> rules;
    rules.push_back(rule(49, 4, {action(60, 1), action(65, 1, 0, "hej"), action(73, 2)}));
    rules.push_back(rule(51, 1, {}));
    RawRule signal;
    signal.condition = {59, 0, 0, "larm"};
    signal.actions = {action(71, 0, 0, "Meddelande"),
                      action(72, 0, 0, "larm"),
                      action(66, 1, 3),
                      action(67, 3, 1),
                      action(69, 1, 2),
                      action(70, 2, 1),
                      action(68, 3, 0, "1"),
                      action(61, 0),
                      action(62, 0),
                      action(63, 0),
                      action(64, 1),
                      action(74, 0)};
    rules.push_back(signal);
    for (std::uint32_t code : {42u, 43u, 44u, 45u, 46u, 47u, 48u, 50u, 52u}) {
        rules.push_back(rule(code, 2, {action(60, 3)}));
    }
    for (std::uint32_t code : {53u, 54u, 56u, 57u}) {
        RawRule r = rule(code, 1, {});
        r.condition.control2 = 3;
        rules.push_back(r);
    }
    for (std::uint32_t code : {55u, 58u}) {
        RawRule r = rule(code, 1, {action(61, 4)});
        r.condition.text = "5";
        rules.push_back(r);
    }
    w.rules(rules);
    return w;
}

inline std::vector<std::uint8_t> richTemplate() {
    TemplateWriter w;
    return richBody(w).finish();
}

using Items = std::function<void(TemplateWriter&)>;

// A template of the given top-level items, without rules.
inline std::vector<std::uint8_t> topLevel(const Items& items) {
    TemplateWriter w;
    w.header("T", "T");
    items(w);
    w.end().rules({});
    return w.finish();
}

// A template of one page holding button 0 and then the given items, then the given rules.
inline std::vector<std::uint8_t> onePage(const Items& items,
                                         const std::vector<RawRule>& rules = {}) {
    TemplateWriter w;
    w.header("T", "T").page("P").control(control(TemplateTag::Button, "b", 1));
    items(w);
    w.pageEnd().end().rules(rules);
    return w.finish();
}

// The failure a scan of `bytes` ends in, or nothing when the scanner accepts it.
inline std::optional<ScanFailure> scanFailure(const std::vector<std::uint8_t>& bytes) {
    try {
        auto scanner = TemplateScanner::fromMemory(bytes);
        TemplateVisitor ignoreAll;
        scanner.readBody(ignoreAll);
        return std::nullopt;
    } catch (const TemplateScanError& e) {
        return e.failure();
    }
}

}  // namespace loom::samples
