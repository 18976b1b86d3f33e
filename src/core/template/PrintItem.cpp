#include "template/PrintItem.h"

#include <optional>

#include "template/Form.h"
#include "template/PageGeometry.h"

namespace loom {
namespace {

std::optional<int> printKind(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return PrintItem::Label;
        case ControlKind::Frame:
            return PrintItem::Frame;
        case ControlKind::Edit:
            return PrintItem::Edit;
        case ControlKind::Option:
            return PrintItem::Option;
        case ControlKind::CheckBox:
            return PrintItem::CheckBox;
        case ControlKind::Choice:
            return PrintItem::Choice;
        default:
            return std::nullopt;
    }
}

}  // namespace

PrintPage printPageOf(const Form& form, int index) {
    PrintPage page;
    if (index < 0 || index >= form.pageCount()) return page;
    // The same size the form view scrolls, so that the printout is the page on screen.
    const PixelSize size = PageGeometry::scrollSize(&form, index);
    page.width = size.width;
    page.height = size.height;
    for (const FormControl* c : form.page(index).allControls) {
        const std::optional<int> kind = printKind(c->kind);
        if (!kind || !c->visible) continue;
        PrintItem item;
        item.rect = {c->rect.x, c->rect.y, c->rect.x + c->rect.width, c->rect.y + c->rect.height};
        item.kind = *kind;
        switch (c->kind) {
            case ControlKind::Edit:
            case ControlKind::Choice:
                // What the field shows: a choice list's entry, a masked field's stars.
                item.text = form.shownValue(*c, c->value());
                break;
            case ControlKind::Option:
            case ControlKind::CheckBox:
                item.text = c->text;
                item.on = c->checkedBy(c->value());
                break;
            default:
                item.text = c->text;
                break;
        }
        page.items.push_back(std::move(item));
    }
    return page;
}

}  // namespace loom
