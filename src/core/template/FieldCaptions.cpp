#include "template/FieldCaptions.h"

#include "template/Form.h"

namespace loom {
namespace {

bool rowsOverlap(const PixelRect& a, const PixelRect& b) {
    return a.y < b.y + b.height && b.y < a.y + a.height;
}

// The text of the label whose right edge lies nearest to the left of `control` on its row.
std::string labelLeftOf(const Form& form, const FormControl& control) {
    const FormControl* shown = &control;
    // An option group has no place of its own: its first button stands for it.
    if (control.kind == ControlKind::OptionGroup) {
        if (control.options.empty()) return {};
        shown = control.options.front();
    }
    if (shown->page < 0 || shown->page >= form.pageCount()) return {};
    const FormControl* best = nullptr;
    for (const FormControl* c : form.page(shown->page).allControls) {
        if (c->kind != ControlKind::Label || c->caption.empty() ||
            !rowsOverlap(c->rect, shown->rect))
            continue;
        if (c->rect.x >= shown->rect.x) continue;
        if (!best || c->rect.x + c->rect.width > best->rect.x + best->rect.width) best = c;
    }
    return best ? best->caption : std::string();
}

}  // namespace

FieldCaptions::FieldCaptions(const Form& form) {
    // A template caption belongs to the data control it follows: its count is the number
    // of data controls read before it.
    std::unordered_map<std::uint32_t, const std::string*> attached;
    for (const auto& [text, count] : form.captions())
        if (count > 0) attached.try_emplace(count - 1, &text);

    std::uint32_t dataIndex = 0;
    for (const FormControl* c : form.controls()) {
        if (!c->isData()) continue;
        const std::uint32_t mine = dataIndex++;
        if (c->field == nullptr) continue;
        std::string caption;
        if (auto it = attached.find(mine); it != attached.end()) caption = *it->second;
        if (caption.empty() && c->kind != ControlKind::Edit) caption = c->caption;
        if (caption.empty()) caption = labelLeftOf(form, *c);

        const FieldAddress address = c->field->address;
        const auto [it, fresh] = index_.try_emplace(address, fields_.size());
        if (fresh) {
            const int page = c->kind == ControlKind::OptionGroup && !c->options.empty()
                                 ? c->options.front()->page
                                 : c->page;
            fields_.push_back(FieldCaption{address, page, std::move(caption), c});
        } else if (fields_[it->second].caption.empty()) {
            fields_[it->second].caption = std::move(caption);
        }
    }
}

const FieldCaption* FieldCaptions::find(FieldAddress address) const {
    const auto it = index_.find(address);
    return it == index_.end() ? nullptr : &fields_[it->second];
}

}  // namespace loom
