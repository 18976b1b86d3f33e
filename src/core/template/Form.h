#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fields/FieldStore.h"
#include "template/BitmapLookup.h"
#include "template/FormControl.h"
#include "template/FormPage.h"
#include "template/TemplateItems.h"

namespace loom {

// A loaded template: pages, controls, default values and the template's settings.
class Form {
  public:
    explicit Form(std::string name, std::string title = {})
        : name_(std::move(name)), title_(std::move(title)) {}
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return name_; }
    const std::string& title() const { return title_; }

    // Default record per field address; data controls point into it.
    FieldStore& store() { return store_; }
    const FieldStore& store() const { return store_; }

    int pageCount() const { return static_cast<int>(pages_.size()); }
    FormPage& page(int index) { return *pages_.at(index); }
    const FormPage& page(int index) const { return *pages_.at(index); }
    int shownPage() const { return shownPage_; }
    void setShownPageIndex(int index) { shownPage_ = index; }

    // Numbered controls by control number.
    const std::vector<FormControl*>& numbered() const { return numbered_; }
    FormControl* control(int number) const {
        return number >= 0 && number < static_cast<int>(numbered_.size()) ? numbered_[number]
                                                                          : nullptr;
    }
    // Every control in file order.
    const std::vector<FormControl*>& controls() const { return controls_; }

    const std::vector<RawValueList>& valueLists() const { return valueLists_; }
    // Caption texts with the count of data controls read before them.
    const std::vector<std::pair<std::string, std::uint32_t>>& captions() const { return captions_; }

    // Rules exactly as the file holds them, rules without actions included (the rule set
    // keeps only the ones that act); for showing a template, not for running it.
    const std::vector<RawRule>& rawRules() const { return rawRules_; }

    // Help file: the name as stored (code page 1252) and the UTF-8 path below HELP\ (both
    // empty when none; the path alone is empty when the name would leave the folder).
    const std::string& helpName() const { return helpName_; }
    const std::string& helpPath() const { return helpPath_; }
    std::int64_t idAddress() const { return idAddress_; }            // -1 when none
    std::int64_t productAddress() const { return productAddress_; }  // -1 when none
    bool noErase() const { return noErase_; }

    // The template's pictures, read while it was loaded; they live and die with the form.
    // Null when the form was loaded without a picture cache of its own.
    BitmapLookup* bitmaps() const { return bitmaps_.get(); }
    void setBitmaps(std::unique_ptr<BitmapLookup> bitmaps) { bitmaps_ = std::move(bitmaps); }

    // Page values: copy every data control's record of the page into `out`; set the
    // page's data controls from `in`; true when any data control's value differs
    // between `a` and `b`.
    void storePage(int index, FieldStore& out) const;
    void setPage(int index, const FieldStore& in);
    void setAllPages(const FieldStore& in);
    bool pageDiffers(int index, const FieldStore& a, const FieldStore& b) const;

    // Sets the text a control shows from its record: the value for edit fields, the shown
    // text of the matching value-list entry for choice lists (with `selected`), nothing
    // for option groups, the caption for the others.
    void refreshText(FormControl& control) const;
    // The entry of a choice list's value list that holds `value`; kNoSelection when none.
    int choiceIndex(const FormControl& choice, std::string_view value) const;
    // What a data control shows for `value`, as text: an edit field the value (masked: a
    // '*' per character), a choice list its entry's text, a check box "På" or "Av", an
    // option group the caption of its button with that value. A value that no entry or
    // button holds is given as it stands, so that two such values still read apart.
    std::string shownValue(const FormControl& control, std::string_view value) const;

    // Building (used by the parser).
    FormPage& addPage(std::string name);
    // A new control of `kind` on page `page` (its index), after every earlier one.
    FormControl& newControl(ControlKind kind, int page);
    // The same without entering it in its page's lists: a reader that adds a page's
    // controls in a row enters them all at once with placeOnPage.
    FormControl& newControlOffPage(ControlKind kind, int page);
    // Enters controls()[first...] in the lists of page `index`, which must hold them all.
    void placeOnPage(int index, std::size_t first);
    // The same for a control built elsewhere (hand-built forms); it must have its page.
    FormControl& addControl(std::unique_ptr<FormControl> control);
    void addNumbered(FormControl& control) { numbered_.push_back(&control); }
    void addValueList(RawValueList list) { valueLists_.push_back(std::move(list)); }
    void addRawRule(RawRule rule) { rawRules_.push_back(std::move(rule)); }
    void addCaption(std::string text, std::uint32_t count) {
        captions_.emplace_back(std::move(text), count);
    }
    void setHelp(std::string name, std::string path) {
        helpName_ = std::move(name);
        helpPath_ = std::move(path);
    }
    void setIdAddress(std::int64_t a) { idAddress_ = a; }
    void setProductAddress(std::int64_t a) { productAddress_ = a; }
    void setNoErase(bool on) { noErase_ = on; }

  private:
    std::string name_;
    std::string title_;
    FieldStore store_;
    std::vector<std::unique_ptr<FormPage>> pages_;
    void place(FormControl& control);
    static void enterOnPage(FormPage& page, FormControl& control);

    // Controls live in blocks: a large template has tens of thousands of them, and one
    // allocation each was a large part of its load time. Blocks start small and double,
    // so that a small template does not pay for a large block.
    static constexpr std::size_t kFirstControlBlock = 8;
    static constexpr std::size_t kLargestControlBlock = 128;
    std::vector<std::unique_ptr<FormControl[]>> controlBlocks_;
    std::size_t blockSize_ = 0;
    std::size_t blockUsed_ = 0;
    std::vector<std::unique_ptr<FormControl>> addedControls_;
    std::vector<FormControl*> controls_;
    std::vector<FormControl*> numbered_;
    std::vector<RawValueList> valueLists_;
    std::vector<std::pair<std::string, std::uint32_t>> captions_;
    std::vector<RawRule> rawRules_;
    std::string helpName_, helpPath_;
    std::int64_t idAddress_ = -1;
    std::int64_t productAddress_ = -1;
    bool noErase_ = false;
    int shownPage_ = -1;
    std::unique_ptr<BitmapLookup> bitmaps_;
};

}  // namespace loom
