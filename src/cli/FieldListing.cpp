#include "FieldListing.h"

#include <string>

#include "CliText.h"
#include "FormJson.h"
#include "common/Cp1252.h"
#include "template/FieldCaptions.h"
#include "template/Form.h"

namespace loom::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string text(const std::string& cp1252) {
    return escapeControls(cp1252ToUtf8(cp1252));
}

std::string pageName(const Form& form, int page) {
    return page >= 0 && page < form.pageCount() ? form.page(page).name : std::string();
}

const RawValueList* valueListOf(const Form& form, const FormControl& choice) {
    const auto& lists = form.valueLists();
    return choice.valueList >= 0 && choice.valueList < static_cast<int>(lists.size())
               ? &lists[static_cast<std::size_t>(choice.valueList)]
               : nullptr;
}

// The checks in words, as the listing shows them.
std::string checksText(const Form& form, const FormControl& c) {
    std::string out;
    const auto add = [&out](const std::string& part) { out += (out.empty() ? "" : ", ") + part; };
    switch (c.kind) {
        case ControlKind::Edit:
            if (c.filter >= 0) add("filter " + std::to_string(c.filter));
            if (c.limits.maxChars) add("högst " + std::to_string(*c.limits.maxChars) + " tecken");
            if (c.limits.minChars) add("minst " + std::to_string(*c.limits.minChars) + " tecken");
            if (c.limits.maxValue) add("högsta värde " + std::to_string(*c.limits.maxValue));
            if (c.limits.minValue) add("minsta värde " + std::to_string(*c.limits.minValue));
            break;
        case ControlKind::Choice:
            if (const RawValueList* list = valueListOf(form, c)) {
                std::string values;
                for (const auto& [shown, stored] : *list)
                    values +=
                        (values.empty() ? "" : ", ") + text(stored) + " (" + text(shown) + ")";
                add("värden " + values);
            }
            break;
        case ControlKind::CheckBox:
            add("på " + text(std::string(1, c.onChar)) + ", av " + text(std::string(1, c.offChar)));
            break;
        case ControlKind::OptionGroup: {
            std::string values;
            for (const FormControl* o : c.options)
                values += (values.empty() ? "" : ", ") + text(o->optionValue) + " (" +
                          text(o->caption) + ")";
            add("alternativ " + values);
            break;
        }
        default:
            break;
    }
    return out;
}

}  // namespace

void writeFieldListing(std::ostream& out, const Form& form) {
    const FieldCaptions captions(form);
    for (const FieldCaption& f : captions.all()) {
        const FormControl& c = *f.control;
        out << fieldAddressText(f.address) << '\t' << text(pageName(form, f.page)) << '\t'
            << text(f.caption) << '\t' << controlKindName(c.kind) << '\t'
            << static_cast<int>(c.field->type) << '\t' << sizeInBits(c.field->size) << '\t'
            << checksText(form, c) << '\n';
    }
}

Json fieldsToJson(const Form& form) {
    Json all = Json::array();
    const FieldCaptions captions(form);
    for (const FieldCaption& f : captions.all()) {
        const FormControl& c = *f.control;
        Json j{{"address", f.address},
               {"page", cp1252ToUtf8(pageName(form, f.page))},
               {"caption", cp1252ToUtf8(f.caption)},
               {"control", controlKindName(c.kind)},
               {"type", c.field->type},
               {"size", sizeInBits(c.field->size)},
               {"default", cp1252ToUtf8(c.field->value)}};
        addValueChecks(j, c);
        switch (c.kind) {
            case ControlKind::Choice: {
                Json values = Json::array();
                if (const RawValueList* list = valueListOf(form, c))
                    for (const auto& [shown, stored] : *list)
                        values.push_back({cp1252ToUtf8(shown), cp1252ToUtf8(stored)});
                j["values"] = std::move(values);
                break;
            }
            case ControlKind::OptionGroup: {
                Json options = Json::array();
                for (const FormControl* o : c.options)
                    options.push_back({{"value", cp1252ToUtf8(o->optionValue)},
                                       {"caption", cp1252ToUtf8(o->caption)}});
                j["options"] = std::move(options);
                break;
            }
            default:
                break;
        }
        all.push_back(std::move(j));
    }
    return all;
}

}  // namespace loom::cli
