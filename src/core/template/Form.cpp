#include "template/Form.h"

#include <algorithm>
#include <utility>

#include "common/Messages.h"

namespace loom {

FormPage& Form::addPage(std::string name) {
    auto page = std::make_unique<FormPage>();
    page->name = std::move(name);
    page->index = static_cast<int>(pages_.size());
    pages_.push_back(std::move(page));
    return *pages_.back();
}

FormControl& Form::newControl(ControlKind kind, int page) {
    FormControl& c = newControlOffPage(kind, page);
    if (c.page >= 0 && c.page < pageCount()) enterOnPage(this->page(c.page), c);
    return c;
}

FormControl& Form::newControlOffPage(ControlKind kind, int page) {
    if (blockUsed_ == blockSize_) {
        blockSize_ =
            std::min(blockSize_ == 0 ? kFirstControlBlock : blockSize_ * 2, kLargestControlBlock);
        controlBlocks_.push_back(std::make_unique<FormControl[]>(blockSize_));
        blockUsed_ = 0;
    }
    FormControl& c = controlBlocks_.back()[blockUsed_++];
    c.kind = kind;
    c.page = page;
    controls_.push_back(&c);
    return c;
}

void Form::placeOnPage(int index, std::size_t first) {
    FormPage& p = page(index);
    const auto begin = controls_.begin() + static_cast<std::ptrdiff_t>(first);
    p.allControls.insert(p.allControls.end(), begin, controls_.end());
    const auto laidOut = std::count_if(begin, controls_.end(), [](const FormControl* c) {
        return c->kind != ControlKind::Option;
    });
    p.controls.reserve(p.controls.size() + static_cast<std::size_t>(laidOut));
    for (auto it = begin; it != controls_.end(); ++it) {
        if ((*it)->kind != ControlKind::Option) p.controls.push_back(*it);
    }
}

FormControl& Form::addControl(std::unique_ptr<FormControl> control) {
    FormControl& c = *control;
    addedControls_.push_back(std::move(control));
    place(c);
    return c;
}

void Form::place(FormControl& c) {
    controls_.push_back(&c);
    if (c.page >= 0 && c.page < pageCount()) enterOnPage(page(c.page), c);
}

void Form::enterOnPage(FormPage& p, FormControl& c) {
    p.allControls.push_back(&c);
    // Option buttons are laid out by their group, not by the page.
    if (c.kind != ControlKind::Option) p.controls.push_back(&c);
}

void Form::storePage(int index, FieldStore& out) const {
    for (const FormControl* c : page(index).allControls) {
        if (c->field != nullptr) out.copyIn(*c->field);
    }
}

void Form::setAllPages(const FieldStore& in) {
    for (int i = 0; i < pageCount(); ++i)
        setPage(i, in);
}

void Form::setPage(int index, const FieldStore& in) {
    for (FormControl* c : page(index).allControls) {
        if (c->field == nullptr) continue;
        // Size, type and flags are the template's; only the value comes from outside.
        if (const FieldRecord* r = in.find(c->field->address)) c->field->value = r->value;
        c->initialValue = c->field->value;
        refreshText(*c);
    }
}

bool Form::pageDiffers(int index, const FieldStore& a, const FieldStore& b) const {
    for (const FormControl* c : page(index).allControls) {
        if (c->field == nullptr) continue;
        const FieldRecord* ra = a.find(c->field->address);
        const FieldRecord* rb = b.find(c->field->address);
        // A value that one side has and the other lacks is a difference too.
        if ((ra == nullptr) != (rb == nullptr)) return true;
        if (ra != nullptr && ra->value != rb->value) return true;
    }
    return false;
}

void Form::refreshText(FormControl& c) const {
    switch (c.kind) {
        case ControlKind::Edit:
            c.text = c.field != nullptr ? c.field->value : std::string();
            break;
        case ControlKind::Choice:
            c.selected = c.field != nullptr ? choiceIndex(c, c.field->value) : kNoSelection;
            // Without an entry the list shows nothing.
            c.text = c.selected != kNoSelection ? shownValue(c, c.field->value) : std::string();
            break;
        case ControlKind::OptionGroup:
            c.text.clear();
            break;
        default:
            c.text = c.caption;
            break;
    }
}

int Form::choiceIndex(const FormControl& c, std::string_view value) const {
    if (c.valueList < 0 || c.valueList >= static_cast<int>(valueLists_.size())) return kNoSelection;
    const RawValueList& list = valueLists_[static_cast<std::size_t>(c.valueList)];
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].second == value) return static_cast<int>(i);
    return kNoSelection;
}

std::string Form::shownValue(const FormControl& c, std::string_view value) const {
    switch (c.kind) {
        case ControlKind::Edit:
            return c.masked ? std::string(value.size(), '*') : std::string(value);
        case ControlKind::Choice:
            if (const int i = choiceIndex(c, value); i != kNoSelection)
                return valueLists_[static_cast<std::size_t>(c.valueList)]
                                  [static_cast<std::size_t>(i)]
                                      .first;
            return std::string(value);
        case ControlKind::CheckBox:
            return std::string(
                messageText(c.checkedBy(value) ? MessageId::CheckBoxOn : MessageId::CheckBoxOff));
        case ControlKind::OptionGroup:
            for (const FormControl* option : c.options)
                if (option->checkedBy(value)) return withoutAccessKeys(option->caption);
            return std::string(value);
        default:
            return std::string(value);
    }
}

}  // namespace loom
