// The document's template life: what the views hear when a template comes and goes, the
// form's interaction it owns, new documents, the status date and the page queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "archive/ArchiveSearch.h"
#include "support/DocumentTestBed.h"
#include "support/RecordingFormView.h"
#include "template/FormInteraction.h"
#include "template/FormRules.h"

namespace loom {
namespace {

namespace fs = std::filesystem;

class PromDocumentTemplateTest : public test::DocumentTestBed {
  protected:
    fs::path form(const char* file) const { return home_ / "FORMS" / file; }
    FormControl& edit(FieldAddress address) {
        for (FormControl* c : doc_->form()->controls())
            if (c->kind == ControlKind::Edit && c->field && c->field->address == address) return *c;
        throw std::runtime_error("no such edit field");
    }
    bool heard(const std::string& event) const {
        return std::find(view_.events.begin(), view_.events.end(), event) != view_.events.end();
    }
};

// The views let go of the old form while it still exists, before any message of the
// parser; a failed load leaves no template, no interaction and an empty tree.
TEST_F(PromDocumentTemplateTest, TheViewsHearOfATemplateBeforeItGoes) {
    ASSERT_TRUE(doc_->LoadTemplate("", true, form("GL200.FRM"), false));
    const Form* old = doc_->form();
    bool aliveWhenGoing = false;
    view_.onTemplateGoing = [&] {
        aliveWhenGoing =
            doc_->form() == old && doc_->interaction() != nullptr && prompt_.entries.empty();
    };
    view_.events.clear();
    doc_->SetPage(1);
    ASSERT_TRUE(doc_->LoadTemplate("", true, form("VT340.FRM"), false));
    EXPECT_TRUE(aliveWhenGoing);
    EXPECT_EQ(view_.events,
              (std::vector<std::string>{"page 1", "going", "page -1", "changed", "width 100"}));
    EXPECT_NE(doc_->interaction(), nullptr);

    std::ofstream(home_ / "FORMS" / "BAD.FRM") << "no template";
    view_.events.clear();
    aliveWhenGoing = false;
    old = doc_->form();
    EXPECT_FALSE(doc_->LoadTemplate("", true, form("BAD.FRM"), false));
    EXPECT_TRUE(aliveWhenGoing);
    EXPECT_EQ(view_.events, (std::vector<std::string>{"going", "changed"}));
    EXPECT_EQ(doc_->form(), nullptr);
    EXPECT_EQ(doc_->interaction(), nullptr);
    EXPECT_TRUE(doc_->tree().nodes().empty());
    EXPECT_TRUE(context_.rules().rules().empty());
}

// The first entry after a load or a save marks the document modified through whatever
// form view is set, so that closing asks to save.
TEST_F(PromDocumentTemplateTest, AnEntryAfterASaveModifiesTheDocumentAgain) {
    test::RecordingFormView formView;
    doc_->setFormView(&formView);
    ASSERT_TRUE(doc_->LoadTemplate("", true, form("GL200.FRM"), false));
    doc_->AssignNewFileName();
    ASSERT_TRUE(doc_->interaction()->textTyped(edit(kCustomer), "A"));
    EXPECT_TRUE(doc_->modified());
    ASSERT_TRUE(doc_->Save());
    EXPECT_FALSE(doc_->modified());
    ASSERT_TRUE(doc_->interaction()->enterValue(edit(kSirenTime), "200"));
    EXPECT_TRUE(doc_->modified());
    EXPECT_EQ(std::count(formView.calls.begin(), formView.calls.end(), "modified"), 2);
    EXPECT_EQ(std::count(view_.events.begin(), view_.events.end(), "modified"), 2);

    // Without a view the document still hears of entries.
    doc_->setFormView(nullptr);
    ASSERT_TRUE(doc_->Save());
    ASSERT_TRUE(doc_->interaction()->textTyped(edit(kCustomer), "AB"));
    EXPECT_TRUE(doc_->modified());
}

struct NewCase {
    const char* name;
    std::optional<std::size_t> choice;  // dialog 150's answer
    bool emptyIndex;
    bool loaded;
    MessageId shown;  // or Messages' 0 for none
};

class NewDocumentTest : public PromDocumentTemplateTest,
                        public ::testing::WithParamInterface<NewCase> {};

TEST_P(NewDocumentTest, OnlyTheFirstNewAsksNothing) {
    const NewCase& c = GetParam();
    // The first call of the document's life: no template, no question.
    ASSERT_TRUE(doc_->NewDocument());
    EXPECT_EQ(doc_->form(), nullptr);
    EXPECT_TRUE(dialogs_.systemRowsShown.empty());

    newSystem({{kCustomer, "Förra"}});
    const fs::path before = doc_->path();
    if (c.emptyIndex) {
        fs::remove_all(home_ / "FORMS");
        fs::create_directories(home_ / "FORMS");
        reindex();
    }
    dialogs_.systemChoices = {c.choice};
    prompt_.entries.clear();
    EXPECT_EQ(doc_->NewDocument(), c.loaded);
    EXPECT_EQ(dialogs_.systemRowsShown.size(), c.emptyIndex ? 0u : 1u);
    EXPECT_EQ(prompt_.entries.empty(), c.shown == MessageId{0});
    if (!prompt_.entries.empty()) {
        EXPECT_EQ(prompt_.entries.back().id, c.shown);
    }
    if (!c.loaded) {
        EXPECT_EQ(doc_->path(), before);
        EXPECT_EQ(value(kCustomer), "Förra");
        return;
    }
    ASSERT_NE(doc_->form(), nullptr);
    const std::string& row = dialogs_.systemRowsShown[0][*c.choice];
    EXPECT_EQ(doc_->form()->name(), row.substr(0, row.find('\t')));
    EXPECT_EQ(doc_->path().parent_path(), home_ / "FILES");
    EXPECT_NE(doc_->path(), before);
    EXPECT_FALSE(doc_->modified());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, NewDocumentTest,
    ::testing::Values(NewCase{"Chosen", std::size_t{1}, false, true, MessageId{0}},
                      NewCase{"Cancelled", std::nullopt, false, false, MessageId{0}},
                      NewCase{"NoSystems", std::nullopt, true, false, MessageId::NoSystemsFound}),
    [](const auto& c) { return std::string(c.param.name); });

struct DateCase {
    CivilTime utc;
    const char* shown;  // local time one hour east
};

TEST_F(PromDocumentTemplateTest, TheStatusDateIsTheFilesLocalDate) {
    newSystem({});
    const fs::path file = doc_->path();
    for (const DateCase& c : {DateCase{{1997, 12, 24, 12, 0, 0}, "24 december, 1997"},
                              DateCase{{2023, 12, 31, 23, 30, 0}, "1 januari, 2024"}}) {
        ASSERT_TRUE(context_.files().setLastWriteTime(file, secondsFromCivil(c.utc)));
        view_.events.clear();
        ASSERT_TRUE(doc_->OnOpenDocument(file));
        EXPECT_EQ(cp1252ToUtf8(doc_->statusDate()), c.shown);
        EXPECT_TRUE(heard("date"));
    }
    doc_->DeleteContents();
    EXPECT_EQ(doc_->statusDate(), "");
}

TEST_F(PromDocumentTemplateTest, PagesAndHelpOfTheLoadedTemplate) {
    EXPECT_EQ(doc_->pageSize(0), PageSize{});
    EXPECT_EQ(doc_->pageCount(), 0);
    ASSERT_TRUE(doc_->LoadTemplate("", true, form("GL200.FRM"), false));
    const FormPage& first = doc_->form()->page(0);
    ASSERT_GT(first.extentWidth, 0);
    EXPECT_EQ(doc_->pageSize(0), (PageSize{first.extentWidth + 10, first.extentHeight + 10}));
    EXPECT_EQ(doc_->pageSize(doc_->pageCount()), PageSize{});
    EXPECT_EQ(cp1252ToUtf8(doc_->pageName(0)), "Anläggning");

    // GL 200 names GL200.HLP: available once it is there when the template loads.
    EXPECT_EQ(doc_->helpFile(), home_ / "HELP" / "GL200.HLP");
    EXPECT_FALSE(doc_->helpAvailable());
    fs::create_directories(home_ / "HELP");
    std::ofstream(home_ / "HELP" / "GL200.HLP") << "help";
    ASSERT_TRUE(doc_->LoadTemplate("", true, form("VT340.FRM"), false));
    ASSERT_TRUE(doc_->LoadTemplate("", true, form("GL200.FRM"), false));
    EXPECT_TRUE(doc_->helpAvailable());
}

// A system's template found through the index stays loaded only when it is the very file
// the index names; a copy of it loaded from elsewhere gives way.
TEST_F(PromDocumentTemplateTest, OnlyTheIndexedTemplateStaysLoaded) {
    const fs::path elsewhere = dir_.path("elsewhere");
    fs::create_directories(elsewhere);
    const fs::path copy = elsewhere / "GL200.FRM";
    fs::copy_file(form("GL200.FRM"), copy);
    ASSERT_TRUE(doc_->LoadTemplate("", true, copy, false));
    view_.events.clear();
    ASSERT_TRUE(doc_->LoadTemplate("GL 200", true, {}, false));
    EXPECT_TRUE(heard("going"));
    EXPECT_EQ(doc_->templatePath(), form("GL200.FRM"));
    view_.events.clear();
    ASSERT_TRUE(doc_->LoadTemplate("GL 200", true, {}, false));
    EXPECT_EQ(doc_->templatePath(), form("GL200.FRM"));
    EXPECT_FALSE(heard("going"));
}

}  // namespace
}  // namespace loom
