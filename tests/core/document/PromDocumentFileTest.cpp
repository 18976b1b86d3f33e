// The document's file commands: open, save, the save questions and the template load.
#include <gtest/gtest.h>

#include <fstream>

#include "support/BitmapBytes.h"
#include "support/DocumentTestBed.h"
#include "template/BitmapImage.h"

namespace loom {
namespace {

namespace fs = std::filesystem;

using PromDocumentFileTest = test::DocumentTestBed;

TEST_F(PromDocumentFileTest, OpenShowsTheFilesValuesOnEveryPage) {
    newSystem({{kCustomer, "Öppnad AB"}, {kSirenTime, "600"}});
    const fs::path file = doc_->path();
    doc_ = std::make_unique<PromDocument>(context_, queue_, view_);
    view_.markAllUnavailable();
    ASSERT_TRUE(doc_->OnOpenDocument(file));
    EXPECT_EQ(value(kCustomer), "Öppnad AB");
    EXPECT_EQ(value(kSirenTime), "600");
    EXPECT_FALSE(doc_->modified());
    EXPECT_EQ(view_.available.size(), static_cast<std::size_t>(doc_->form()->pageCount()));
    EXPECT_EQ(view_.selected, 0);
}

struct FolderCase {
    const char* name;
    Answer answer;
    bool saved;
    bool inDataFolder;
};

class OtherFolderTest : public test::DocumentTestBed,
                        public ::testing::WithParamInterface<FolderCase> {};

TEST_P(OtherFolderTest, AFileFromAnotherFolderAsksWhereToGo) {
    newSystem({{kCustomer, "Diskett"}});
    const fs::path archived = doc_->path();
    const fs::path disk = dir_.path("disk");
    fs::create_directories(disk);
    const fs::path outside = disk / archived.filename();
    fs::rename(archived, outside);
    ASSERT_TRUE(doc_->OnOpenDocument(outside));
    doc_->form()->store().find(kCustomer)->value = "Ändrad";
    doc_->setModified(true);
    const std::string before = test::readFile(outside);

    prompt_.answers = {GetParam().answer};
    EXPECT_EQ(doc_->Save(), GetParam().saved);
    EXPECT_TRUE(wasShown(MessageId::OtherFolder));
    EXPECT_EQ(doc_->modified(), !GetParam().saved);
    EXPECT_EQ(fs::exists(archived), GetParam().inDataFolder);
    EXPECT_EQ(test::readFile(outside) != before, GetParam().saved && !GetParam().inDataFolder);
    EXPECT_EQ(doc_->path(), GetParam().inDataFolder ? archived : outside);
}

INSTANTIATE_TEST_SUITE_P(Answers, OtherFolderTest,
                         ::testing::Values(FolderCase{"Yes", Answer::Yes, true, true},
                                           FolderCase{"No", Answer::No, true, false},
                                           FolderCase{"Cancel", Answer::Cancel, false, false}),
                         [](const auto& c) { return std::string(c.param.name); });

// The name a new system was given is only claimed when its file is made: a file that
// appeared under it meanwhile (another computer with the same letter) is kept, and the
// system takes the next second's name; from then on its own file is saved over.
TEST_F(PromDocumentFileTest, ANewSystemNeverReplacesAFileThatTookItsName) {
    ASSERT_TRUE(doc_->LoadTemplate("", true, home_ / "FORMS" / "GL200.FRM", false));
    doc_->AssignNewFileName();
    const fs::path assigned = doc_->path();
    std::ofstream(assigned, std::ios::binary) << "another computer's";
    doc_->form()->store().find(kCustomer)->value = "Ny";
    ASSERT_TRUE(doc_->Save());
    const fs::path own = doc_->path();
    EXPECT_NE(own, assigned);
    EXPECT_EQ(own.parent_path(), assigned.parent_path());
    EXPECT_EQ(test::readFile(assigned), "another computer's");
    ASSERT_TRUE(doc_->Save());
    EXPECT_EQ(doc_->path(), own);
}

TEST_F(PromDocumentFileTest, ClosingAModifiedSystemOffersToSaveIt) {
    newSystem({{kCustomer, "Före"}});
    const fs::path file = doc_->path();
    doc_->form()->store().find(kCustomer)->value = "Efter";
    doc_->setModified(true);

    prompt_.answers = {Answer::Cancel};
    EXPECT_FALSE(doc_->CanCloseFrame());
    prompt_.answers = {Answer::No};
    EXPECT_TRUE(doc_->CanCloseFrame());
    EXPECT_TRUE(doc_->modified());
    prompt_.answers = {Answer::Yes};
    EXPECT_TRUE(doc_->CanCloseFrame());
    EXPECT_FALSE(doc_->modified());
    ASSERT_TRUE(doc_->OnOpenDocument(file));
    EXPECT_EQ(value(kCustomer), "Efter");
    EXPECT_EQ(prompt_.unexpected, 0);
}

TEST_F(PromDocumentFileTest, AFileOfAnotherSystemPasswordOpensOnlyWithThatPasswordGiven) {
    context_.setSystemPassword("gammalt");
    newSystem({{kCustomer, "Hemlig"}});
    const fs::path file = doc_->path();
    context_.setSystemPassword("nytt");
    doc_ = std::make_unique<PromDocument>(context_, queue_, view_);

    dialogs_.temporaryAnswers = {std::nullopt};
    EXPECT_FALSE(doc_->OnOpenDocument(file));
    EXPECT_TRUE(wasShown(MessageId::WrongPassword));
    EXPECT_EQ(doc_->form(), nullptr);

    dialogs_.temporaryAnswers = {std::array<std::string, 3>{"gammalt", "", ""}};
    ASSERT_TRUE(doc_->OnOpenDocument(file));
    EXPECT_EQ(value(kCustomer), "Hemlig");
}

TEST_F(PromDocumentFileTest, ATemplateOfTheSameModelKeepsTheValuesWhenAsked) {
    newSystem({{kCustomer, "Kvar"}});
    const Form* form = doc_->form();
    ASSERT_TRUE(doc_->LoadTemplate("GL 200", false, {}, true));
    EXPECT_EQ(doc_->form(), form);
    EXPECT_EQ(value(kCustomer), "Kvar");
    // Found through the index and already loaded: the values go back to the defaults.
    ASSERT_TRUE(doc_->LoadTemplate("GL 200", false, {}, false));
    EXPECT_EQ(doc_->form(), form);
    EXPECT_EQ(value(kCustomer), "");
    EXPECT_EQ(value(kSirenTime), "300");
    EXPECT_FALSE(doc_->path().empty());
}

TEST_F(PromDocumentFileTest, NextAndPreviousWrapAround) {
    newSystem({});
    const int last = doc_->form()->pageCount() - 1;
    doc_->SetPage(last);
    doc_->NextPage();
    EXPECT_EQ(view_.selected, 0);
    doc_->SetPage(0);
    doc_->PreviousPage();
    EXPECT_EQ(view_.selected, last);
}

// The window's document gives each template its own pictures from PICTURES; a document
// without windows reads none.
TEST_F(PromDocumentFileTest, TheWindowsTemplatesGetTheirPicturesFromThePictureFolder) {
    test::BitmapBytes bmp(64, 48, 24);
    bmp.rows.assign(48, test::BitmapBytes::row24(std::vector<std::uint32_t>(64, 0x336699)));
    fs::create_directories(home_ / "PICTURES");
    dir_.write("home/PICTURES/GL200.BMP", bmp.bytes());
    auto aboutPicture = [&]() -> const FormControl& {
        for (const FormControl* c : doc_->form()->controls())
            if (c->kind == ControlKind::Picture && c->caption == "GL200.BMP") return *c;
        throw std::logic_error("no picture");
    };
    for (bool reads : {false, true}) {
        SCOPED_TRACE(reads);
        doc_ = std::make_unique<PromDocument>(context_, queue_, view_);
        doc_->setReadsPictures(reads);
        ASSERT_TRUE(doc_->LoadTemplate("", false, home_ / "FORMS" / "GL200.FRM", false));
        const BitmapLookup* pictures = doc_->form()->bitmaps();
        EXPECT_EQ(pictures != nullptr, reads);
        EXPECT_EQ(aboutPicture().rect.width, (reads ? 64 : 30) + 4);
        if (pictures == nullptr) continue;
        const BitmapImage* image = pictures->image("GL200.BMP");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->pixel(63, 47), 0xFF336699u);
    }
    EXPECT_TRUE(prompt_.entries.empty());
}

}  // namespace
}  // namespace loom
