// What the window shows of the differences a PROM read found: the markers beside the
// controls of a page and the list of differing fields.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "document/DocumentView.h"
#include "document/PromDocument.h"
#include "document/PromDocumentImpl.h"
#include "template/FieldCaptions.h"

namespace loom {
namespace {

// The control whose window stands for `c` in the form: an option group has no window of
// its own.
const FormControl* standIn(const FormControl& c) {
    if (c.kind != ControlKind::OptionGroup) return &c;
    return c.options.empty() ? nullptr : c.options.front();
}

}  // namespace

std::vector<DifferenceMark> PromDocument::differenceMarks(int page) const {
    std::vector<DifferenceMark> marks;
    if (!promDiffers_ || page < 0 || page >= pageCount()) return marks;
    std::unordered_set<FieldAddress> differing;
    for (const FieldDifference& d : impl_->differences)
        differing.insert(d.address);
    for (const FormControl* c : form_->page(page).allControls) {
        if (c->field == nullptr || !differing.contains(c->field->address)) continue;
        if (const FormControl* shown = standIn(*c))
            marks.push_back({shown, shown->rect.x, shown->rect.y});
    }
    return marks;
}

std::vector<DifferenceRow> PromDocument::differenceRows() const {
    std::vector<DifferenceRow> rows;
    if (!promDiffers_ || !form_) return rows;
    std::unordered_map<FieldAddress, const FieldDifference*> differing;
    for (const FieldDifference& d : impl_->differences)
        differing.emplace(d.address, &d);
    // The values come from the read, never from the set shown: both stay what they were
    // when the file's and the PROM's values change places.
    const FieldCaptions captions(*form_);
    for (const FieldCaption& field : captions.all()) {
        const auto it = differing.find(field.address);
        if (it == differing.end() || field.control == nullptr) continue;
        const FieldDifference& d = *it->second;
        rows.push_back({field.page, field.address, pageName(field.page), field.caption,
                        form_->shownValue(*field.control, d.fileValue),
                        form_->shownValue(*field.control, d.promValue)});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const DifferenceRow& a, const DifferenceRow& b) {
        return a.page < b.page;
    });
    return rows;
}

const FormControl* PromDocument::fieldControl(int page, FieldAddress address) const {
    if (page < 0 || page >= pageCount()) return nullptr;
    for (const FormControl* c : form_->page(page).allControls)
        if (c->field != nullptr && c->field->address == address) return standIn(*c);
    return nullptr;
}

void PromDocument::SelectPage(int index) {
    if (index >= 0 && index < pageCount()) view_.selectPage(index);
}

}  // namespace loom
