#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/PromDocument.h"
#include "fields/FieldStore.h"
#include "template/DialogUnits.h"
#include "template/FormControl.h"
#include "template/FormView.h"

namespace loom {

// A PROM field of the template that a read has not filled yet.
struct PromDocument::WaitingField {
    std::uint64_t end = 0;  // the byte address just past its last byte
    FieldRecord* record = nullptr;
    std::vector<FormControl*> controls;  // every control that shows it
    std::vector<int> pages;              // the pages of those controls, each once
};

// The form view the interaction talks to: passes everything on to the view set with
// setFormView (when there is one) and marks the document modified at a value entry.
class PromDocument::FormViewRelay final : public FormView {
  public:
    explicit FormViewRelay(PromDocument& document) : document_(document) {}
    void setTarget(FormView* view) { target_ = view; }

    void showControl(const FormControl& c) override {
        if (target_ != nullptr) target_->showControl(c);
    }
    void enableControl(const FormControl& c) override {
        if (target_ != nullptr) target_->enableControl(c);
    }
    void showText(const FormControl& c) override {
        if (target_ != nullptr) target_->showText(c);
    }
    void showValue(const FormControl& c) override {
        if (target_ != nullptr) target_->showValue(c);
    }
    void focus(const FormControl& c) override {
        if (target_ != nullptr) target_->focus(c);
    }
    void systemModified() override {
        document_.setModified(true);
        if (target_ != nullptr) target_->systemModified();
    }

  private:
    PromDocument& document_;
    FormView* target_ = nullptr;
};

// The document's state that its header need not show.
struct PromDocument::Impl {
    explicit Impl(PromDocument& document) : relay(document) {}

    FormViewRelay relay;
    DialogUnits units{8, 16, 2, 2};
    BitmapLookup* bitmaps = nullptr;
    bool readsPictures = false;
    // The template's values as loaded: what a reset goes back to.
    FieldStore defaults;
    // The name AssignNewFileName gave, not yet taken by a save: while it is the path, a
    // save makes a new file (under it or the next free name) instead of replacing one.
    std::filesystem::path newPath;

    // The PROM read under way or last done.
    std::vector<WaitingField> waiting;  // ordered by `end`
    std::size_t nextWaiting = 0;        // fields before it are filled
    std::vector<int> pagePending;       // per page: its fields still waiting
    std::vector<char> pageDiffers;      // per page: a field differs from the file
    bool readFinished = false;
    std::string readFileId;     // the valid FileId the PROM holds, or empty
    FieldStore comparedValues;  // the archived file with that id
    std::vector<FieldDifference> differences;
};

}  // namespace loom
