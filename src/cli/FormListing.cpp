#include "FormListing.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "common/Cp1252.h"
#include "template/EventTexts.h"

namespace loom::cli {
namespace {

std::string quoted(std::string_view cp1252) {
    std::string out = "\"";
    for (char ch : cp1252ToUtf8(cp1252)) {
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += ch;
        }
    }
    return out + "\"";
}

std::string hex(std::uint64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
}

std::string address(std::int64_t a) {
    return a < 0 ? std::string("ingen") : hex(static_cast<std::uint64_t>(a));
}

std::string limit(const char* name, const std::optional<std::int32_t>& v) {
    return v ? std::string(" ") + name + " " + std::to_string(*v) : std::string();
}

// A field address is a byte address shifted left by 3 plus a bit; bit 31 marks a field
// that lives only in data files.
std::string fieldText(const FieldRecord& f) {
    std::string where = isAddressless(f.address) ? "ingen plats i promet, nummer " +
                                                       std::to_string(byteAddress(f.address))
                                                 : "byte " + hex(byteAddress(f.address)) + " bit " +
                                                       std::to_string(bitOffset(f.address));
    return "fält " + hex(f.address) + " (" + where + ") storlek " + std::to_string(f.size) +
           " typ " + std::to_string(f.type) + " flaggor " + hex(f.flags);
}

void writeControl(std::ostream& out, const FormControl& c) {
    // Streamed piece by piece: GCC 12 at -O3 reports a false -Wrestrict overlap for
    // "literal" + std::string temporaries.
    out << "    ";
    if (c.number >= 0) {
        out << '#' << std::to_string(c.number);
    } else {
        out << '-';
    }
    out << ' ' << controlKindName(c.kind) << ' ' << quoted(c.caption);
    if (c.kind != ControlKind::OptionGroup) {
        out << " vid " << c.dialogRect.x << ',' << c.dialogRect.y << ' ' << c.dialogRect.width
            << 'x' << c.dialogRect.height << " (bildpunkter " << c.rect.x << ',' << c.rect.y << ' '
            << c.rect.width << 'x' << c.rect.height << ')';
    }
    out << " flaggor " << hex(c.flags) << '\n';
    if (c.field != nullptr) {
        out << "      " << fieldText(*c.field) << " standard " << quoted(c.initialValue) << '\n';
    }
    switch (c.kind) {
        case ControlKind::CheckBox:
            out << "      på " << quoted(std::string_view(&c.onChar, 1)) << " av "
                << quoted(std::string_view(&c.offChar, 1)) << '\n';
            break;
        case ControlKind::Edit:
            out << "      filter "
                << (c.filter >= 0 ? std::to_string(c.filter) : std::string("inget"))
                << limit("maxChars", c.limits.maxChars) << limit("minChars", c.limits.minChars)
                << limit("maxValue", c.limits.maxValue) << limit("minValue", c.limits.minValue)
                << '\n';
            break;
        case ControlKind::Choice:
            out << "      värdelista " << c.valueList << '\n';
            break;
        case ControlKind::Option:
            out << "      värde " << quoted(c.optionValue) << " i grupp #"
                << (c.group != nullptr ? c.group->number : -1) << '\n';
            break;
        default:
            break;
    }
}

std::string operands(RuleOperands kind, std::uint32_t first, std::uint32_t second,
                     const std::string& text) {
    switch (kind) {
        case RuleOperands::Control:
            return " #" + std::to_string(first);
        case RuleOperands::ControlControl:
            return " #" + std::to_string(first) + " #" + std::to_string(second);
        case RuleOperands::ControlText:
            return " #" + std::to_string(first) + ' ' + quoted(text);
        case RuleOperands::Text:
            return ' ' + quoted(text);
        case RuleOperands::Page:
            return " sida " + std::to_string(first);
        case RuleOperands::Unknown:
            break;
    }
    return {};
}

void writeTree(std::ostream& out, const TreeOutline& tree, int node, int depth) {
    for (int child : tree.nodes()[static_cast<std::size_t>(node)].children) {
        const TreeOutline::Node& n = tree.nodes()[static_cast<std::size_t>(child)];
        out << std::string(static_cast<std::size_t>(2 * depth), ' ');
        if (n.kind == TreeOutline::Kind::Page) {
            out << "[" << n.pageNumber << "] " << quoted(n.name) << '\n';
        } else {
            out << quoted(n.name) << "/\n";
            writeTree(out, tree, child, depth + 1);
        }
    }
}

}  // namespace

void writeFormListing(std::ostream& out, const Form& form, const EventTexts& events,
                      const TreeOutline& tree) {
    out << "Mall " << quoted(form.name()) << '\n';
    out << "Titel " << quoted(form.title()) << '\n';
    out << "Id-adress " << address(form.idAddress()) << ", produktadress "
        << address(form.productAddress()) << '\n';
    out << "Radera före skrivning: " << (form.noErase() ? "nej" : "ja") << '\n';
    out << "Hjälp " << (form.helpName().empty() ? std::string("ingen") : quoted(form.helpName()))
        << '\n';

    out << "\nSidor: " << form.pageCount() << '\n';
    for (int i = 0; i < form.pageCount(); ++i) {
        const FormPage& p = form.page(i);
        out << "  Sida " << i << ' ' << quoted(p.name) << ", " << p.allControls.size()
            << " kontroller, omfång " << p.extentWidth << 'x' << p.extentHeight << " bildpunkter\n";
        for (const FormControl* c : p.allControls)
            writeControl(out, *c);
    }

    out << "\nVärdelistor: " << form.valueLists().size() << '\n';
    for (std::size_t i = 0; i < form.valueLists().size(); ++i) {
        out << "  " << i << ':';
        for (const auto& [shown, stored] : form.valueLists()[i]) {
            out << ' ' << quoted(shown) << '=' << quoted(stored);
        }
        out << '\n';
    }

    out << "\nRubriker: " << form.captions().size() << '\n';
    for (const auto& [caption, count] : form.captions()) {
        out << "  " << quoted(caption) << " efter " << count << " datakontroller\n";
    }

    out << "\nRegler: " << form.rawRules().size() << '\n';
    for (const RawRule& r : form.rawRules()) {
        const RawCondition& c = r.condition;
        out << "  när " << c.code
            << operands(conditionOperands(c.code), c.control, c.control2, c.text) << ':';
        if (r.actions.empty()) out << " (inga åtgärder)";
        out << '\n';
        for (const RawAction& a : r.actions) {
            out << "    " << a.code
                << operands(actionOperands(a.code), a.target, a.argument, a.text) << '\n';
        }
    }

    out << "\nHändelsetexter: " << events.codes().size() << " koder\n";
    for (const auto& [code, entries] : events.codes()) {
        out << "  " << code << ':';
        for (const EventText& e : entries) {
            out << ' ' << static_cast<int>(e.tag) << '=' << quoted(e.text);
        }
        out << '\n';
    }

    out << "\nTräd " << quoted(form.title()) << '\n';
    if (!tree.nodes().empty()) writeTree(out, tree, 0, 1);
}

}  // namespace loom::cli
