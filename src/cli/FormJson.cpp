#include "FormJson.h"

#include <string>
#include <string_view>

#include "common/Cp1252.h"
#include "template/EventTexts.h"

namespace loom::cli {
namespace {

using Json = nlohmann::ordered_json;

Json text(std::string_view cp1252) {
    return cp1252ToUtf8(cp1252);
}

Json optionalNumber(const std::optional<std::int32_t>& v) {
    return v ? Json(*v) : Json(nullptr);
}

}  // namespace

void addValueChecks(Json& j, const FormControl& c) {
    if (c.kind == ControlKind::CheckBox) {
        j["on"] = text(std::string_view(&c.onChar, 1));
        j["off"] = text(std::string_view(&c.offChar, 1));
    } else if (c.kind == ControlKind::Edit) {
        j["filter"] = c.filter >= 0 ? Json(c.filter) : Json(nullptr);
        j["maxChars"] = optionalNumber(c.limits.maxChars);
        j["minChars"] = optionalNumber(c.limits.minChars);
        j["maxValue"] = optionalNumber(c.limits.maxValue);
        j["minValue"] = optionalNumber(c.limits.minValue);
    }
}

namespace {

Json controlJson(const FormControl& c) {
    Json j;
    j["kind"] = controlKindName(c.kind);
    j["caption"] = text(c.caption);
    j["number"] = c.number >= 0 ? Json(c.number) : Json(nullptr);
    j["flags"] = c.flags;
    j["rect"] = c.kind == ControlKind::OptionGroup
                    ? Json(nullptr)
                    : Json::array({c.dialogRect.x, c.dialogRect.y, c.dialogRect.width,
                                   c.dialogRect.height});
    if (c.field != nullptr) {
        j["field"] = {{"address", c.field->address},
                      {"size", c.field->size},
                      {"type", c.field->type},
                      {"flags", c.field->flags},
                      {"default", text(c.initialValue)}};
    }
    addValueChecks(j, c);
    switch (c.kind) {
        case ControlKind::Choice:
            j["valueList"] = c.valueList;
            break;
        case ControlKind::Option:
            j["value"] = text(c.optionValue);
            j["group"] = c.group != nullptr ? Json(c.group->number) : Json(nullptr);
            break;
        default:
            break;
    }
    return j;
}

// Operands by kind: control numbers as numbers, pages as {"page": n}, texts as strings,
// absent operands as null.
Json operand(RuleOperands kind, bool first, std::uint32_t control, std::uint32_t second,
             const std::string& s) {
    switch (kind) {
        case RuleOperands::Control:
            return first ? Json(control) : Json(nullptr);
        case RuleOperands::ControlControl:
            return Json(first ? control : second);
        case RuleOperands::ControlText:
            return first ? Json(control) : text(s);
        case RuleOperands::Text:
            return first ? Json(nullptr) : text(s);
        case RuleOperands::Page:
            // Actions 73 and 74 act on no control: the page is their argument.
            return first ? Json(nullptr) : Json{{"page", control}};
        case RuleOperands::Unknown:
            break;
    }
    return nullptr;
}

Json ruleJson(const RawRule& r) {
    const RawCondition& c = r.condition;
    const RuleOperands kind = conditionOperands(c.code);
    Json j;
    j["condition"] = c.code;
    j["trigger"] = operand(kind, true, c.control, c.control2, c.text);
    j["argument"] = operand(kind, false, c.control, c.control2, c.text);
    Json actions = Json::array();
    for (const RawAction& a : r.actions) {
        const RuleOperands ak = actionOperands(a.code);
        actions.push_back({{"code", a.code},
                           {"target", operand(ak, true, a.target, a.argument, a.text)},
                           {"argument", operand(ak, false, a.target, a.argument, a.text)}});
    }
    j["actions"] = std::move(actions);
    return j;
}

Json treeJson(const TreeOutline& tree, int node) {
    Json children = Json::array();
    for (int child : tree.nodes()[static_cast<std::size_t>(node)].children) {
        const TreeOutline::Node& n = tree.nodes()[static_cast<std::size_t>(child)];
        if (n.kind == TreeOutline::Kind::Page) {
            children.push_back({{"page", n.pageNumber}});
        } else {
            children.push_back({{"group", text(n.name)}, {"children", treeJson(tree, child)}});
        }
    }
    return children;
}

}  // namespace

Json formToJson(const Form& form, const EventTexts& events, const TreeOutline& tree) {
    Json j;
    j["name"] = text(form.name());
    j["title"] = text(form.title());
    j["idAddress"] = form.idAddress();
    j["productAddress"] = form.productAddress();
    j["noErase"] = form.noErase();
    j["help"] = form.helpName().empty() ? Json(nullptr) : text(form.helpName());

    Json pages = Json::array();
    for (int i = 0; i < form.pageCount(); ++i) {
        const FormPage& p = form.page(i);
        Json controls = Json::array();
        for (const FormControl* c : p.allControls)
            controls.push_back(controlJson(*c));
        pages.push_back({{"name", text(p.name)}, {"controls", std::move(controls)}});
    }
    j["pages"] = std::move(pages);

    Json lists = Json::array();
    for (const RawValueList& list : form.valueLists()) {
        Json entries = Json::array();
        for (const auto& [shown, stored] : list)
            entries.push_back({text(shown), text(stored)});
        lists.push_back(std::move(entries));
    }
    j["valueLists"] = std::move(lists);

    Json captions = Json::array();
    for (const auto& [caption, count] : form.captions()) {
        captions.push_back({text(caption), count});
    }
    j["captions"] = std::move(captions);

    Json rules = Json::array();
    for (const RawRule& r : form.rawRules())
        rules.push_back(ruleJson(r));
    j["rules"] = std::move(rules);

    Json codes = Json::object();
    for (const auto& [code, entries] : events.codes()) {
        Json list = Json::array();
        for (const EventText& e : entries)
            list.push_back({e.tag, text(e.text)});
        codes[std::to_string(code)] = std::move(list);
    }
    j["events"] = std::move(codes);

    j["tree"] = tree.nodes().empty() ? Json::array() : treeJson(tree, 0);
    return j;
}

}  // namespace loom::cli
